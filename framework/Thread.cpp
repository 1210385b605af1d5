#include "framework/Thread.h"

#include <chrono>

TThread::~TThread() {
    Terminate();
    Join();
}

void TThread::Start(TFrameHandOver& handOver) {
    HandOver = &handOver;
    Worker = std::thread([this] { Body(); });
}

void TThread::Join() {
    if (Worker.joinable() && Worker.get_id() != std::this_thread::get_id()) {
        Worker.join();
    }
}

bool TThread::Synchronize(const std::function<void()>& work) {
    return HandOver != nullptr && HandOver->Run(work);
}

void TThread::SleepMs(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void TThread::Body() {
    Execute();
    BodyFinished = true;
    if (OnBodyFinished) {
        OnBodyFinished(this);
    }
}
