# Helpers shared by the top-level build, the tools and the tests.

set(ZEST_FOLDER_LIBRARIES "" CACHE INTERNAL "")

# A static library zest_<folder> from every .cpp in src/<folder> (main.cpp excluded).
# A folder without sources yet becomes an empty interface library, so the build
# stays whole while the framework grows.
# Further arguments are the third-party libraries the folder uses.
function(zest_folder_library folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(zest_${folder} STATIC ${sources})
        target_include_directories(zest_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(zest_${folder} PUBLIC Threads::Threads ${ARGN})
        set(ZEST_FOLDER_LIBRARIES ${ZEST_FOLDER_LIBRARIES} zest_${folder} CACHE INTERNAL "")
    else()
        add_library(zest_${folder} INTERFACE)
        target_include_directories(zest_${folder} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(zest_${folder} INTERFACE ${ARGN})
    endif()
endfunction()

# Link every framework and game library, rescanned as a group so calls between
# folders resolve in either direction.
function(zest_link_all target)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${ZEST_FOLDER_LIBRARIES}>")
    foreach(lib ${ZEST_FOLDER_LIBRARIES})
        get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
        if(deps)
            target_link_libraries(${target} PRIVATE ${deps})
        endif()
    endforeach()
    target_link_libraries(${target} PRIVATE zest_platform zest_files zest_graphics zest_resources zest_audio
        zest_widgets zest_app zest_garden zest_game)
endfunction()
