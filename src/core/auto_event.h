// An auto-reset event: any number of signals before a wait wake one waiter once, and the wait
// resets it. Lanes use it so that a burst of requests coalesces into a single wake-up.
#pragma once
#include <condition_variable>
#include <mutex>

class AutoEvent {
public:
    void signal() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_one();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};
