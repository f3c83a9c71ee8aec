// Drive and volume calls. Critical-error dialogs are switched off for the calling thread while a
// drive is asked, so an empty removable drive fails quietly instead of asking the user.
#include <windows.h>

#include "platform/volumes.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/wide.h"

namespace {

class QuietErrors {
public:
    QuietErrors() { ok_ = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_) != 0; }
    ~QuietErrors() {
        if (ok_) SetThreadErrorMode(old_, nullptr);
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    DWORD old_ = 0;
    bool ok_ = false;
};

class Win32Volumes : public Volumes {
public:
    uint32_t logical_drives() override { return GetLogicalDrives(); }

    uint32_t drive_type(std::u16string_view root) override {
        QuietErrors quiet;
        return GetDriveTypeW(to_wide(root).c_str());
    }

    bool volume_info(std::u16string_view root, VolumeInfo& out) override {
        QuietErrors quiet;
        wchar_t label[kVolumeLabelCap + 1] = {};
        wchar_t fs[kVolumeFileSystemCap + 1] = {};
        if (!GetVolumeInformationW(to_wide(root).c_str(), label, kVolumeLabelCap, nullptr, nullptr, nullptr, fs,
                                   kVolumeFileSystemCap))
            return false;
        out.label = from_wide(label, wcsnlen(label, kVolumeLabelCap));
        out.file_system = from_wide(fs, wcsnlen(fs, kVolumeFileSystemCap));
        return true;
    }

    bool disk_space(std::u16string_view root, VolumeSpace& out) override {
        QuietErrors quiet;
        ULARGE_INTEGER available, total;
        if (!GetDiskFreeSpaceExW(to_wide(root).c_str(), &available, &total, nullptr)) return false;
        out.available = available.QuadPart;
        out.total = total.QuadPart;
        return true;
    }
};

}  // namespace

Volumes* win32_volumes() {
    static Win32Volumes volumes;
    return &volumes;
}
