#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/PathText.h"
#include "tests/TestSupport.h"

namespace {
const PathText kPosix(TPathStyle::Posix, {"", "/home", "/media/u/DiskA"});
const PathText kWindows(TPathStyle::Windows, {"C:", "D:"});
}  // namespace

TEST(PathText, DrivesAreMountPoints) {
  EXPECT_EQ(kPosix.DriveOf("/home/u/a.jpg"), "/home");
  EXPECT_EQ(kPosix.DriveOf("/homework/a.jpg"), "");
  EXPECT_EQ(kPosix.DriveOf("/media/u/DiskA/p/a.jpg"), "/media/u/DiskA");
  EXPECT_EQ(kPosix.ReplaceDrive("/media/u/DiskA/p/a.jpg", "/media/u/DiskB"),
            "/media/u/DiskB/p/a.jpg");
  EXPECT_EQ(kPosix.ReplaceDrive("/srv/a.jpg", "/media/u/DiskB"), "/media/u/DiskB/srv/a.jpg");
  EXPECT_TRUE(kPosix.IsKnownDrive("/media/u/DiskA"));
  EXPECT_FALSE(kPosix.IsKnownDrive("/media/u/diska"));
  EXPECT_EQ(kWindows.DriveOf("c:\\pics\\a.jpg"), "c:");
  EXPECT_EQ(kWindows.ReplaceDrive("c:\\pics\\a.jpg", "d:"), "d:\\pics\\a.jpg");
  EXPECT_TRUE(kWindows.IsKnownDrive("d:"));

  const std::string mounts =
      "/dev/vda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n/dev/vda2 /boot ext4 rw 0 0\n"
      "/dev/vdb1 /home ext4 rw 0 0\ntmpfs /run tmpfs rw 0 0\n"
      "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n/dev/sdc1 /run/media/u/STICK exfat rw 0 0\n";
  EXPECT_EQ(PathText::DrivesFromMounts(mounts),
            (std::vector<std::string>{"", "/home", "/media/u/My Disk", "/run/media/u/STICK"}));
}

TEST(PathText, FolderTextHasNoTrailingSeparator) {
  EXPECT_EQ(kPosix.FolderText("/"), "");
  EXPECT_EQ(kPosix.FolderText("/home/u/"), "/home/u");
  EXPECT_EQ(kPosix.Join("", "a.jpg"), "/a.jpg");
  EXPECT_EQ(kPosix.Join("/home/u/", "/a.jpg"), "/home/u/a.jpg");
  EXPECT_EQ(kPosix.FileName("/home/u/a b.jpg"), "a b.jpg");
  EXPECT_EQ(kPosix.FolderOf("/home/u/a.jpg"), "/home/u");
  EXPECT_EQ(kPosix.FolderOf("/a.jpg"), "");
  EXPECT_EQ(kWindows.FolderText("C:\\"), "C:");
  EXPECT_EQ(kWindows.FolderText("C:\\pics\\"), "C:\\pics");
  EXPECT_EQ(kWindows.Join("C:", "a.jpg"), "C:\\a.jpg");
}

TEST(PathText, RecordPathEncodingRoundTrips) {
  EXPECT_EQ(kPosix.EncodeRecordPath("/home/u/a.jpg"), "\\home\\u\\a.jpg");
  EXPECT_EQ(kPosix.DecodeRecordPath("\\home\\u\\a.jpg"), "/home/u/a.jpg");
  const std::string odd = "/home/u/back\\slash (1)/a.jpg";
  EXPECT_EQ(kPosix.EncodeRecordPath(odd), "\\home\\u\\back(@BSL)slash (1)\\a.jpg");
  EXPECT_EQ(kPosix.DecodeRecordPath(kPosix.EncodeRecordPath(odd)), odd);
  EXPECT_EQ(kWindows.EncodeRecordPath("C:\\pics\\a.jpg"), "C:\\pics\\a.jpg");
}

struct LineKindCase {
  const char* line;
  TDataLineKind posix;
  TDataLineKind windows;
};

class LineKinds : public ::testing::TestWithParam<LineKindCase> {};

TEST_P(LineKinds, ClassifiesLikeTheDataFileReader) {
  EXPECT_EQ(kPosix.LineKind(GetParam().line), GetParam().posix) << GetParam().line;
  EXPECT_EQ(kWindows.LineKind(GetParam().line), GetParam().windows) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    PathText, LineKinds,
    ::testing::Values(
        LineKindCase{"\\home\\u\\a.jpg/10/20/30/40", TDataLineKind::CapData,
                     TDataLineKind::CapData},
        LineKindCase{"C:\\pics\\a.jpg/0/0/100/50/ARo90", TDataLineKind::CapData,
                     TDataLineKind::CapData},
        LineKindCase{"/home/u/a.jpg", TDataLineKind::FilePath, TDataLineKind::Unknown},
        LineKindCase{"C:\\pics\\a.jpg", TDataLineKind::FilePath, TDataLineKind::FilePath},
        LineKindCase{"//FiF\\b.jpg", TDataLineKind::FilePath, TDataLineKind::FilePath},
        LineKindCase{"//FiF\\b.jpg/1/2/3/4", TDataLineKind::CapData, TDataLineKind::CapData},
        LineKindCase{"//FiF/b.jpg", TDataLineKind::FilePath, TDataLineKind::Unknown},
        LineKindCase{"plain words", TDataLineKind::Unknown, TDataLineKind::Unknown},
        LineKindCase{"", TDataLineKind::Unknown, TDataLineKind::Unknown}));

TEST(PathText, ReferenceMarkersResolveToTheirRoots) {
  const TReferenceRoots posix_roots{"/media/u/DiskB/pics", "/media/u/DiskB", "/opt/velmora", "",
                                    ""};
  EXPECT_EQ(kPosix.ResolveReference("//FiF/b.jpg", posix_roots), "/media/u/DiskB/pics/b.jpg");
  // Saved on Windows: the backslash rest of a plain path is made native.
  EXPECT_EQ(kPosix.ResolveReference("//FiF\\sub\\b.jpg", posix_roots),
            "/media/u/DiskB/pics/sub/b.jpg");
  EXPECT_EQ(kPosix.ResolveReference("//FiF\\b.jpg/1/2/3/4", posix_roots),
            "\\media\\u\\DiskB\\pics\\b.jpg/1/2/3/4");
  EXPECT_EQ(kPosix.ResolveReference("//FiD\\x\\b.jpg", posix_roots), "/media/u/DiskB/x/b.jpg");
  EXPECT_EQ(kPosix.ResolveReference("//ApF/c.bmp", posix_roots), "/opt/velmora/c.bmp");
  EXPECT_EQ(kPosix.ResolveReference("//ApD/c.bmp", posix_roots), "/c.bmp");
  EXPECT_EQ(kPosix.ResolveReference("\\pics\\a.jpg", posix_roots), "/pics/a.jpg");
  EXPECT_EQ(kPosix.ResolveReference("/home/u/a.jpg", posix_roots), "/home/u/a.jpg");
  EXPECT_EQ(kPosix.ResolveReference("//other", posix_roots), "//other");

  const TReferenceRoots win_roots{"E:\\list", "E:", "C:\\Velmora", "C:", "C:"};
  EXPECT_EQ(kWindows.ResolveReference("//FiF\\b.jpg", win_roots), "E:\\list\\b.jpg");
  EXPECT_EQ(kWindows.ResolveReference("\\a\\b.jpg", win_roots), "C:\\a\\b.jpg");
}

TEST(PathText, ReferenceFormForSaving) {
  EXPECT_EQ(kWindows.MakeReference("C:\\a\\b.jpg", "C:\\a", false), "//FiF\\b.jpg");
  EXPECT_EQ(kWindows.MakeReference("C:\\a\\b.jpg", "C:\\a", true), "//FiD\\a\\b.jpg");
  EXPECT_EQ(kWindows.MakeReference("c:\\A\\b.jpg/1/2/3/4", "C:\\a\\", false),
            "//FiF\\b.jpg/1/2/3/4");
  // A folder whose name merely begins like the data file's folder is not that folder.
  EXPECT_EQ(kWindows.MakeReference("C:\\ab\\x.jpg", "C:\\a", false), "//FiD\\ab\\x.jpg");
  EXPECT_EQ(kWindows.MakeReference("D:\\x.jpg", "C:\\a", false), "D:\\x.jpg");

  EXPECT_EQ(kPosix.MakeReference("/media/u/DiskA/p/b.jpg", "/media/u/DiskA/p", false),
            "//FiF/b.jpg");
  EXPECT_EQ(kPosix.MakeReference("/media/u/DiskA/p/b.jpg", "/media/u/DiskA/p", true),
            "//FiD/p/b.jpg");
  EXPECT_EQ(kPosix.MakeReference("\\media\\u\\DiskA\\p\\b.jpg/1/2/3/4", "/media/u/DiskA/p", false),
            "//FiF\\b.jpg/1/2/3/4");
  EXPECT_EQ(kPosix.MakeReference("/home/x.jpg", "/media/u/DiskA/p", false), "/home/x.jpg");
}

TEST(PathText, ListSavedInReferenceFormFollowsItsPicturesToAnotherDrive) {
  const std::string line =
      kPosix.MakeReference("/media/u/DiskA/p/b.jpg", "/media/u/DiskA/p", false);
  const TReferenceRoots moved{"/media/u/DiskB/q", "/media/u/DiskB", "", "", ""};
  EXPECT_EQ(kPosix.ResolveReference(line, moved), "/media/u/DiskB/q/b.jpg");
}

TEST(PathText, ProgramFolderFallsBackToTheConfigurationFolder) {
  TTempDir dir;
  const std::string exe = dir.File("bin");
  const std::string config = dir.File("config/Velmora");
  std::filesystem::create_directory(exe);
  EXPECT_EQ(ProgramFolder(exe + "/", config), exe);
  if (geteuid() != 0) {  // root may write anywhere
    chmod(exe.c_str(), 0555);
    EXPECT_EQ(ProgramFolder(exe, config), config);
    EXPECT_TRUE(std::filesystem::is_directory(config));
    chmod(exe.c_str(), 0755);
  }
  EXPECT_EQ(ProgramFolder(dir.File("absent"), config), config);
  // An installed program keeps nothing in /usr/bin, even when root (who may write there) runs it.
  EXPECT_EQ(ProgramFolder("/usr/bin", config), config);
  EXPECT_EQ(ProgramFolder("/usr/local/bin/", config), config);
}
