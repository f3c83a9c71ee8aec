// The fake generator: the bytes a test chose first, then a fixed pseudo-random stream (the same on
// every run, so statistical checks are not flaky). fail_after makes it fail once that many more
// bytes have been served; a negative value never fails.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>

#include "platform/secure_random.h"

class FakeSecureRandom : public SecureRandom {
public:
    bool fill(void* buffer, size_t size) override;

    // Queues bytes to be served before the stream.
    void serve(std::string_view bytes);
    // Queues 32-bit words, little-endian, as draws read them.
    void serve_words(std::initializer_list<uint32_t> words);
    // Restarts the stream from a seed and drops the queued bytes.
    void reset(uint64_t seed = 1);
    void fail_after(int64_t bytes);
    void fail_now() { fail_after(0); }
    uint64_t bytes_served() const { return served_; }
    int calls() const { return calls_; }

private:
    uint8_t next_stream_byte();

    std::mutex mutex_;
    std::deque<uint8_t> chosen_;
    uint64_t state_ = 1;
    uint64_t word_ = 0;
    int word_left_ = 0;
    int64_t fail_after_ = -1;
    uint64_t served_ = 0;
    int calls_ = 0;
};
