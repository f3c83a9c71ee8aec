// BCryptGenRandom with the system-preferred generator: no algorithm handle to open or keep.
#include <windows.h>
#include <bcrypt.h>

#include "platform/win32/win32_platform.h"

namespace {

class Win32SecureRandom : public SecureRandom {
public:
    bool fill(void* buffer, size_t size) override {
        auto* p = static_cast<unsigned char*>(buffer);
        // The size is a ULONG: large requests go in pieces.
        while (size > 0) {
            ULONG chunk = size > (1u << 30) ? (1u << 30) : static_cast<ULONG>(size);
            if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, p, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
            p += chunk;
            size -= chunk;
        }
        return true;
    }
};

}  // namespace

SecureRandom* win32_secure_random() {
    static Win32SecureRandom random;
    return &random;
}
