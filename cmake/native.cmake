# The native build: portable units, their unit tests, benchmarks and tools.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

# Line tables only in RelWithDebInfo: backtraces, sanitizer reports and profiles read nothing more, and
# full debug information makes every file compile a fifth slower.
set(LINE_TABLES $<$<CONFIG:RelWithDebInfo>:-g1>)
add_compile_options(${LINE_TABLES})
target_compile_options(skyburst_core PRIVATE ${LINE_TABLES})
if(PLAYER_PORTABLE)
    target_compile_options(player_core PRIVATE ${LINE_TABLES})
endif()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
# A build may take only some of the test files (names in tests/unit): scripts/sanitize.sh builds only the
# thread tests under ThreadSanitizer. The test player's units are then built only for its own tests
# (player_*.cpp).
set(SKYBURST_UNIT_TEST_FILES "" CACHE STRING "the unit test files to build, names in tests/unit; all when empty")
set(UNIT_TEST_LIBS skyburst_core player_core)
if(SKYBURST_UNIT_TEST_FILES)
    list(TRANSFORM SKYBURST_UNIT_TEST_FILES PREPEND ${CMAKE_SOURCE_DIR}/tests/unit/ OUTPUT_VARIABLE UNIT_TEST_SOURCES)
    if(NOT SKYBURST_UNIT_TEST_FILES MATCHES "(^|;)player_")
        set(UNIT_TEST_LIBS skyburst_core)
    endif()
endif()
add_executable(skyburst_unit_tests ${UNIT_TEST_SOURCES})
# The tests' own code is compiled without optimisation, which takes a third of the time; the units
# they test (the libraries) keep the build type's flags.
target_compile_options(skyburst_unit_tests PRIVATE -O0)
target_link_libraries(skyburst_unit_tests PRIVATE ${UNIT_TEST_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
target_compile_definitions(skyburst_unit_tests PRIVATE SKYBURST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The portable units and their tests in unity builds (natively only: the DLL's build stays file by file).
include(${CMAKE_SOURCE_DIR}/cmake/unity.cmake)
skyburst_unity(skyburst_core skyburst_unit_tests)
if(PLAYER_PORTABLE)
    skyburst_unity(player_core)
endif()
gtest_discover_tests(skyburst_unit_tests DISCOVERY_TIMEOUT 30)

# The native build must never see <windows.h>: a portable unit that includes it fails here.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/native/*.cpp)
    if(BENCH_SOURCES)
        add_executable(skyburst_bench ${BENCH_SOURCES})
        # One main for all: the programs in bench/native only register benchmarks.
        target_link_libraries(skyburst_bench PRIVATE skyburst_core benchmark::benchmark benchmark::benchmark_main
            Threads::Threads)
    endif()
endif()

include(${CMAKE_SOURCE_DIR}/cmake/gif.cmake OPTIONAL)

# The plain-text guide of the release zip, written from the settings record and its loader.
add_executable(settings_guide ${CMAKE_SOURCE_DIR}/tools/settings_guide.cpp)
target_link_libraries(settings_guide PRIVATE skyburst_core)
# The guide stops when its key descriptions no longer match the loader; the test run catches that early.
add_test(NAME settings_guide.describes_every_key COMMAND settings_guide 0)

# Today's GIF reader against a baseline and giflib, natively (its Windows twin runs under Wine).
include(${CMAKE_SOURCE_DIR}/cmake/gif_speed.cmake)
