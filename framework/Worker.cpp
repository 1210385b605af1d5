#include "framework/Worker.h"

#include <chrono>

// The native build: std::thread as it is.

TWorker::~TWorker() {
    Detach();
}

void TWorker::Start(std::function<void()> body) {
    Thread = std::thread(std::move(body));
}

bool TWorker::Joinable() const {
    return Thread.joinable();
}

void TWorker::Join() {
    Thread.join();
}

void TWorker::Detach() {
    if (Thread.joinable()) {
        Thread.detach();
    }
}

bool TWorker::IsCurrent() const {
    return Thread.get_id() == std::this_thread::get_id();
}

TThreadId TWorker::CurrentId() {
    return std::this_thread::get_id();
}

void TWorker::SleepFor(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}
