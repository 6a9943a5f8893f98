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

TEST(VolumesTest, OddMountTablesAreReadRight) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "mountinfo",
                             "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "40 22 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
                             "41 22 8:33 / /media/usb2 rw - vfat /dev/sdc1 rw\n"
                             "42 22 0:50 / /mnt/My\\040Music rw,relatime shared:9 master:2 - cifs //nas/music rw\n"
                             "43 22 0:51 / /srv/disc rw - iso9660 /dev/sr0 ro\n");
  const auto volumes = MakeSystemVolumes(dir / "mountinfo");
  // A mount point that is a prefix of another's name does not hold its paths.
  EXPECT_EQ(volumes->VolumeOf("/media/usb2/a.mp3").mountPoint, "/media/usb2/");
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").mountPoint, "/media/usb/");
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").type, DriveType::Removable);
  EXPECT_EQ(volumes->VolumeOf("/media/usbx/a.mp3").mountPoint, "/");
  // Blanks come escaped in the table.
  EXPECT_EQ(volumes->VolumeOf("/mnt/My Music/a.mp3").mountPoint, "/mnt/My Music/");
  EXPECT_EQ(volumes->VolumeOf("/mnt/My Music/a.mp3").type, DriveType::Network);
  EXPECT_EQ(volumes->VolumeOf("/srv/disc/a.mp3").type, DriveType::CdRom);
  // A label that would pass for an option never reaches a labelling program.
  EXPECT_FALSE(volumes->SetLabel("/media/usb/", "-n"));
}
