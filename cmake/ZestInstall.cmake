# What `cmake --install` places and what cpack packs:
#   game   the game in games/ (Debian's place for games), its data (main.pak) in share/games/tibble, the
#          desktop entry, icons, AppStream metainfo with build-made screenshots, and the man page;
#   tools  zestpak, zestcheck, levelc, tibble-sim, tibble-play, tibble-plan and tibble-edit in bin/, and the
#          planners' level-start prefix beside the game's data;
#   dev    the Zest framework as a library: headers under include/zest (included as <zest/app/X.h>), one static
#          libzest.a, the CMake package Zest::Zest and zest.pc.
# Paths are relative to the prefix, and the programs find their data relative to their own folder, so an
# installed tree still works after it is moved.

# Libraries go to the multiarch folder (lib/x86_64-linux-gnu on Debian), where the distribution and
# pkg-config's cross-compilation support look for them.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR})
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (lib)")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TIBBLE_VERSION 1.1)
set(TIBBLE_CODE_LICENSE MIT)
set(TIBBLE_DATA_LICENSE CC-BY-4.0)
# Where the screenshots the build makes (build/screenshots) are published for software centres.
set(TIBBLE_SCREENSHOT_URL https://www.mossbankgames.example/tibble/screenshots CACHE STRING
    "Web folder that serves the screenshots named in the AppStream metainfo")
set(TIBBLE_INSTALL_GAMESDIR games CACHE STRING "Where the game goes, relative to the prefix")
set(TIBBLE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/tibble CACHE STRING
    "Where the game's data goes, relative to the prefix")
set(TIBBLE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tibble)
set(ZEST_FRAMEWORK_FOLDERS base platform files graphics resources audio widgets app)

# The programs look for the data relative to their own folder.
file(RELATIVE_PATH TIBBLE_DATA_FROM_GAMES /${TIBBLE_INSTALL_GAMESDIR} /${TIBBLE_INSTALL_DATADIR})
file(RELATIVE_PATH TIBBLE_DATA_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${TIBBLE_INSTALL_DATADIR})
if(TARGET tibble)
    target_compile_definitions(tibble PRIVATE TIBBLE_INSTALLED_DATA="${TIBBLE_DATA_FROM_GAMES}")
endif()
foreach(tool tibble-play tibble-sim tibble-edit)
    if(TARGET ${tool})
        target_compile_definitions(${tool} PRIVATE TIBBLE_INSTALLED_DATA="${TIBBLE_DATA_FROM_BIN}")
    endif()
endforeach()

# ---- game ----
if(TARGET tibble)
    install(TARGETS tibble RUNTIME DESTINATION ${TIBBLE_INSTALL_GAMESDIR} COMPONENT game)
endif()
if(ZEST_DATA)
    # The archive holds every data file; the loose copies in build/bin are for development only.
    install(FILES ${ZEST_BIN_DIR}/main.pak DESTINATION ${TIBBLE_INSTALL_DATADIR} COMPONENT game)
    install(DIRECTORY ${ZEST_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT game)
    install(DIRECTORY ${ZEST_SCREENSHOT_DIR}/ DESTINATION ${TIBBLE_DOCDIR}/screenshots COMPONENT game
            FILES_MATCHING PATTERN "*.png")
endif()
configure_file(${CMAKE_SOURCE_DIR}/packaging/tibble.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)

# Man pages are installed compressed (gzip -n: no name or time stamp, so the files are reproducible), and each
# package carries the copyright file and the changelog in its own documentation folder.
find_program(ZEST_GZIP gzip REQUIRED)
set(ZEST_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(zestCompressed "")
function(zest_gzip_file source output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${ZEST_GZIP} ${source} ${output}
        DEPENDS ${source} VERBATIM)
    set(zestCompressed ${zestCompressed} ${output} PARENT_SCOPE)
endfunction()
zest_gzip_file(${CMAKE_SOURCE_DIR}/packaging/tibble.6 ${ZEST_PACKAGING_OUT}/tibble.6.gz)
set(ZEST_TOOL_MANPAGES levelc tibble-edit tibble-plan tibble-play tibble-sim zestcheck zestpak)
foreach(page ${ZEST_TOOL_MANPAGES})
    zest_gzip_file(${CMAKE_SOURCE_DIR}/packaging/man/${page}.1 ${ZEST_PACKAGING_OUT}/${page}.1.gz)
endforeach()
zest_gzip_file(${CMAKE_SOURCE_DIR}/packaging/changelog ${ZEST_PACKAGING_OUT}/changelog.Debian.gz)
add_custom_target(zest_packaging_files ALL DEPENDS ${zestCompressed})

install(FILES ${ZEST_PACKAGING_OUT}/tibble.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
foreach(page ${ZEST_TOOL_MANPAGES})
    install(FILES ${ZEST_PACKAGING_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endforeach()
foreach(component game tools dev)
    if(component STREQUAL "game")
        set(docdir ${TIBBLE_DOCDIR})
    elseif(component STREQUAL "tools")
        set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tibble-tools)
    else()
        set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/libzest-dev)
    endif()
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${ZEST_PACKAGING_OUT}/changelog.Debian.gz
            DESTINATION ${docdir} COMPONENT ${component})
endforeach()
# The desktop entry starts the game by its full installed path: the menu's PATH need not hold games/.
# The prefix is known only when installing (cmake --install --prefix, or cpack), so the entry is written then.
install(CODE "
    set(desktopIn \"${CMAKE_SOURCE_DIR}/packaging/tibble.desktop.in\")
    set(TIBBLE_EXEC \"\${CMAKE_INSTALL_PREFIX}/${TIBBLE_INSTALL_GAMESDIR}/tibble\")
    set(TIBBLE_APP_ID \"${TIBBLE_APP_ID}\")
    configure_file(\${desktopIn} \"${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.desktop\" @ONLY)
    file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    " COMPONENT game)

# ---- tools ----
foreach(tool zestpak zestcheck levelc tibble-sim tibble-play tibble-plan tibble-edit)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
    endif()
endforeach()
# The installed programs go without the compilers' version stamps (.comment), as Debian's own builds do.
if(CMAKE_OBJCOPY)
    foreach(tool tibble zestpak zestcheck levelc tibble-sim tibble-play tibble-plan tibble-edit)
        if(TARGET ${tool})
            if(tool STREQUAL "tibble")
                set(where ${TIBBLE_INSTALL_GAMESDIR})
                set(component game)
            else()
                set(where ${CMAKE_INSTALL_BINDIR})
                set(component tools)
            endif()
            install(CODE "
                execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${where}/${tool}\" RESULT_VARIABLE done)
                if(NOT done EQUAL 0)
                    message(FATAL_ERROR \"objcopy --remove-section=.comment ${tool} failed\")
                endif()
                " COMPONENT ${component})
        endif()
    endforeach()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/content/levels/level-start.play DESTINATION ${TIBBLE_INSTALL_DATADIR}
        COMPONENT tools)
# The level editor's menu entry, written at install time like the game's.
install(CODE "
    set(TIBBLE_EDIT_EXEC \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tibble-edit\")
    set(TIBBLE_APP_ID \"${TIBBLE_APP_ID}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/packaging/tibble-edit.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.editor.desktop\" @ONLY)
    file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/${TIBBLE_APP_ID}.editor.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    " COMPONENT tools)

# ---- dev: the framework as a library ----
# One archive of every framework layer's objects, so users link one library whatever layers they reach
# (the linker resolves calls between members of one archive in any order). It stands for the layers'
# links to each other, so only their third-party libraries travel with it.
set(zestObjects "")
set(zestDeps Threads::Threads)
foreach(folder ${ZEST_FRAMEWORK_FOLDERS})
    get_target_property(type zest_${folder} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
        list(APPEND zestObjects $<TARGET_OBJECTS:zest_${folder}>)
    endif()
    get_target_property(deps zest_${folder} INTERFACE_LINK_LIBRARIES)
    if(deps)
        list(FILTER deps EXCLUDE REGEX "^zest_")
        list(APPEND zestDeps ${deps})
    endif()
endforeach()
list(REMOVE_DUPLICATES zestDeps)
add_library(zest STATIC ${zestObjects})
set_target_properties(zest PROPERTIES LINKER_LANGUAGE CXX EXPORT_NAME Zest)
# C++20 as a minimum: a user's newer standard stays.
target_compile_features(zest INTERFACE cxx_std_20)
# Users include the framework as <zest/app/ZestAppBase.h>: the include folder is the one above zest/.
set(ZEST_HEADER_OUT ${CMAKE_BINARY_DIR}/include)
target_include_directories(zest INTERFACE $<BUILD_INTERFACE:${ZEST_HEADER_OUT}>
                                          $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(zest INTERFACE ${zestDeps})
add_library(Zest::Zest ALIAS zest)

# The installed headers: the framework folders' headers with their includes given the zest/ prefix.
set(zestHeaders "")
foreach(folder ${ZEST_FRAMEWORK_FOLDERS})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    list(APPEND zestHeaders ${headers})
endforeach()
string(REPLACE ";" "," zestFolderList "${ZEST_FRAMEWORK_FOLDERS}")
add_custom_command(OUTPUT ${ZEST_HEADER_OUT}/zest.stamp
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DOUT=${ZEST_HEADER_OUT} -DFOLDERS=${zestFolderList}
            -P ${CMAKE_SOURCE_DIR}/cmake/ZestHeaders.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_HEADER_OUT}/zest.stamp
    DEPENDS ${zestHeaders} ${CMAKE_SOURCE_DIR}/cmake/ZestHeaders.cmake
    COMMENT "Writing the installed headers into include/zest" VERBATIM)
add_custom_target(zest_headers ALL DEPENDS ${ZEST_HEADER_OUT}/zest.stamp)
add_dependencies(zest zest_headers)
install(DIRECTORY ${ZEST_HEADER_OUT}/zest DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(TARGETS zest EXPORT ZestTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
# The installed archive keeps its symbols but not its debug information (tens of megabytes of it), nor the
# compiler's version stamps (.comment); the .note sections stay (.note.GNU-stack keeps the stack non-executable).
if(CMAKE_STRIP)
    install(CODE "
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/libzest.a\"
                        RESULT_VARIABLE stripped)
        if(NOT stripped EQUAL 0)
            message(FATAL_ERROR \"strip --strip-debug libzest.a failed\")
        endif()
        " COMPONENT dev)
endif()
set(ZEST_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zest)
install(EXPORT ZestTargets NAMESPACE Zest:: DESTINATION ${ZEST_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_SOURCE_DIR}/packaging/ZestConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/packaging/ZestConfig.cmake INSTALL_DESTINATION ${ZEST_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/ZestConfigVersion.cmake VERSION ${TIBBLE_VERSION}
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ZestConfig.cmake ${CMAKE_BINARY_DIR}/packaging/ZestConfigVersion.cmake
        DESTINATION ${ZEST_CMAKE_DIR} COMPONENT dev)
# pkg-config: the prefix is found from the .pc file's own place, so a moved tree works here too.
file(RELATIVE_PATH ZEST_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" ZEST_PC_TO_PREFIX "${ZEST_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/zest.pc.in ${CMAKE_BINARY_DIR}/packaging/zest.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zest.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# API reference from the framework headers' comments (optional: needs Doxygen).
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
    set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/docs)
    set(DOXYGEN_PROJECT_NAME Zest)
    set(DOXYGEN_PROJECT_BRIEF "2-D application framework")
    set(DOXYGEN_EXTRACT_ALL YES)
    set(DOXYGEN_FILE_PATTERNS *.h)
    set(DOXYGEN_STRIP_FROM_PATH ${CMAKE_SOURCE_DIR}/src)
    set(DOXYGEN_GENERATE_LATEX NO)
    set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${CMAKE_SOURCE_DIR}/docs/guide.md)
    set(zestHeaderFolders ${CMAKE_SOURCE_DIR}/docs/guide.md)
    foreach(folder ${ZEST_FRAMEWORK_FOLDERS})
        list(APPEND zestHeaderFolders ${CMAKE_SOURCE_DIR}/src/${folder})
    endforeach()
    doxygen_add_docs(zest_docs ${zestHeaderFolders} COMMENT "Writing the Zest API reference into docs/html")
endif()

# ---- Debian packages: cpack -G DEB makes tibble (game and data), tibble-tools and libzest-dev ----
# Each package's description starts with its own summary line (a package-wide summary would be put first in all).
set(CPACK_PACKAGE_NAME tibble)
set(CPACK_PACKAGE_VENDOR "Mossbank Games")
set(CPACK_PACKAGE_VERSION ${TIBBLE_VERSION})
set(CPACK_PACKAGE_CONTACT "Mossbank Games <games@mossbankgames.example>")
# Install with DESTDIR and the real prefix /usr, so the desktop entry names /usr/games/tibble.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game tools dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.mossbankgames.example/")
# Shared-library dependencies come from dpkg-shlibdeps over the installed programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME tibble)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# The fallback face for system fonts (fontconfig finds it at run time, so dpkg-shlibdeps cannot).
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_GAME_DESCRIPTION
    "arcade game: steer a bee with garden hoses\nTibble the bee cannot be steered: hold the mouse button on the\ngarden hoses and their spray pushes the bee onto flowers, through\ntrumpets and past fly traps and tomatoes, across thirteen levels.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME tibble-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS tibble)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
    "level and data tools for Tibble the Bee\nThe archive packer, the data checker, the level compiler, the garden\nsimulator, the headless play harness, the level planner and the level editor.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libzest-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# A static library: its users link what it uses, so the -dev packages are its dependencies.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libsdl2-dev, libpng-dev, zlib1g-dev, libjpeg-dev, libvorbis-dev, libogg-dev, libopenmpt-dev, libopenjp2-7-dev, libfreetype-dev, libfontconfig-dev, pkg-config")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "Zest 2-D application framework (static library and headers)\nWindow and fixed-rate main loop, widgets and modal dialogs, a software\ndrawing context with bitmap and system fonts, a resource manifest loaded\non a background thread, an archive file system, sound effects and music.")
include(CPack)
