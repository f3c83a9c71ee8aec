#include "platform/fault/fault_files.h"

#include "core/text.h"

bool FaultFiles::applies(std::u16string_view path) const {
    if (only_paths.empty()) return true;
    std::u16string p(path);
    return text_contains_ci(p.c_str(), only_paths.c_str()) != 0;
}

uint32_t FaultFiles::read(std::u16string_view path, std::string& out, uint64_t max_bytes) {
    ++reads;
    if (read_fails && applies(path)) {
        out.clear();
        return win::kErrAccessDenied;
    }
    return inner_->read(path, out, max_bytes);
}

uint32_t FaultFiles::write(std::u16string_view path, std::string_view data) {
    ++writes;
    if (!applies(path)) return inner_->write(path, data);
    if (write_stops_after && *write_stops_after < data.size()) {
        uint32_t rc = inner_->write(path, data.substr(0, static_cast<size_t>(*write_stops_after)));
        return rc ? rc : win::kErrDiskFull;
    }
    uint32_t rc = inner_->write(path, data);
    if (rc == win::kOk && write_close_fails) return win::kErrWriteFault;
    return rc;
}

uint32_t FaultFiles::replace(std::u16string_view from, std::u16string_view to) {
    ++replaces;
    if (replace_fails && (applies(from) || applies(to))) return win::kErrAccessDenied;
    return inner_->replace(from, to);
}

uint32_t FaultFiles::remove(std::u16string_view path) {
    if (remove_fails && applies(path)) return win::kErrAccessDenied;
    return inner_->remove(path);
}

uint32_t FaultFiles::create_folder(std::u16string_view path) {
    if (create_folder_fails && applies(path)) return win::kErrAccessDenied;
    return inner_->create_folder(path);
}
