// The real DLL through many player lifetimes in one process: load, Init, Render with renderers
// running, Quit, FreeLibrary. Nothing of the plug-in may run after it is unloaded: no crash, no
// thread, no window class left behind.

#include <gtest/gtest.h>
#include <malloc.h>
#include <windows.h>

#include "tests/win/plugin_host.h"
#include "tests/win/process_threads.h"

namespace plugin_cycles_test {

namespace {

// Bytes in use on the C runtime's heap, which the plug-in's static runtime allocates from too.
std::size_t CrtHeapBytes() {
    const auto heap = reinterpret_cast<HANDLE>(_get_heap_handle());
    std::size_t bytes = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
            bytes += entry.cbData;
        }
    }
    HeapUnlock(heap);
    return bytes;
}

class PluginCycles : public ::testing::Test {
protected:
    // One lifetime; returns the module handle the library had.
    HMODULE Cycle(int renders) {
        winampVisModule* module = Host.Load();
        const HMODULE dll = Host.Dll;
        EXPECT_NE(dll, nullptr) << "error " << GetLastError();
        EXPECT_NE(module, nullptr);
        if (module != nullptr) {
            EXPECT_EQ(module->Init(module), 0);
            for (int i = 0; i < renders; ++i) {
                EXPECT_EQ(Host.Render((i * 37) & 0xFF), 0);
                PumpFor(5);
            }
            module->Quit(module);
        }
        Host.Unload();
        // Anything of ours still running would now fault in unmapped code.
        PumpFor(20);
        return dll;
    }

    TTestHost Host;
};

TEST_F(PluginCycles, ManyLifetimesLeaveNothingRunning) {
    const int before = ThreadsOfThisProcess();
    HMODULE last = nullptr;
    for (int i = 0; i < 12; ++i) {
        last = Cycle(i % 3 == 0 ? 0 : 15);  // some lifetimes end before the first render
    }
    EXPECT_EQ(ThreadsOfThisProcess(), before) << "threads outlived the library";
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExA(reinterpret_cast<HINSTANCE>(last), "SkyburstForm", &info))
        << "a window class outlived the library";
}

TEST_F(PluginCycles, ALifetimeGivesBackWhatItsLoadTook) {
    // Regression: the static C++ runtime's emergency exception pool (about 18 KB) stayed behind at every
    // unload, and so did the pthreads layer's record of every renderer thread (184 bytes each) while the
    // renderers ran on its threads. What is left (under 400 bytes) is that layer's record of the host's
    // thread and a few of its locks, which each load of its static copy makes once.
    Cycle(15);
    const std::size_t before = CrtHeapBytes();
    constexpr int Lifetimes = 10;
    for (int i = 0; i < Lifetimes; ++i) {
        Cycle(15);
    }
    const auto grown = static_cast<long long>(CrtHeapBytes()) - static_cast<long long>(before);
    EXPECT_LT(grown, Lifetimes * 512) << "have " << grown / Lifetimes << " bytes a lifetime";
}

TEST_F(PluginCycles, SlowAndBusyRenderersAreStoppedBeforeUnload) {
    // A renderer asleep for ages and renderers with no sleep at all, with both effects.
    for (const char* body : {"SkyburstLatency=2000000000\r\nvuLatency=0\r\nSpectrumsLatency=0\r\n",
                             "Effect=1\r\nLightLatency=0\r\nvuLatency=2147483647\r\n"}) {
        ASSERT_TRUE(WriteSettingsFile(body));
        const int before = ThreadsOfThisProcess();
        const DWORD start = GetTickCount();
        Cycle(20);
        EXPECT_LT(GetTickCount() - start, 5000u) << "Quit waited for a renderer's sleep";
        EXPECT_EQ(ThreadsOfThisProcess(), before);
    }
}

}  // namespace

}  // namespace plugin_cycles_test
