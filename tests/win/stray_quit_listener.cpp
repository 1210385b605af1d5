// Every test starts with no quit request queued on the main thread. A test whose plug-in asked
// its host to stop leaves WM_QUIT behind, and the next test's message loop would end at once:
// the tests passed one by one and failed when run together in one process.

#include <gtest/gtest.h>
#include <windows.h>

namespace stray_quit_listener {
namespace {

class TDropStrayQuit : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};

// Registered before main runs; the listener list owns it.
const bool Registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new TDropStrayQuit);
    return true;
}();

}  // namespace
}  // namespace stray_quit_listener
