// Drives of the fake machine: each letter with its type, label, file system and sizes. A drive
// that is present but unreadable (an empty CD-ROM drive) keeps its type and fails the other calls.
#pragma once
#include <map>

#include "platform/volumes.h"

struct FakeDrive {
    uint32_t type = win::kDriveFixed;
    std::u16string label;
    std::u16string file_system = u"NTFS";
    uint64_t total = 0;
    uint64_t available = 0;
    bool readable = true;  // volume information and space can be read
};

class FakeVolumes : public Volumes {
public:
    uint32_t logical_drives() override;
    uint32_t drive_type(std::u16string_view root) override;
    bool volume_info(std::u16string_view root, VolumeInfo& out) override;
    bool disk_space(std::u16string_view root, VolumeSpace& out) override;

    void add(char16_t letter, const FakeDrive& drive);
    void remove(char16_t letter);

private:
    const FakeDrive* find(std::u16string_view root) const;
    std::map<char16_t, FakeDrive> drives_;  // upper-case letter
};
