// What the drive and volume calls must do, against the fake natively and against both the fake
// and Win32 under wine (where C: is the prefix's drive, fixed and NTFS).
#include <gtest/gtest.h>

#include "contract/backends.h"
#include "platform/volumes.h"

namespace {

class VolumesContract : public BackendContract {
protected:
    Volumes& v() { return *backend_.platform.volumes; }
    // A letter that is not present, or 0.
    char16_t missing_letter() {
        uint32_t mask = v().logical_drives();
        for (int i = 1; i < 26; ++i)
            if (!(mask & (1u << i))) return static_cast<char16_t>(u'A' + i);
        return 0;
    }
};

TEST_P(VolumesContract, DriveCIsAFixedReadableDrive) {
    EXPECT_TRUE(v().logical_drives() & (1u << 2));
    EXPECT_EQ(v().drive_type(u"C:\\"), win::kDriveFixed);
    VolumeInfo info;
    ASSERT_TRUE(v().volume_info(u"C:\\", info));
    EXPECT_FALSE(info.file_system.empty());
    EXPECT_LT(info.label.size(), kVolumeLabelCap);
    EXPECT_LT(info.file_system.size(), kVolumeFileSystemCap);
    VolumeSpace space;
    ASSERT_TRUE(v().disk_space(u"C:\\", space));
    EXPECT_GT(space.total, 0u);
    EXPECT_LE(space.available, space.total);
}

TEST_P(VolumesContract, AnAbsentDriveFailsQuietly) {
    char16_t letter = missing_letter();
    if (!letter) GTEST_SKIP() << "every letter is taken";
    const char16_t root[] = {letter, u':', u'\\', 0};
    EXPECT_EQ(v().drive_type(root), win::kDriveNoRootDir);
    VolumeInfo info;
    EXPECT_FALSE(v().volume_info(root, info));
    VolumeSpace space;
    EXPECT_FALSE(v().disk_space(root, space));
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, VolumesContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, VolumesContract, ::testing::Values("fake"));
#endif

}  // namespace
