# Cross-compiles for 32-bit Windows with Debian's mingw-w64, with the compilers of the win32 thread
# model for the whole build (the DLL, the test player, the tests and the benchmarks). The -posix ones
# would link a static pthreads layer into the DLL, and each load of it kept a TLS slot, a thread handle
# and an event that no unload gave back: a host that loads plug-ins to list them died at the 1085th load.
# The win32 model has no std::thread, std::mutex or std::condition_variable, and its steady_clock is the
# wall clock: the code has its own (framework/Sync.h, framework/Worker.h, framework/Clock.h), and the DLL
# replaces what its runtimes would keep of each load (host/StaticRuntime.cpp).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run through Wine; the wrapper keeps each run bounded and quiet.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
