# One GoogleTest program per tests/<folder>, registered with CTest. Tests run
# headless: SDL's dummy video and audio drivers, settings and caches in the
# build tree so a run never touches the developer's own files.
file(GLOB ZEST_TEST_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
set(ZEST_TEST_ENV
    SDL_VIDEODRIVER=dummy
    SDL_AUDIODRIVER=dummy
    XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config
    XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-home/cache
    XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/data
    ZEST_BIN_DIR=${ZEST_BIN_DIR}
    ZEST_SOURCE_DIR=${CMAKE_SOURCE_DIR})

# The suites whose tests run threads (the mixer and the audio device, the loading thread, the single
# instance lock, the demo recorder), as a gtest filter.
set(ZEST_THREADED_TESTS "AtomicFileTest.ThreadsSavingOneFileNeverShareATemporaryFile:Mixer.*:MixerStream.*:AudioDevice.*:DSoundManagerTest.*:MusicPlaybackTest.*:SingleInstance.*:MainThreadQueue.*:ZestAppBaseLoading.*:GameAppTest.*:DemoFolder.*:DemoRun.*")

find_package(GTest)
if(GTest_FOUND)
    include(GoogleTest)
    foreach(dir ${ZEST_TEST_DIRS})
        if(IS_DIRECTORY ${dir})
            get_filename_component(folder ${dir} NAME)
            file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
            if(sources)
                add_executable(tests_${folder} ${sources})
                set_target_properties(tests_${folder} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
                zest_link_all(tests_${folder})
                target_link_libraries(tests_${folder} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
                target_compile_definitions(tests_${folder} PRIVATE ZEST_TEST_DIR="${dir}")
                # The environment travels as a launcher: gtest_discover_tests would split an
                # ENVIRONMENT list into separate properties and keep only the first entry.
                set_target_properties(tests_${folder} PROPERTIES CROSSCOMPILING_EMULATOR "/usr/bin/env;${ZEST_TEST_ENV}")
                # Tests that keep settings share one settings folder: they take turns. The tests
                # that run threads of their own also carry the label "threads" (scripts/tsan.sh).
                gtest_discover_tests(tests_${folder}
                    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                    TEST_FILTER "-${ZEST_THREADED_TESTS}"
                    PROPERTIES RESOURCE_LOCK zest-settings
                    DISCOVERY_TIMEOUT 60)
                gtest_discover_tests(tests_${folder}
                    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                    TEST_FILTER "${ZEST_THREADED_TESTS}"
                    PROPERTIES RESOURCE_LOCK zest-settings LABELS threads
                    DISCOVERY_TIMEOUT 60)
            endif()
            if(EXISTS ${dir}/CMakeLists.txt)
                add_subdirectory(${dir})
            endif()
        endif()
    endforeach()
endif()
