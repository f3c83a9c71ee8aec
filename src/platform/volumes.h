// Drives and volumes: the drive letters present, each root's type, label, file system and space.
// Roots are given as "C:\". The win32 backend asks with critical-error dialogs switched off, so an
// empty card reader or a disconnected share answers with a failure instead of a message box.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace win {
// GetDriveTypeW results.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdrom = 5;
constexpr uint32_t kDriveRamdisk = 6;
}  // namespace win

constexpr size_t kVolumeLabelCap = 260;     // GetVolumeInformationW name buffer, in units
constexpr size_t kVolumeFileSystemCap = 32;

struct VolumeInfo {
    std::u16string label;        // may be empty
    std::u16string file_system;  // "NTFS", "FAT32", ...; may be empty
};

struct VolumeSpace {
    uint64_t available = 0;  // bytes available to the caller
    uint64_t total = 0;
};

class Volumes {
public:
    virtual ~Volumes() = default;
    // GetLogicalDrives: bit 0 is A:, bit 25 is Z:.
    virtual uint32_t logical_drives() = 0;
    // GetDriveTypeW.
    virtual uint32_t drive_type(std::u16string_view root) = 0;
    // GetVolumeInformationW; false when the volume cannot be read (an empty drive, a lost share).
    virtual bool volume_info(std::u16string_view root, VolumeInfo& out) = 0;
    // GetDiskFreeSpaceExW; false on failure.
    virtual bool disk_space(std::u16string_view root, VolumeSpace& out) = 0;
};
