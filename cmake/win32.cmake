# The cross build: the plug-in DLL, the test player and the Windows-side tests, all linked
# statically so that they import nothing but system DLLs.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
# A tree first configured with the -posix compilers keeps them (CMake does not take up a toolchain file's new
# compilers): it would link the pthreads layer into the DLL again.
if(NOT CMAKE_CXX_COMPILER MATCHES "-win32$")
    message(FATAL_ERROR "${CMAKE_BINARY_DIR} builds with ${CMAKE_CXX_COMPILER}, not the win32 thread model's compiler "
        "that cmake/mingw-i686.cmake names: remove the folder and configure again")
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(WIN32_SYSTEM_LIBS user32 gdi32 comctl32 comdlg32 kernel32)

add_library(skyburst_win STATIC ${SKYBURST_WIN32_SOURCES})
target_link_libraries(skyburst_win PUBLIC skyburst_core ${WIN32_SYSTEM_LIBS})
target_include_directories(skyburst_win PUBLIC ${CMAKE_SOURCE_DIR})

file(GLOB RESOURCE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
# The resource scripts name files of resources/ relative to the source root; a changed file rebuilds them.
file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.gif)
set_source_files_properties(${RESOURCE_SCRIPTS} PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")
# The DLL's own replacements for parts of the static runtimes (host/StaticRuntime.cpp) are linked as an object
# of its own, ahead of the runtimes, which then give only the rest; the link wraps the unwinder's registration.
add_library(vis_skyburst SHARED ${CMAKE_SOURCE_DIR}/host/Vis_skyburst.cpp ${CMAKE_SOURCE_DIR}/host/StaticRuntime.cpp
    ${RESOURCE_SCRIPTS})
set_target_properties(vis_skyburst PROPERTIES PREFIX "" OUTPUT_NAME vis_skyburst)
target_link_libraries(vis_skyburst PRIVATE skyburst_win ${STATIC_RUNTIME})
# Only the one entry the player looks for is exported; no import library is needed.
target_link_options(vis_skyburst PRIVATE -Wl,--exclude-all-symbols -Wl,--kill-at
    -Wl,--wrap=__register_frame_info -Wl,--wrap=__deregister_frame_info)

if(PLAYER_WIN32)
    add_executable(player ${PLAYER_WIN32})
    target_include_directories(player PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(player PRIVATE player_core ${WIN32_SYSTEM_LIBS} ${STATIC_RUNTIME})
    target_link_options(player PRIVATE -mwindows)
endif()

# Walks the setup program's pages and answers its message boxes for its tests (tests/run/installer_*).
add_executable(dialog_driver ${CMAKE_SOURCE_DIR}/tests/run/dialog_driver.cpp)
target_link_libraries(dialog_driver PRIVATE user32 ${STATIC_RUNTIME})

# GoogleTest from the sources Debian installs, compiled with this toolchain.
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(gtest_win STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(gtest_win SYSTEM PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
# Its customisation point, found before Debian's: a Notification on the system's own event (GoogleTest's
# is written on std::mutex, which the win32 thread model does not have).
target_include_directories(gtest_win BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/win/gtest-port)
# Neither GoogleTest nor the tests' own code needs optimising or GoogleTest's debug information;
# without them they compile in a third of the time. The units they test keep the build type's flags.
target_compile_options(gtest_win PRIVATE -w -O0 -g0)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
# The tests build the display window into themselves, so they carry the library's resources too.
add_executable(skyburst_win_tests ${WIN_TEST_SOURCES} ${RESOURCE_SCRIPTS})
target_compile_options(skyburst_win_tests PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-O0>)
target_link_libraries(skyburst_win_tests PRIVATE skyburst_win gtest_win ${STATIC_RUNTIME})
# The timer tests count the SetTimer calls of the code under test (tests/win/timer_test.cpp).
target_link_options(skyburst_win_tests PRIVATE -Wl,--wrap=_imp__SetTimer@16)
# The test files in a unity build; the units they test (the DLL's own library) stay file by file.
include(${CMAKE_SOURCE_DIR}/cmake/unity.cmake)
skyburst_unity(skyburst_win_tests)
# Every test under Wine takes one Wine slot (its own prefix, wineserver and display) when ctest is
# given a pool of them (./run test); see scripts/wine-env.sh and scripts/wine-run.
gtest_discover_tests(skyburst_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 120 RESOURCE_GROUPS "wine:1" ENVIRONMENT SKYBURST_RUN_FROM_SLOT=1)

# Whole runs: the real DLL inside the test player, and the DLL's export and import tables. They are the
# longest tests, so they start first (ctest otherwise takes them last on a first run, and the slots
# then wait on the last few). The setup program's tests (installer_*) need the release that ./run test
# and ./run dist make in build/release; they carry the label "release".
file(GLOB RUN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/run/*.sh)
foreach(script ${RUN_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME run.${name}
        COMMAND bash ${script} $<TARGET_FILE:player> $<TARGET_FILE:vis_skyburst>
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(run.${name} PROPERTIES TIMEOUT 180 RESOURCE_GROUPS "wine:1" COST 10
        ENVIRONMENT "SKYBURST_SOURCE_DIR=${CMAKE_SOURCE_DIR};SKYBURST_BUILD_DIR=${CMAKE_BINARY_DIR}")
    if(name MATCHES "^installer_")
        set_tests_properties(run.${name} PROPERTIES LABELS release)
    endif()
endforeach()

file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*.cpp)
if(WIN_BENCH_SOURCES)
    add_executable(skyburst_win_bench ${WIN_BENCH_SOURCES})
    target_link_libraries(skyburst_win_bench PRIVATE skyburst_win ${STATIC_RUNTIME})
endif()

# The title strip's tick, a program of its own.
add_executable(title_tick_bench ${CMAKE_SOURCE_DIR}/bench/win/title/title_tick_bench.cpp)
target_link_libraries(title_tick_bench PRIVATE skyburst_win ${STATIC_RUNTIME})

# What copying the surfaces' changes to the window costs, renderer by renderer.
add_executable(surface_present_bench ${CMAKE_SOURCE_DIR}/bench/win/surface/surface_present_bench.cpp)
target_link_libraries(surface_present_bench PRIVATE skyburst_win player_core ${STATIC_RUNTIME})

# The GIF view's load and step under Wine; it carries the library's resources for the built-in images.
add_executable(skyburst_gif_bench ${CMAKE_SOURCE_DIR}/bench/gifwin/gif_view_bench.cpp ${RESOURCE_SCRIPTS})
target_link_libraries(skyburst_gif_bench PRIVATE skyburst_win ${STATIC_RUNTIME})
target_compile_options(skyburst_gif_bench PRIVATE -O2)

# The lifetime tests load the real DLL from beside the test executable.
add_dependencies(skyburst_win_tests vis_skyburst)

# The do-nothing plug-in the CPU benchmark measures against.
add_library(null_vis SHARED ${CMAKE_SOURCE_DIR}/bench/cpu/NullVis.cpp)
set_target_properties(null_vis PROPERTIES PREFIX "" OUTPUT_NAME null_vis)
target_include_directories(null_vis PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(null_vis PRIVATE ${STATIC_RUNTIME})
target_link_options(null_vis PRIVATE -Wl,--exclude-all-symbols -Wl,--kill-at)

# A plug-in that only makes the player requests Skyburst makes at every render: what of the cost
# is the requests' and not ours.
add_library(requests_vis SHARED ${CMAKE_SOURCE_DIR}/bench/cpu/RequestsVis.cpp)
set_target_properties(requests_vis PROPERTIES PREFIX "" OUTPUT_NAME requests_vis)
target_include_directories(requests_vis PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(requests_vis PRIVATE user32 ${STATIC_RUNTIME})
target_link_options(requests_vis PRIVATE -Wl,--exclude-all-symbols -Wl,--kill-at)

# The renderers' frame periods under a host threaded like the player, for the CPU benchmark.
add_executable(frame_periods ${CMAKE_SOURCE_DIR}/bench/cpu/frame_periods.cpp)
target_link_libraries(frame_periods PRIVATE skyburst_win player_core ${STATIC_RUNTIME})

# What loading, starting, stopping and unloading the plug-in over and over costs the host's process.
add_executable(plugin_memory ${CMAKE_SOURCE_DIR}/bench/memory/plugin_memory.cpp)
target_include_directories(plugin_memory PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(plugin_memory PRIVATE psapi user32 ${STATIC_RUNTIME})

# The GIF reader's speed as the DLL has it, against a baseline and giflib built the same way.
include(${CMAKE_SOURCE_DIR}/cmake/gif_speed.cmake)

# The GIF reader's plain and SSE2 codes against each other, as the 32-bit build compiles them.
target_sources(skyburst_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit/gif_paths_test.cpp)
# Rounding, as the 32-bit build computes it.
target_sources(skyburst_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit/numbers_test.cpp)
