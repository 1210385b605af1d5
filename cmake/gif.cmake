# GIF reader tools for the native build: gifdump (what the reader makes of a file) and gif_bench (our
# reader against giflib on the same files).
find_package(ZLIB)
if(ZLIB_FOUND)
    add_executable(gifdump ${CMAKE_SOURCE_DIR}/tools/gifdump.cpp)
    target_link_libraries(gifdump PRIVATE skyburst_core ZLIB::ZLIB)
endif()

find_package(benchmark QUIET)
find_library(GIFLIB_LIBRARY gif)
find_path(GIFLIB_INCLUDE_DIR gif_lib.h)
if(benchmark_FOUND AND GIFLIB_LIBRARY AND GIFLIB_INCLUDE_DIR)
    add_executable(gif_bench ${CMAKE_SOURCE_DIR}/bench/gif/gif_bench.cpp)
    target_include_directories(gif_bench PRIVATE ${GIFLIB_INCLUDE_DIR})
    target_link_libraries(gif_bench PRIVATE skyburst_core benchmark::benchmark ${GIFLIB_LIBRARY} Threads::Threads)
    target_compile_definitions(gif_bench PRIVATE SKYBURST_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                                 SKYBURST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # Measured at -O2 whatever the build type.
    target_compile_options(gif_bench PRIVATE -O2)
endif()
