# GoogleTest's header is a good part of what each test file costs to compile; skyburst_gtest_pch(TARGET)
# compiles it once for the target's test files instead. Not through a compiler launcher: ccache cannot
# cache a file compiled with a precompiled header unless its configuration allows it, and would then
# compile every test file anew on each build; a warm cache is faster than the header anyway.
function(skyburst_gtest_pch target)
    if(NOT CMAKE_CXX_COMPILER_LAUNCHER AND "$ENV{CMAKE_CXX_COMPILER_LAUNCHER}" STREQUAL "")
        target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
    endif()
endfunction()
