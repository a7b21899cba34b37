#include "core/program_folder.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

namespace fs = std::filesystem;

// An installation: an executable's folder and the installed data beside it,
// and a user's home.
struct Places : ::testing::Test {
  Places() {
    fs::create_directories(root.File("bin"));
    fs::create_directories(root.File("share/orvilane/Profils/Sites"));
    fs::create_directories(root.File("share/orvilane/help"));
    fs::create_directories(root.File("home"));
    root.Write("share/orvilane/ORVI.ini", "[Config]\r\n");
    root.Write("share/orvilane/Profils/Logiciels.ini", "shipped\r\n");
    root.Write("share/orvilane/Profils/Sites/Musique.ini", "shipped\r\n");
    root.Write("share/orvilane/help/index.html", "<p>aide</p>");
    places.exeFolder = root.File("bin/");
    places.dataFolder = root.File("share/orvilane/");
    places.userHome = root.File("home");
  }
  test::TempDir root;
  FolderPlaces places;
};

TEST_F(Places, WhichFolderIsTheProgramFolder) {
  struct Case {
    const char* name;
    std::string home;
    bool iniBesideExe;
    std::string xdg;
    std::string expected;  // relative to root
  } cases[] = {
      {"--home first", "/given/dir", true, "", "/given/dir/"},
      {"a build folder or portable copy", "", true, "", "bin/"},
      {"installed: the user's data folder", "", false, "", "home/.local/share/orvilane/"},
      {"XDG_DATA_HOME", "", false, "xdg", "xdg/orvilane/"},
      {"a relative XDG_DATA_HOME is ignored", "", false, "relative", "home/.local/share/orvilane/"},
  };
  for (const Case& c : cases) {
    fs::remove(root.File("bin/ORVI.ini"));
    if (c.iniBesideExe) root.Write("bin/ORVI.ini", "[Config]\r\n");
    places.xdgDataHome = c.xdg.empty() || c.xdg == "relative" ? c.xdg : root.File(c.xdg);
    std::string expected = c.expected.front() == '/' ? c.expected : root.File(c.expected);
    EXPECT_EQ(ResolveProgramFolder(c.home, places), expected) << c.name;
  }
}

// What ships is found whatever --home names: the home's own copy first.
TEST_F(Places, ShippedFilesAreFoundBesideTheExecutableAndInTheInstalledData) {
  fs::create_directories(root.File("home/help"));
  fs::create_directories(root.File("bin/help"));
  const std::string home = root.File("home");
  EXPECT_EQ(ShippedFilePath(home, "help/index.html", places), root.File("share/orvilane/help/index.html"));
  root.Write("bin/help/index.html", "");
  EXPECT_EQ(ShippedFilePath(home, "help/index.html", places), root.File("bin/help/index.html"));
  root.Write("home/help/index.html", "");
  EXPECT_EQ(ShippedFilePath(home, "help/index.html", places), root.File("home/help/index.html"));
  EXPECT_EQ(ShippedFilePath(home, "ORVI.avi", places), "");
}

// Root writes everywhere: run as root, the check runs in a child that became
// "nobody" and owns the user's side of the installation.
std::string AsUnprivileged(const std::string& tree, const std::function<std::string()>& work) {
  if (::geteuid() != 0) return work();
  for (const auto& entry : fs::recursive_directory_iterator(tree)) (void)::lchown(entry.path().c_str(), 65534, 65534);
  (void)::chown(tree.c_str(), 65534, 65534);
  int out[2];
  if (::pipe(out) != 0) return "pipe failed";
  pid_t child = ::fork();
  if (child == 0) {
    std::string folder = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? work() : "setuid failed";
    (void)!::write(out[1], folder.data(), folder.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string folder;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) folder.append(buffer, static_cast<size_t>(n));
  ::close(out[0]);
  ::waitpid(child, nullptr, 0);
  return folder;
}

TEST_F(Places, AReadOnlyProgramFolderIsNotUsed) {
  root.Write("bin/ORVI.ini", "[Config]\r\n");
  ::chmod(root.File("bin/ORVI.ini").c_str(), 0444);
  ::chmod(root.File("bin").c_str(), 0555);
  EXPECT_EQ(AsUnprivileged(root.path(), [&] { return ResolveProgramFolder("", places); }),
            root.File("home/.local/share/orvilane/"));
  EXPECT_TRUE(fs::exists(root.File("home/.local/share/orvilane/ORVI.ini")));
}

TEST_F(Places, TheFirstStartSeedsAndLaterStartsKeepTheUsersFiles) {
  std::string folder = ResolveProgramFolder("", places);
  ASSERT_EQ(folder, root.File("home/.local/share/orvilane/"));
  EXPECT_EQ(ReadWholeFile(folder + "ORVI.ini"), "[Config]\r\n");
  EXPECT_EQ(ReadWholeFile(folder + "Profils/Sites/Musique.ini"), "shipped\r\n");
  // The help is read where it is installed, never copied.
  EXPECT_FALSE(fs::exists(folder + "help"));

  // The user changes a profile and deletes another; the next start keeps both changes.
  ASSERT_TRUE(WriteWholeFile(folder + "Profils/Logiciels.ini", "mine\r\n"));
  fs::remove(folder + "Profils/Sites/Musique.ini");
  EXPECT_EQ(ResolveProgramFolder("", places), folder);
  EXPECT_EQ(ReadWholeFile(folder + "Profils/Logiciels.ini"), "mine\r\n");
  EXPECT_FALSE(fs::exists(folder + "Profils/Sites/Musique.ini"));
}

TEST_F(Places, SeedingNeverOverwritesAndNeedsNoData) {
  test::TempDir user;
  user.Write("ORVI.ini", "[Config]\r\nMaxConnect=3\r\n");
  EXPECT_TRUE(SeedFolder(places.dataFolder, user.path()));
  EXPECT_EQ(user.Read("ORVI.ini"), "[Config]\r\nMaxConnect=3\r\n");
  EXPECT_EQ(user.Read("Profils/Logiciels.ini"), "shipped\r\n");
  // The copies are the user's to change even when the installed files are read-only.
  struct stat st {};
  ASSERT_EQ(::stat(user.File("Profils/Logiciels.ini").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  // No installed data at all still gives a folder.
  places.dataFolder.clear();
  EXPECT_TRUE(fs::is_directory(ResolveProgramFolder("", places)));
}

}  // namespace
}  // namespace orvi
