#include "store/atomic_save.h"

#include <string>

#include "platform/platform.h"

uint32_t atomic_save(std::u16string_view path, std::string_view bytes) {
    if (path.empty()) return win::kErrInvalidParameter;
    std::u16string tmp(path);
    tmp += u".tmp";
    Files& fs = os_files();
    uint32_t rc = fs.write(tmp, bytes);
    if (rc == win::kOk) rc = fs.replace(tmp, path);
    // Whatever part of the new content reached the temporary file is useless now.
    if (rc != win::kOk) fs.remove(tmp);
    return rc;
}
