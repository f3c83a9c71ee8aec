// Random bytes from the operating system's cryptographic generator (BCryptGenRandom with the
// system-preferred generator). There is no weaker fallback anywhere: a caller that gets false
// tells the user instead of making up numbers.
#pragma once
#include <cstddef>

class SecureRandom {
public:
    virtual ~SecureRandom() = default;
    // Fills size bytes; false when the generator failed (the buffer then holds nothing usable).
    // A size of 0 succeeds and writes nothing.
    virtual bool fill(void* buffer, size_t size) = 0;
};
