// Volumes: the real mount table, and the fake the other tests use.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

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
                             "43 22 0:51 / /srv/disc rw - iso9660 /dev/sr0 ro\n"
                             "44 22 0:52 / /mnt/cloud rw - fuse.rclone remote: rw\n"
                             "45 22 8:49 / /mnt/win rw - fuseblk /dev/sdd1 rw\n");
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
  // What a folder watch cannot be told: changes on the server, or behind a FUSE program.
  EXPECT_FALSE(volumes->VolumeOf("/mnt/My Music/a.mp3").reportsChanges);
  EXPECT_FALSE(volumes->VolumeOf("/mnt/cloud/a.mp3").reportsChanges);
  EXPECT_TRUE(volumes->VolumeOf("/mnt/win/a.mp3").reportsChanges);
  EXPECT_TRUE(volumes->VolumeOf("/media/usb/a.mp3").reportsChanges);
  // A label that would pass for an option never reaches a labelling program.
  EXPECT_FALSE(volumes->SetLabel("/media/usb/", "-n"));
}

// A volume's label is the name of the link to its device in the label folder, with
// the characters udev escapes (blanks, slashes) written back.
TEST(VolumesTest, LabelsAreTheLinksToTheDeviceUnescaped) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "mountinfo",
                             "22 1 1:3 / / rw - ext4 /dev/null rw\n"
                             "40 22 1:5 / /media/usb rw - vfat /dev/zero rw\n"
                             "41 22 1:7 / /media/other rw - vfat /dev/full rw\n");
  std::filesystem::create_directory(dir / "by-label");
  std::filesystem::create_symlink("/dev/null", dir / "by-label/My\\x20Music\\x2fRock");
  std::filesystem::create_symlink("/dev/zero", dir / "by-label/Plain");
  const auto volumes = MakeSystemVolumes(dir / "mountinfo", dir / "by-label");
  EXPECT_EQ(volumes->VolumeOf("/home/a.mp3").label, "My Music/Rock");
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").label, "Plain");
  EXPECT_EQ(volumes->VolumeOf("/media/other/a.mp3").label, "");  // no link: no label

  // A file system mounted over another at the same place hides it: the last one counts.
  testing_support::WriteFile(dir / "mountinfo",
                             "22 1 1:3 / / rw - ext4 /dev/null rw\n"
                             "40 22 1:5 / /media/usb rw - vfat /dev/null rw\n"
                             "42 40 1:5 / /media/usb rw - vfat /dev/zero rw\n");
  const auto stacked = MakeSystemVolumes(dir / "mountinfo", dir / "by-label");
  EXPECT_EQ(stacked->VolumeOf("/media/usb/a.mp3").label, "Plain");
}

// Renaming a volume runs its file system's labelling program with the device and the
// new label; the program's exit status is the answer.
TEST(VolumesTest, TheLabellingProgramsExitStatusIsTheAnswer) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "mountinfo", "22 1 1:3 / / rw - ext4 /dev/null rw\n");
  // Only the shell's own commands: the PATH holds nothing else.
  const std::string bin = dir / "bin";
  testing_support::WriteFile(bin + "/e2label", "#!/bin/sh\necho \"$@\" > '" + bin + "/args'\nread status < '" + bin +
                                                   "/status'\nexit \"$status\"\n");
  std::filesystem::permissions(dir / "bin/e2label", std::filesystem::perms::owner_all);
  const std::string oldPath = std::getenv("PATH");
  ::setenv("PATH", (dir / "bin").c_str(), 1);
  const auto volumes = MakeSystemVolumes(dir / "mountinfo", dir / "by-label");
  testing_support::WriteFile(dir / "bin/status", "0");
  EXPECT_TRUE(volumes->SetLabel("/", "Music"));
  EXPECT_EQ(testing_support::ReadFile(dir / "bin/args"), "/dev/null Music\n");
  testing_support::WriteFile(dir / "bin/status", "1");
  EXPECT_FALSE(volumes->SetLabel("/", "Music"));
  ::setenv("PATH", oldPath.c_str(), 1);
}

// Each file system's own labelling program; none for a file system without one.
TEST(VolumesTest, EachFileSystemHasItsLabellingProgram) {
  testing_support::TempDir dir;
  const std::vector<std::pair<std::string, std::string>> programs = {
      {"ext2", "e2label"},     {"ext3", "e2label"},     {"ext4", "e2label"},    {"vfat", "fatlabel"},
      {"msdos", "fatlabel"},   {"exfat", "exfatlabel"}, {"ntfs", "ntfslabel"},  {"ntfs3", "ntfslabel"},
      {"fuseblk", "ntfslabel"}, {"btrfs", "btrfs filesystem label"}, {"xfs", ""}};
  std::string table = "22 1 1:3 / / rw - ext4 /dev/null rw\n";
  for (size_t i = 0; i < programs.size(); ++i) {
    table += std::to_string(30 + i) + " 22 1:3 / /m" + std::to_string(i) + " rw - " + programs[i].first + " /dev/null rw\n";
  }
  testing_support::WriteFile(dir / "mountinfo", table);
  const std::string bin = dir / "bin";
  for (const char* program : {"e2label", "fatlabel", "exfatlabel", "ntfslabel", "btrfs"}) {
    testing_support::WriteFile(bin + "/" + program, "#!/bin/sh\necho \"$(basename \"$0\") $1\" > '" + bin + "/ran'\n");
    std::filesystem::permissions(bin + "/" + program, std::filesystem::perms::owner_all);
  }
  const std::string oldPath = std::getenv("PATH");
  ::setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
  const auto volumes = MakeSystemVolumes(dir / "mountinfo", dir / "by-label");
  for (size_t i = 0; i < programs.size(); ++i) {
    std::filesystem::remove(bin + "/ran");
    const bool labelled = volumes->SetLabel("/m" + std::to_string(i) + "/", "L");
    const std::string expected = programs[i].second.substr(0, programs[i].second.find(' '));
    EXPECT_EQ(labelled, !expected.empty()) << programs[i].first;
    if (!expected.empty()) {
      const std::string firstWord = programs[i].second.find(' ') == std::string::npos ? "/dev/null" : "filesystem";
      EXPECT_EQ(testing_support::ReadFile(bin + "/ran"), expected + " " + firstWord + "\n") << programs[i].first;
    }
  }
  ::setenv("PATH", oldPath.c_str(), 1);
}

// A drive mounted, or labelled anew by another program, while Melodeck runs shows
// once the mount table is read again, which happens at most once a second.
TEST(VolumesTest, ADriveMountedLaterShowsAfterASecond) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "mountinfo", "22 1 1:3 / / rw - ext4 /dev/null rw\n");
  std::filesystem::create_directory(dir / "by-label");
  std::filesystem::create_symlink("/dev/null", dir / "by-label/Old");
  const auto volumes = MakeSystemVolumes(dir / "mountinfo", dir / "by-label");
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").mountPoint, "/");
  EXPECT_EQ(volumes->VolumeOf("/home/a.mp3").label, "Old");

  testing_support::WriteFile(dir / "mountinfo",
                             "22 1 1:3 / / rw - ext4 /dev/null rw\n"
                             "40 22 1:5 / /media/usb rw - vfat /dev/zero rw\n");
  std::filesystem::rename(dir / "by-label/Old", dir / "by-label/New");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").mountPoint, "/media/usb/");
  EXPECT_EQ(volumes->VolumeOf("/media/usb/a.mp3").type, DriveType::Removable);
  EXPECT_EQ(volumes->VolumeOf("/home/a.mp3").label, "New");
}
