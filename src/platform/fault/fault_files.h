// A Files wrapper that breaks things on purpose: a write that stops after N bytes, a write whose
// close fails, a replace or remove that fails. Everything else passes through to the wrapped backend.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/files.h"

class FaultFiles : public Files {
public:
    explicit FaultFiles(Files* inner) : inner_(inner) {}

    // Faults apply to paths containing this text (ASCII case ignored); empty means every path.
    std::u16string only_paths;
    std::optional<uint64_t> write_stops_after;  // bytes that reach the file before the write fails
    bool write_close_fails = false;             // all bytes written, then the close reports failure
    bool replace_fails = false;
    bool remove_fails = false;
    bool read_fails = false;
    bool create_folder_fails = false;
    int reads = 0;
    int writes = 0;
    int replaces = 0;

    using Files::attributes;
    uint32_t attributes(std::u16string_view path, uint32_t* error) override { return inner_->attributes(path, error); }
    FileInfo info(std::u16string_view path) override { return inner_->info(path); }
    uint32_t list(std::u16string_view folder, std::vector<FileEntry>& out) override { return inner_->list(folder, out); }
    uint32_t read(std::u16string_view path, std::string& out, uint64_t max_bytes) override;
    uint32_t write(std::u16string_view path, std::string_view data) override;
    uint32_t replace(std::u16string_view from, std::u16string_view to) override;
    uint32_t remove(std::u16string_view path) override;
    uint32_t create_folder(std::u16string_view path) override;
    uint32_t remove_folder(std::u16string_view path) override { return inner_->remove_folder(path); }
    uint32_t full_path(std::u16string_view path, std::u16string& out) override { return inner_->full_path(path, out); }
    std::u16string temp_folder() override { return inner_->temp_folder(); }
    std::u16string known_folder(KnownFolder id) override { return inner_->known_folder(id); }
    std::u16string module_path() override { return inner_->module_path(); }

private:
    bool applies(std::u16string_view path) const;
    Files* inner_;
};
