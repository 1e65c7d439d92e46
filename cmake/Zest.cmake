# Helpers shared by the top-level build, the tools and the tests.

# A static library zest_<folder> from every .cpp in src/<folder> (main.cpp excluded).
# A folder without sources (the header-only base types) becomes an interface library.
# Further arguments are what the folder links: the layer just below it (which brings
# every lower one) and the third-party libraries it uses. Public, since the headers of
# a layer include those of the layers below.
function(zest_folder_library folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(zest_${folder} STATIC ${sources})
        target_include_directories(zest_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(zest_${folder} PUBLIC Threads::Threads ${ARGN})
    else()
        add_library(zest_${folder} INTERFACE)
        target_include_directories(zest_${folder} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(zest_${folder} INTERFACE ${ARGN})
    endif()
endfunction()

# Links the top layer (the game), which brings every layer below it in order.
function(zest_link_all target)
    target_link_libraries(${target} PRIVATE zest_game)
endfunction()
