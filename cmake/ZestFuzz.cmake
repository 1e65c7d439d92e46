# One program per fuzz/<name>.cpp harness. With ZEST_FUZZ (clang) it is a libFuzzer program; otherwise it is
# linked with our replay driver, which runs every file it is given once. Either way CTest replays the harness's
# seed corpus, fuzz/corpus/<name>/, as the test fuzz_corpus_<name> (label "fuzz").
file(GLOB ZEST_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)

# Harnesses of the tools' own parsers link the tool's core library too.
set(ZEST_FUZZ_EXTRA_levelsource levelc_core)
set(ZEST_FUZZ_EXTRA_playscript tibble_playscript)
set(ZEST_FUZZ_EXTRA_simscript tibble_simcore)

foreach(src ${ZEST_FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    if(ZEST_FUZZ)
        add_executable(fuzz_${name} ${src})
        target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        set(replay_arguments -runs=0)
    else()
        add_executable(fuzz_${name} ${src} ${CMAKE_SOURCE_DIR}/fuzz/driver/ReplayMain.cpp)
        set(replay_arguments)
    endif()
    set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    if(ZEST_FUZZ_EXTRA_${name})
        target_link_libraries(fuzz_${name} PRIVATE ${ZEST_FUZZ_EXTRA_${name}})
    endif()
    zest_link_all(fuzz_${name})
    # A harness without a corpus fails its test: every harness keeps seeds.
    add_test(NAME fuzz_corpus_${name} COMMAND fuzz_${name} ${replay_arguments} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(fuzz_corpus_${name} PROPERTIES LABELS fuzz ENVIRONMENT "${ZEST_TEST_ENV}")
endforeach()
