// The real DLL through many player lifetimes in one process: load, Init, Render with renderers
// running, Quit, FreeLibrary. Nothing of the plug-in may run after it is unloaded: no crash, no
// thread, no window class left behind.

#include <gtest/gtest.h>
#include <malloc.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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

// TLS slots free in this process: taken until none is left, then all given back.
int FreeTlsSlots() {
    std::vector<DWORD> taken;
    for (DWORD slot = TlsAlloc(); slot != TLS_OUT_OF_INDEXES; slot = TlsAlloc()) {
        taken.push_back(slot);
    }
    for (const DWORD slot : taken) {
        TlsFree(slot);
    }
    return static_cast<int>(taken.size());
}

// Handles open in this process. Wine's GetProcessHandleCount answers 0, so the values of the first 16,383
// handles are probed (Wine, as Windows, gives out the lowest free value).
int HandlesOfThisProcess() {
    int count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
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
    // unload, and so did the pthreads layer's records of the threads and locks it had seen (about 370 bytes
    // a lifetime). The DLL has no such layer now, and a lifetime leaves nothing.
    Cycle(15);
    const std::size_t before = CrtHeapBytes();
    constexpr int Lifetimes = 10;
    for (int i = 0; i < Lifetimes; ++i) {
        Cycle(15);
    }
    const auto grown = static_cast<long long>(CrtHeapBytes()) - static_cast<long long>(before);
    EXPECT_LT(grown, 256) << "have " << grown / Lifetimes << " bytes a lifetime";
}

TEST_F(PluginCycles, LoadsGiveBackTlsSlotsAndHandles) {
    // Regression: each load of the static pthreads layer kept a TLS slot, a thread handle and an event, and
    // the runtimes of the win32 thread model keep semaphores and a TLS slot of their own; under Wine the
    // 1085th load found no TLS slot left and ended the host. Most loads only read the module, as a player
    // listing its plug-ins does; every 100th also runs a display with a broken user image, whose reading
    // throws inside the library. Wine's own may take a few.
    const std::string broken = ExecutableDirectory() + "broken.gif";
    std::ofstream(broken, std::ios::binary) << "GIF89a";
    ASSERT_TRUE(WriteSettingsFile("LoadGif=User\r\nUserGif1A=" + broken + "\r\n"));
    Cycle(3);
    const int slots = FreeTlsSlots();
    const int handles = HandlesOfThisProcess();
    int slotsTaken = 0;
    int handlesMade = 0;
    for (int i = 1; i <= 1200; ++i) {
        if (i % 100 == 50) {
            Cycle(3);
        } else {
            EXPECT_NE(Host.Load(), nullptr);
            Host.Unload();
        }
        if (i % 100 == 0) {
            slotsTaken = slots - FreeTlsSlots();
            handlesMade = HandlesOfThisProcess() - handles;
            ASSERT_TRUE(slotsTaken <= 2 && handlesMade <= 4)
                << "after " << i << " loads: " << slotsTaken << " TLS slots and " << handlesMade
                << " handles more in use";
        }
    }
    std::printf("after 1200 loads: %d TLS slots and %d handles more in use\n", slotsTaken, handlesMade);
    DeleteFileA(broken.c_str());
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
