cmake_minimum_required(VERSION 3.25)
# One step of the install tests (cmake -P, STEP=prefix|layout|desktop|game|examples|pkgconfig). The prefix
# step installs into OUT/staging and moves it to OUT/prefix, so every other step checks a moved installation.
set(prefix ${OUT}/prefix)
set(env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=${OUT}/home/config
        XDG_CACHE_HOME=${OUT}/home/cache XDG_DATA_HOME=${OUT}/home/data XDG_RUNTIME_DIR=${OUT}/home/run)

function(run)
    cmake_parse_arguments(RUN "" "DIR;WHAT" "" ${ARGN})
    if(NOT RUN_DIR)
        set(RUN_DIR ${OUT})
    endif()
    execute_process(COMMAND /usr/bin/env ${env} ${RUN_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${RUN_DIR}
                    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "${RUN_WHAT}: exit code ${code}\n${RUN_UNPARSED_ARGUMENTS}\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_files)
    foreach(file ${ARGN})
        if(NOT EXISTS ${prefix}/${file})
            message(FATAL_ERROR "not installed: ${file}")
        endif()
    endforeach()
endfunction()

if(STEP STREQUAL "prefix")
    file(REMOVE_RECURSE ${OUT}/staging ${prefix} ${OUT}/home)
    run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${OUT}/staging WHAT "cmake --install")
    file(RENAME ${OUT}/staging ${prefix})
    file(MAKE_DIRECTORY ${OUT}/home/run)

elseif(STEP STREQUAL "layout")
    expect_files(${GAMES_DIR}/tibble ${DATA_DIR}/main.pak ${MAN_DIR}/man6/tibble.6.gz
                 ${SHARE_DIR}/applications/${APP_ID}.desktop ${SHARE_DIR}/metainfo/${APP_ID}.metainfo.xml
                 ${SHARE_DIR}/icons/hicolor/scalable/apps/${APP_ID}.svg
                 ${LIB_DIR}/libzest.a ${LIB_DIR}/cmake/Zest/ZestConfig.cmake ${LIB_DIR}/pkgconfig/zest.pc
                 ${INCLUDE_DIR}/zest/app/ZestAppBase.h ${INCLUDE_DIR}/zest/widgets/Dialog.h)
    foreach(tool zestpak zestcheck levelc tibble-sim tibble-play tibble-plan tibble-edit)
        expect_files(${BIN_DIR}/${tool} ${MAN_DIR}/man1/${tool}.1.gz)
    endforeach()
    foreach(package tibble tibble-tools libzest-dev)
        expect_files(${SHARE_DIR}/doc/${package}/copyright ${SHARE_DIR}/doc/${package}/changelog.Debian.gz)
    endforeach()
    # The planner's level-start prefix, which the editor reads from the data folder.
    expect_files(${DATA_DIR}/level-start.play)
    # Each icon is a PNG of its size: the width and height words of the IHDR chunk.
    foreach(size 16 32 48 64 128 256 512)
        set(icon ${prefix}/${SHARE_DIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
        expect_files(${SHARE_DIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
        file(READ ${icon} header OFFSET 16 LIMIT 8 HEX)
        math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
        string(REPLACE "0x" "" hex "${hex}")
        string(LENGTH "${hex}" length)
        math(EXPR pad "8 - ${length}")
        string(REPEAT "0" ${pad} zeros)
        if(NOT header STREQUAL "${zeros}${hex}${zeros}${hex}")
            message(FATAL_ERROR "${icon}: not ${size} x ${size} (IHDR ${header})")
        endif()
    endforeach()
    # The game's own code stays out of the library, and the game's data stays out of the loose folders.
    foreach(unwanted ${INCLUDE_DIR}/zest/game ${INCLUDE_DIR}/zest/garden ${DATA_DIR}/images ${DATA_DIR}/maps)
        if(EXISTS ${prefix}/${unwanted})
            message(FATAL_ERROR "installed but should not be: ${unwanted}")
        endif()
    endforeach()

elseif(STEP STREQUAL "desktop")
    find_program(DESKTOP_VALIDATE desktop-file-validate REQUIRED)
    find_program(APPSTREAMCLI appstreamcli REQUIRED)
    set(desktop ${prefix}/${SHARE_DIR}/applications/${APP_ID}.desktop)
    foreach(entry ${desktop} ${prefix}/${SHARE_DIR}/applications/${APP_ID}.editor.desktop)
        run(${DESKTOP_VALIDATE} ${entry} WHAT "desktop-file-validate")
        if(out OR err)
            message(FATAL_ERROR "desktop-file-validate reports:\n${out}${err}")
        endif()
    endforeach()
    # The entry starts the game by its installed path.
    file(STRINGS ${desktop} exec REGEX "^Exec=")
    if(NOT exec STREQUAL "Exec=${OUT}/staging/${GAMES_DIR}/tibble")
        message(FATAL_ERROR "desktop entry: ${exec}")
    endif()
    run(${APPSTREAMCLI} validate --no-net ${prefix}/${SHARE_DIR}/metainfo/${APP_ID}.metainfo.xml WHAT "appstreamcli")
    # Every man page reads without a groff warning.
    find_program(GROFF groff)
    if(GROFF)
        file(GLOB pages ${prefix}/${MAN_DIR}/man1/*.1.gz ${prefix}/${MAN_DIR}/man6/*.6.gz)
        foreach(page ${pages})
            execute_process(COMMAND gzip -dc ${page} COMMAND ${GROFF} -man -ww -z
                            RESULT_VARIABLE code ERROR_VARIABLE err)
            if(NOT code EQUAL 0 OR err)
                message(FATAL_ERROR "${page}: ${err}")
            endif()
        endforeach()
    endif()

elseif(STEP STREQUAL "game")
    # The installed harness finds the installed data by itself (no --data) and records the demo; the installed
    # game plays it: title screen, loading, menu, QUIT. A game that cannot find its data stops at the first
    # resource with a message instead.
    set(demo ${OUT}/quit.dmo)
    file(REMOVE ${demo})
    run(${prefix}/${BIN_DIR}/tibble-play --record ${demo} ${SCRIPTS}/quit.play WHAT "tibble-play")
    run(${prefix}/${GAMES_DIR}/tibble -play -demofile=${demo} -log=debug WHAT "installed tibble")
    if("${out}${err}" MATCHES "ERROR|rror:|cannot|Failed|no usable main.pak")
        message(FATAL_ERROR "the installed game reported a problem:\n${out}${err}")
    endif()
    # The game's closing statistics count the updates it ran: all of the demo's, the last one the QUIT.
    if(NOT "${err}" MATCHES "playing demo [^\n]* \\(([0-9]+) updates\\)")
        message(FATAL_ERROR "the installed game did not play the demo:\n${out}${err}")
    endif()
    set(updates ${CMAKE_MATCH_1})
    if(NOT "${err}" MATCHES "Update Count += ${updates}\n")
        message(FATAL_ERROR "the installed game did not play its ${updates} updates to the QUIT:\n${out}${err}")
    endif()

    # -changedir still wins over the installed data: pointed at a folder without data, the game says so.
    run(${prefix}/${GAMES_DIR}/tibble -play -demofile=${demo} -changedir=${OUT}/home WHAT "tibble -changedir")
    if(NOT "${err}" MATCHES "Resource file not found")
        message(FATAL_ERROR "-changedir to a folder without data was not obeyed:\n${out}${err}")
    endif()

elseif(STEP STREQUAL "examples")
    set(build ${OUT}/examples)
    file(REMOVE_RECURSE ${build})
    set(args -S ${SOURCE}/examples -B ${build} -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
             -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
    if(LAUNCHER)
        list(APPEND args -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
    endif()
    run(${CMAKE_COMMAND} ${args} WHAT "configuring the examples")
    run(${CMAKE_COMMAND} --build ${build} WHAT "building the examples")
    run(${build}/guide/guide DIR ${build}/guide WHAT "guide")
    if(NOT EXISTS ${build}/guide/card.png)
        message(FATAL_ERROR "guide drew no card.png")
    endif()
    run(${build}/hello/hello -quitafter=50 WHAT "hello")
    if("${out}${err}" MATCHES "rror|Failed")
        message(FATAL_ERROR "hello reported a problem:\n${out}${err}")
    endif()

elseif(STEP STREQUAL "pkgconfig")
    # zest.pc, found through PKG_CONFIG_PATH in the moved prefix, builds hello with a plain compiler call. It names
    # the include folder above zest/ (users write <zest/app/ZestAppBase.h>) and no -std=: the standard is the
    # user's, C++20 or newer.
    set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIB_DIR}/pkgconfig)
    execute_process(COMMAND pkg-config --cflags --libs zest RESULT_VARIABLE code OUTPUT_VARIABLE flags
                    ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "pkg-config zest: ${err}")
    endif()
    if(NOT flags MATCHES "-I[^ ]*/${INCLUDE_DIR}( |$)")
        message(FATAL_ERROR "pkg-config zest: not the include folder above zest/ in ${flags}")
    endif()
    if(flags MATCHES "-std=")
        message(FATAL_ERROR "pkg-config zest sets the language standard: ${flags}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(build ${OUT}/pkgconfig)
    file(REMOVE_RECURSE ${build})
    file(COPY ${SOURCE}/examples/hello/data/ DESTINATION ${build})
    run(${LAUNCHER} ${CXX} -std=c++20 -o ${build}/hello ${SOURCE}/examples/hello/main.cpp ${flags}
        WHAT "c++ with pkg-config")
    run(${build}/hello -quitafter=20 WHAT "hello built with pkg-config")

    # Every installed header, included the way users include them, compiles with nothing but zest.pc's folders:
    # an include inside a header that still reads "platform/X.h" (or names a header that was not installed)
    # fails here. Both C++20 and a newer standard are taken.
    file(GLOB_RECURSE headers RELATIVE ${prefix}/${INCLUDE_DIR} ${prefix}/${INCLUDE_DIR}/zest/*.h)
    list(LENGTH headers count)
    if(count LESS 50)
        message(FATAL_ERROR "only ${count} headers installed under ${INCLUDE_DIR}/zest")
    endif()
    set(text "")
    foreach(header ${headers})
        string(APPEND text "#include <${header}>\n")
    endforeach()
    file(WRITE ${build}/all-headers.cpp "${text}")
    execute_process(COMMAND pkg-config --cflags zest OUTPUT_VARIABLE cflags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(cflags UNIX_COMMAND "${cflags}")
    foreach(standard c++20 c++23)
        run(${CXX} -std=${standard} -fsyntax-only -Wall -Wextra -Werror ${build}/all-headers.cpp ${cflags}
            WHAT "every installed header with -std=${standard}")
    endforeach()
else()
    message(FATAL_ERROR "unknown STEP ${STEP}")
endif()
