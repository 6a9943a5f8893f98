// Volumes: the real mount table, and the fake the other tests use.
#include <gtest/gtest.h>

#include "fake_volumes.h"
#include "platform/volumes.h"
#include "temp_dir.h"

using namespace platform;

TEST(VolumesTest, FindsTheMountPointOfARealPath) {
  testing_support::TempDir dir;
  const VolumeInfo volume = Volumes().VolumeOf(dir.path());
  ASSERT_FALSE(volume.mountPoint.empty());
  EXPECT_EQ(volume.mountPoint.back(), '/');
  EXPECT_TRUE(dir.path().starts_with(volume.mountPoint)) << volume.mountPoint;
  EXPECT_EQ(Volumes().VolumeOf("/").mountPoint, "/");
  EXPECT_FALSE(Volumes().SetLabel("/proc/", "x"));
}

TEST(VolumesTest, ShowsTheLabelBeforeTheMountPoint) {
  EXPECT_EQ(VolumeDisplayName({"/media/usb/", "MUSIC", DriveType::Removable}), "MUSIC (/media/usb/)");
  EXPECT_EQ(VolumeDisplayName({"/srv/music/", "", DriveType::Network}), "/srv/music/");
}

TEST(VolumesTest, AFakeReplacesTheSystemWhileItLives) {
  {
    testing_support::FakeVolumes fake;
    fake.Add("/mnt/nas", "NAS", DriveType::Network);
    fake.Add("/mnt/nas/deep", "DEEP", DriveType::Removable);
    EXPECT_EQ(Volumes().VolumeOf("/mnt/nas/rock/a.mp3").label, "NAS");
    EXPECT_EQ(Volumes().VolumeOf("/mnt/nas/deep/a.mp3").type, DriveType::Removable);
    EXPECT_EQ(Volumes().VolumeOf("/mnt/nasty/a.mp3").mountPoint, "/");
    EXPECT_TRUE(Volumes().SetLabel("/mnt/nas/", "STORE"));
    EXPECT_EQ(Volumes().VolumeOf("/mnt/nas/x").label, "STORE");
    fake.labelsWritable = false;
    EXPECT_FALSE(Volumes().SetLabel("/mnt/nas/", "OTHER"));
  }
  EXPECT_NE(Volumes().VolumeOf("/mnt/nas/x").label, "STORE");
}
