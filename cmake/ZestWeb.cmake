# The browser build (emcmake cmake ...): the third-party libraries come from the WebAssembly builds that
# scripts/web-deps.sh makes from Debian's source packages, under the same target names the desktop build
# gets from pkg-config, so the folder libraries link the same way on both platforms.
#
#   ZEST_WEB_DEPS   the prefix scripts/web-deps.sh printed (include/ and lib/ of the libraries)
#
# The web build has no threads (the page then runs from any static web server, without the cross-origin
# isolation shared memory needs) and leaves out what the game does not use: JPEG, JPEG 2000, tracker
# modules and system fonts. Tools, tests, benchmarks, fuzzing and data generation belong to the desktop
# build; the site takes main.pak from there.

set(ZEST_WEB_DEPS "$ENV{ZEST_WEB_DEPS}" CACHE PATH "Prefix of the WebAssembly libraries (scripts/web-deps.sh)")
if(NOT ZEST_WEB_DEPS OR NOT EXISTS ${ZEST_WEB_DEPS}/lib/libSDL2.a)
    message(FATAL_ERROR "ZEST_WEB_DEPS must name the prefix scripts/web-deps.sh prints (no libSDL2.a in "
                        "'${ZEST_WEB_DEPS}/lib')")
endif()

set(ZEST_JPEG OFF CACHE BOOL "" FORCE)
set(ZEST_JPEG2000 OFF CACHE BOOL "" FORCE)
set(ZEST_MODULES OFF CACHE BOOL "" FORCE)
set(ZEST_SYSTEM_FONTS OFF CACHE BOOL "" FORCE)
set(ZEST_BENCH OFF CACHE BOOL "" FORCE)
set(ZEST_DATA OFF CACHE BOOL "" FORCE)

# zest_web_library(NAME LIBS... [INCLUDE SUBDIR]): an imported target over static libraries of the prefix.
function(zest_web_library name)
    cmake_parse_arguments(arg "" "INCLUDE" "" ${ARGN})
    add_library(${name} INTERFACE IMPORTED GLOBAL)
    set(includes ${ZEST_WEB_DEPS}/include)
    if(arg_INCLUDE)
        list(APPEND includes ${ZEST_WEB_DEPS}/include/${arg_INCLUDE})
    endif()
    set(libs "")
    foreach(lib ${arg_UNPARSED_ARGUMENTS})
        list(APPEND libs ${ZEST_WEB_DEPS}/lib/lib${lib}.a)
    endforeach()
    set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${includes}"
                                             INTERFACE_LINK_LIBRARIES "${libs}")
endfunction()

zest_web_library(PkgConfig::ZLIB z)
zest_web_library(PkgConfig::PNG png16 z)
zest_web_library(PkgConfig::SDL2 SDL2 INCLUDE SDL2)
zest_web_library(PkgConfig::VORBIS vorbisfile vorbis ogg)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)

# The resource manager reports errors by exception; emscripten leaves catching off unless asked.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# The folder libraries link as one rescanned group on the desktop; wasm-ld resolves across archives in
# any order and takes the group options only for compatibility.
set(CMAKE_CXX_LINK_GROUP_USING_RESCAN "LINKER:--start-group" "LINKER:--end-group")
set(CMAKE_CXX_LINK_GROUP_USING_RESCAN_SUPPORTED TRUE)

# Optimised whatever the build type: a debug build of the blits cannot keep up in a browser.
add_compile_options(-O2)
# The blit and scale rows' SSE2 paths compile to 128-bit WebAssembly SIMD through emscripten's SSE2
# headers; -DZEST_WEB_SIMD=OFF gives the scalar build (the browser must support SIMD otherwise).
option(ZEST_WEB_SIMD "Use 128-bit WebAssembly SIMD" ON)
if(ZEST_WEB_SIMD)
    add_compile_options(-msimd128 -msse2)
endif()

# zest_web_page(TARGET): link options for a program that runs in the page shell (web/index.html): the
# shell fetches the data archive and mounts the settings folder before main() runs.
set(ZEST_WEB_PAGE_LINK_OPTIONS
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=67108864
    -sFORCE_FILESYSTEM=1
    -sEXIT_RUNTIME=0
    "-sEXPORTED_RUNTIME_METHODS=[callMain,FS,ccall,cwrap]"
    "-sEXPORTED_FUNCTIONS=[_main,_malloc,_free]"
    -lidbfs.js
    "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/src/platform/web/ZestPage.js"
    "SHELL:--js-library ${CMAKE_SOURCE_DIR}/src/platform/web/ZestLibrary.js")
function(zest_web_page target)
    target_link_options(${target} PRIVATE ${ZEST_WEB_PAGE_LINK_OPTIONS})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
        ${CMAKE_SOURCE_DIR}/src/platform/web/ZestPage.js ${CMAKE_SOURCE_DIR}/src/platform/web/ZestLibrary.js)
endfunction()

# The blit rows' SIMD against scalar benchmark, run by node (node --no-experimental-fetch
# build-web/bin/bench_blit_web.js).
function(zest_web_benchmarks)
    if(EXISTS ${CMAKE_SOURCE_DIR}/bench/web/blit_rows.cpp)
        add_executable(bench_blit_web ${CMAKE_SOURCE_DIR}/bench/web/blit_rows.cpp)
        target_include_directories(bench_blit_web PRIVATE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(bench_blit_web PRIVATE zest_graphics)
        target_link_options(bench_blit_web PRIVATE -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1)
    endif()
endfunction()

# zest_web_package(): the framework as a CMake package in the build tree (build-web/zest), so a Zest program
# builds for the browser from its own unchanged CMakeLists.txt:
#   emcmake cmake -S examples/hello -B build-web/examples/hello -DZest_DIR=$PWD/build-web/zest
# (scripts/web.sh --example hello does that and makes the program's page). Zest::Zest carries the folder
# libraries, the WebAssembly libraries and the page's link options; headers are found as "app/..." and as
# <zest/app/...>.
function(zest_web_package)
    set(folders base platform files graphics resources audio widgets app)
    set(archives "")
    foreach(folder ${folders})
        get_target_property(type zest_${folder} TYPE)
        if(type STREQUAL "STATIC_LIBRARY")
            list(APPEND archives "$<TARGET_FILE:zest_${folder}>")
        endif()
    endforeach()
    set(package ${CMAKE_BINARY_DIR}/zest)
    file(MAKE_DIRECTORY ${package}/include)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src ${package}/include/zest SYMBOLIC)
    set(deps "")
    foreach(lib SDL2 png16 z vorbisfile vorbis ogg)
        list(APPEND deps ${ZEST_WEB_DEPS}/lib/lib${lib}.a)
    endforeach()
    set(options -fexceptions ${ZEST_WEB_PAGE_LINK_OPTIONS})
    set(compileOptions -fexceptions)
    if(ZEST_WEB_SIMD)
        list(APPEND compileOptions -msimd128 -msse2)
    endif()
    file(GENERATE OUTPUT ${package}/ZestConfig.cmake CONTENT "\
# Zest built for the browser, from the build tree ${CMAKE_BINARY_DIR} (made by cmake/ZestWeb.cmake).
if(NOT EMSCRIPTEN)
    set(Zest_FOUND FALSE)
    set(Zest_NOT_FOUND_MESSAGE \"this Zest is built for the browser: configure with emcmake\")
    return()
endif()
if(NOT TARGET Zest::Zest)
    add_library(Zest::Zest INTERFACE IMPORTED)
    set_target_properties(Zest::Zest PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES \"${CMAKE_SOURCE_DIR}/src;${package}/include;${ZEST_WEB_DEPS}/include\"
        INTERFACE_COMPILE_FEATURES cxx_std_20
        INTERFACE_COMPILE_OPTIONS \"${compileOptions}\"
        INTERFACE_LINK_LIBRARIES \"-Wl,--start-group;${archives};-Wl,--end-group;${deps}\"
        INTERFACE_LINK_OPTIONS \"${options}\")
endif()
")
    # The framework's version, as the desktop package's (cmake/ZestInstall.cmake).
    include(CMakePackageConfigHelpers)
    write_basic_package_version_file(${package}/ZestConfigVersion.cmake VERSION 1.1 COMPATIBILITY SameMinorVersion)
    add_custom_target(zest_web_package ALL)
    foreach(folder ${folders})
        add_dependencies(zest_web_package zest_${folder})
    endforeach()
endfunction()
