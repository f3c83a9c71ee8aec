#include "platform/fake/fake_secure_random.h"

#include <cstring>

// splitmix64: a small generator with a full period and good spread, enough for a fake.
uint8_t FakeSecureRandom::next_stream_byte() {
    if (word_left_ == 0) {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        word_ = z ^ (z >> 31);
        word_left_ = 8;
    }
    uint8_t b = static_cast<uint8_t>(word_);
    word_ >>= 8;
    --word_left_;
    return b;
}

bool FakeSecureRandom::fill(void* buffer, size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++calls_;
    if (fail_after_ >= 0 && static_cast<uint64_t>(fail_after_) < size) {
        fail_after_ = 0;
        return false;
    }
    if (fail_after_ >= 0) fail_after_ -= static_cast<int64_t>(size);
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < size; ++i) {
        if (!chosen_.empty()) {
            out[i] = chosen_.front();
            chosen_.pop_front();
        } else {
            out[i] = next_stream_byte();
        }
    }
    served_ += size;
    return true;
}

void FakeSecureRandom::serve(std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (char c : bytes) chosen_.push_back(static_cast<uint8_t>(c));
}

void FakeSecureRandom::serve_words(std::initializer_list<uint32_t> words) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) chosen_.push_back(static_cast<uint8_t>(w >> (8 * i)));
}

void FakeSecureRandom::reset(uint64_t seed) {
    std::lock_guard<std::mutex> lock(mutex_);
    chosen_.clear();
    state_ = seed;
    word_left_ = 0;
}

void FakeSecureRandom::fail_after(int64_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    fail_after_ = bytes;
}
