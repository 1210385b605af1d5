# gif_speed (bench/gif/gif_speed.cpp), in both builds: today's GIF reader beside the reader of a baseline
# commit (generated into the build folder from git, when the commit is there) and giflib. The native build
# links Debian's giflib; the cross build compiles giflib's own sources with the same compiler and flags as the
# reader when GIFLIB_SOURCE_DIR names them (bench/gif/gif-speed.sh fetches them with apt-get source).
set(GIF_BASELINE_COMMIT 97317a2 CACHE STRING "The commit whose GIF reader gif_speed compares with")
set(GIFLIB_SOURCE_DIR "" CACHE PATH "giflib's sources, for the cross build's gif_speed")

add_executable(gif_speed ${CMAKE_SOURCE_DIR}/bench/gif/gif_speed.cpp)
target_link_libraries(gif_speed PRIVATE skyburst_core)
# Measured at -O2 whatever the build type, as the reader itself is built.
target_compile_options(gif_speed PRIVATE -O2)

execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} cat-file -e ${GIF_BASELINE_COMMIT}:controls/GIFReader.cpp
    RESULT_VARIABLE GIF_BASELINE_MISSING OUTPUT_QUIET ERROR_QUIET)
if(GIF_BASELINE_MISSING EQUAL 0)
    set(GIF_BASELINE_DIR ${CMAKE_BINARY_DIR}/gif-baseline)
    add_custom_command(OUTPUT ${GIF_BASELINE_DIR}/GIFReaderBaseline.cpp ${GIF_BASELINE_DIR}/GIFReaderBaseline.h
        COMMAND bash ${CMAKE_SOURCE_DIR}/bench/gif/make_baseline.sh ${CMAKE_SOURCE_DIR} ${GIF_BASELINE_COMMIT}
                ${GIF_BASELINE_DIR}
        DEPENDS ${CMAKE_SOURCE_DIR}/bench/gif/make_baseline.sh VERBATIM)
    target_sources(gif_speed PRIVATE ${GIF_BASELINE_DIR}/GIFReaderBaseline.cpp)
    target_include_directories(gif_speed PRIVATE ${GIF_BASELINE_DIR})
    target_compile_definitions(gif_speed PRIVATE GIF_BASELINE="${GIF_BASELINE_COMMIT}")
else()
    message(STATUS "gif_speed: no baseline reader (${GIF_BASELINE_COMMIT} is not in this clone)")
endif()

if(WIN32)
    if(GIFLIB_SOURCE_DIR AND EXISTS ${GIFLIB_SOURCE_DIR}/dgif_lib.c)
        add_library(giflib_win STATIC ${GIFLIB_SOURCE_DIR}/dgif_lib.c ${GIFLIB_SOURCE_DIR}/gif_err.c
            ${GIFLIB_SOURCE_DIR}/gifalloc.c ${GIFLIB_SOURCE_DIR}/gif_hash.c
            ${GIFLIB_SOURCE_DIR}/openbsd-reallocarray.c)
        target_include_directories(giflib_win PUBLIC ${GIFLIB_SOURCE_DIR})
        target_compile_options(giflib_win PRIVATE -O2 -w)
        target_link_libraries(gif_speed PRIVATE giflib_win)
        target_compile_definitions(gif_speed PRIVATE HAVE_GIFLIB)
    endif()
    # The view control's load is timed too, with the device bitmaps the plug-in makes.
    target_link_libraries(gif_speed PRIVATE skyburst_win ${STATIC_RUNTIME})
else()
    find_library(GIFLIB_LIBRARY gif)
    find_path(GIFLIB_INCLUDE_DIR gif_lib.h)
    if(GIFLIB_LIBRARY AND GIFLIB_INCLUDE_DIR)
        target_include_directories(gif_speed PRIVATE ${GIFLIB_INCLUDE_DIR})
        target_link_libraries(gif_speed PRIVATE ${GIFLIB_LIBRARY})
        target_compile_definitions(gif_speed PRIVATE HAVE_GIFLIB)
    endif()
endif()
