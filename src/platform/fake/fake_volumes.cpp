#include "platform/fake/fake_volumes.h"

namespace {
char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

// "C:\" or "C:" (GetDriveTypeW also takes the root without its backslash).
bool root_letter(std::u16string_view root, char16_t& letter) {
    if (root.size() < 2 || root.size() > 3 || root[1] != u':') return false;
    if (root.size() == 3 && root[2] != u'\\' && root[2] != u'/') return false;
    letter = upper(root[0]);
    return letter >= u'A' && letter <= u'Z';
}
}  // namespace

const FakeDrive* FakeVolumes::find(std::u16string_view root) const {
    char16_t letter;
    if (!root_letter(root, letter)) return nullptr;
    auto it = drives_.find(letter);
    return it == drives_.end() ? nullptr : &it->second;
}

uint32_t FakeVolumes::logical_drives() {
    uint32_t mask = 0;
    for (const auto& [letter, d] : drives_) mask |= 1u << (letter - u'A');
    return mask;
}

uint32_t FakeVolumes::drive_type(std::u16string_view root) {
    const FakeDrive* d = find(root);
    return d ? d->type : win::kDriveNoRootDir;
}

bool FakeVolumes::volume_info(std::u16string_view root, VolumeInfo& out) {
    const FakeDrive* d = find(root);
    if (!d || !d->readable) return false;
    out.label = d->label.substr(0, kVolumeLabelCap - 1);
    out.file_system = d->file_system.substr(0, kVolumeFileSystemCap - 1);
    return true;
}

bool FakeVolumes::disk_space(std::u16string_view root, VolumeSpace& out) {
    const FakeDrive* d = find(root);
    if (!d || !d->readable) return false;
    out.total = d->total;
    out.available = d->available;
    return true;
}

void FakeVolumes::add(char16_t letter, const FakeDrive& drive) {
    letter = upper(letter);
    if (letter >= u'A' && letter <= u'Z') drives_[letter] = drive;
}

void FakeVolumes::remove(char16_t letter) { drives_.erase(upper(letter)); }
