# The game's data, generated as part of a normal build (-DZEST_DATA=ON).
#
# The generators (tools/artgen, tools/fontgen, tools/soundgen) and the level compiler (tools/levelc) write
# into a staging folder that holds exactly what belongs in the archive: images/, fonts/, sounds/, music/,
# properties/ and maps/. The staged files are then copied beside the game in build/bin, so the game
# runs from its folder; main.pak is packed from the same staging folder.
#
# Each step reruns only when its generator or its sources in content/ change (a stamp file per step).
# To add a step: make it write into ${ZEST_DATA_STAGE_DIR}, give it a stamp OUTPUT, and append the stamp
# to ZEST_DATA_STAMPS before the copy below.

set(ZEST_DATA_STAGE_DIR ${CMAKE_BINARY_DIR}/data-stage CACHE INTERNAL "Files that go into main.pak")
set(ZEST_DATA_STAMP_DIR ${CMAKE_BINARY_DIR}/data-stamps)
set(ZEST_CONTENT_DIR ${CMAKE_SOURCE_DIR}/content)
file(MAKE_DIRECTORY ${ZEST_DATA_STAGE_DIR} ${ZEST_DATA_STAMP_DIR})

file(GLOB_RECURSE ZEST_ART_SOURCES CONFIGURE_DEPENDS ${ZEST_CONTENT_DIR}/art/*)
file(GLOB ZEST_FONT_SOURCES CONFIGURE_DEPENDS ${ZEST_CONTENT_DIR}/fonts/*)
file(GLOB ZEST_MUSIC_SOURCES CONFIGURE_DEPENDS ${ZEST_CONTENT_DIR}/music/*)

# Pictures, the resource manifest, the contact sheet (for review; not packed) and the program's icons
# (installed into the desktop's icon theme; not packed).
set(ZEST_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(
    OUTPUT ${ZEST_DATA_STAMP_DIR}/art.stamp
    COMMAND artgen --content ${ZEST_CONTENT_DIR} --out ${ZEST_DATA_STAGE_DIR}
            --contact ${ZEST_BIN_DIR}/contact-sheet.png --icons ${ZEST_ICON_DIR} --icon-name ${TIBBLE_APP_ID}
    COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_DATA_STAMP_DIR}/art.stamp
    BYPRODUCTS ${ZEST_BIN_DIR}/contact-sheet.png
    DEPENDS artgen ${ZEST_ART_SOURCES}
    COMMENT "Drawing the game's pictures"
    VERBATIM)

add_custom_command(
    OUTPUT ${ZEST_DATA_STAMP_DIR}/fonts.stamp
    COMMAND fontgen --content ${ZEST_CONTENT_DIR} --out ${ZEST_DATA_STAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_DATA_STAMP_DIR}/fonts.stamp
    DEPENDS fontgen ${ZEST_FONT_SOURCES}
    COMMENT "Rendering the game's fonts"
    VERBATIM)

add_custom_command(
    OUTPUT ${ZEST_DATA_STAMP_DIR}/sounds.stamp
    COMMAND soundgen --content ${ZEST_CONTENT_DIR} --out ${ZEST_DATA_STAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_DATA_STAMP_DIR}/sounds.stamp
    DEPENDS soundgen ${ZEST_MUSIC_SOURCES}
    COMMENT "Synthesizing the game's sounds and music"
    VERBATIM)

# The level maps, compiled from their sources; strict, so a level with a design warning fails the build.
file(GLOB ZEST_LEVEL_SOURCES CONFIGURE_DEPENDS ${ZEST_CONTENT_DIR}/levels/*.lvl)
set(ZEST_DATA_STAMPS
    ${ZEST_DATA_STAMP_DIR}/art.stamp
    ${ZEST_DATA_STAMP_DIR}/fonts.stamp
    ${ZEST_DATA_STAMP_DIR}/sounds.stamp)

# Until the level sources are in the tree there is nothing to compile.
if(ZEST_LEVEL_SOURCES)
    add_custom_command(
        OUTPUT ${ZEST_DATA_STAMP_DIR}/maps.stamp
        COMMAND levelc build --strict ${ZEST_CONTENT_DIR}/levels ${ZEST_DATA_STAGE_DIR}/maps
        COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_DATA_STAMP_DIR}/maps.stamp
        DEPENDS levelc ${ZEST_LEVEL_SOURCES}
        COMMENT "Compiling the level maps"
        VERBATIM)
    list(APPEND ZEST_DATA_STAMPS ${ZEST_DATA_STAMP_DIR}/maps.stamp)
endif()


# The staged data beside the game.
add_custom_command(
    OUTPUT ${ZEST_DATA_STAMP_DIR}/bin.stamp
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${ZEST_DATA_STAGE_DIR} ${ZEST_BIN_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${ZEST_DATA_STAMP_DIR}/bin.stamp
    DEPENDS ${ZEST_DATA_STAMPS}
    COMMENT "Copying the game data into ${ZEST_BIN_DIR}"
    VERBATIM)

# The same data packed into the archive the game mounts at start. The files' times in it are clamped to
# SOURCE_DATE_EPOCH (from the environment, else the last commit's time), so a build of the same sources gives the
# same main.pak byte for byte.
set(ZEST_DATA_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(ZEST_DATA_EPOCH STREQUAL "" AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                        OUTPUT_VARIABLE ZEST_DATA_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
add_custom_command(
    OUTPUT ${ZEST_BIN_DIR}/main.pak
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${ZEST_DATA_EPOCH}
            $<TARGET_FILE:zestpak> create ${ZEST_BIN_DIR}/main.pak ${ZEST_DATA_STAGE_DIR}
    DEPENDS zestpak ${ZEST_DATA_STAMPS}
    COMMENT "Packing main.pak"
    VERBATIM)

add_custom_target(zest_data ALL DEPENDS ${ZEST_DATA_STAMP_DIR}/bin.stamp ${ZEST_BIN_DIR}/main.pak)

# Screenshots for the software centres (AppStream metainfo), played by the headless harness from the built data.
set(ZEST_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
set(ZEST_SCREENSHOTS ${ZEST_SCREENSHOT_DIR}/title.png ${ZEST_SCREENSHOT_DIR}/menu.png ${ZEST_SCREENSHOT_DIR}/play.png)
if(TARGET tibble-play)
    file(MAKE_DIRECTORY ${ZEST_SCREENSHOT_DIR})
    add_custom_command(
        OUTPUT ${ZEST_SCREENSHOTS}
        COMMAND tibble-play --data ${ZEST_BIN_DIR} --level 2 ${CMAKE_SOURCE_DIR}/packaging/screenshots.play
        WORKING_DIRECTORY ${ZEST_SCREENSHOT_DIR}
        DEPENDS tibble-play ${ZEST_BIN_DIR}/main.pak ${ZEST_DATA_STAMP_DIR}/bin.stamp
                ${CMAKE_SOURCE_DIR}/packaging/screenshots.play
        COMMENT "Taking the screenshots"
        VERBATIM)
    add_custom_target(zest_screenshots ALL DEPENDS ${ZEST_SCREENSHOTS})
endif()
