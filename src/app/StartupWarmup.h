// Work done beside the start-up, on a thread of its own, that the main window's first showing
// would otherwise do on the main thread: loading the font configuration (needed by the first
// text laid out) and decoding the main window's art. The main thread builds the toolkit in the
// meantime. Ending the object stops the work and waits for the thread.
#pragma once

#include <atomic>
#include <thread>

class StartupWarmup {
public:
    StartupWarmup();
    ~StartupWarmup();
    StartupWarmup(const StartupWarmup&) = delete;
    StartupWarmup& operator=(const StartupWarmup&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
};
