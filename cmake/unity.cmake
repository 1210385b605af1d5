# Unity builds: skyburst_unity(TARGET...) compiles a target's C++ files a batch at a time, each batch as
# one file. Most of what a file costs to compile is the headers it includes (the standard library's,
# GoogleTest's) and the templates they instantiate; once per batch instead of once per file, the test
# programs and the libraries under test build in well under half the time, and a precompiled header no
# longer pays for itself. Files of a batch must not define the same names at file scope: each test file
# keeps its own in a namespace named after the file. SKYBURST_UNITY_BUILD=OFF compiles file by file, which
# shows a file that compiles only after the ones before it in its batch.
option(SKYBURST_UNITY_BUILD "compile the test programs and the libraries they test in batches" ON)
set(SKYBURST_UNITY_BATCH_SIZE 16 CACHE STRING "files per batch of a unity build")

function(skyburst_unity)
    if(SKYBURST_UNITY_BUILD)
        set_target_properties(${ARGN} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${SKYBURST_UNITY_BATCH_SIZE})
        # g++ warns of a class that derives from or holds a type of an unnamed namespace when it is defined
        # in an included file, which a batch makes of every file but the first: the class is still defined
        # in one file only.
        foreach(target ${ARGN})
            target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
        endforeach()
    endif()
endfunction()
