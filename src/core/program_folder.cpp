#include "core/program_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file_io.h"

namespace orvi {
namespace fs = std::filesystem;
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool IsDir(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// The data installed with the executable: <prefix>/share/orvilane/ for a
// program in <prefix>/bin/.
std::string DataFolderBeside(const std::string& exeFolder) {
  if (exeFolder.empty()) return {};
  std::string candidate = exeFolder + "../share/orvilane/";
  if (!FileExists(candidate + "ORVI.ini")) return {};
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(candidate, ec);
  return ec ? candidate : WithTrailingSlash(canonical.string());
}

}  // namespace

FolderPlaces CurrentFolderPlaces() {
  FolderPlaces p;
  p.exeFolder = ExecutableFolder();
  p.dataFolder = DataFolderBeside(p.exeFolder);
  p.xdgDataHome = Env("XDG_DATA_HOME");
  p.userHome = Env("HOME");
  return p;
}

std::string InstalledDataFolder() { return DataFolderBeside(ExecutableFolder()); }

std::string ShippedFilePath(const std::string& appFolder, const std::string& relative, const FolderPlaces& places) {
  for (const std::string* folder : {&appFolder, &places.exeFolder, &places.dataFolder}) {
    if (folder->empty()) continue;
    std::string path = WithTrailingSlash(*folder) + relative;
    if (FileExists(path)) return path;
  }
  return {};
}

std::string ShippedFilePath(const std::string& appFolder, const std::string& relative) {
  return ShippedFilePath(appFolder, relative, CurrentFolderPlaces());
}

bool SeedFolder(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::create_directories(to, ec);
  if (!IsDir(to)) return false;
  if (from.empty() || !IsDir(from)) return true;
  fs::path root(from);
  auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::path rel = it->path().lexically_relative(root);
    if (it.depth() == 0 && rel == "help") {
      it.disable_recursion_pending();
      continue;
    }
    fs::path target = fs::path(to) / rel;
    std::error_code step;
    if (it->is_directory(step)) {
      fs::create_directories(target, step);
    } else if (it->is_regular_file(step) && !fs::exists(target, step)) {
      fs::copy_file(it->path(), target, fs::copy_options::skip_existing, step);
      // Installed files are read-only for the user; the copies are theirs to change.
      fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, step);
    }
  }
  return true;
}

std::string ResolveProgramFolder(const std::string& home, const FolderPlaces& places) {
  if (!home.empty()) return WithTrailingSlash(home);
  const std::string& exe = places.exeFolder;
  if (!exe.empty() && FileExists(exe + "ORVI.ini") && ::access(exe.c_str(), W_OK) == 0 &&
      ::access((exe + "ORVI.ini").c_str(), W_OK) == 0) {
    return WithTrailingSlash(exe);
  }
  std::string base;
  if (!places.xdgDataHome.empty() && places.xdgDataHome.front() == '/') {
    base = WithTrailingSlash(places.xdgDataHome);
  } else if (!places.userHome.empty()) {
    base = WithTrailingSlash(places.userHome) + ".local/share/";
  } else {
    // No home at all: the executable's folder is the last place left.
    return WithTrailingSlash(exe.empty() ? "." : exe);
  }
  std::string folder = base + "orvilane/";
  if (!FileExists(folder + "ORVI.ini")) SeedFolder(places.dataFolder, folder);
  return folder;
}

std::string ResolveProgramFolder(const std::string& home) {
  return ResolveProgramFolder(home, CurrentFolderPlaces());
}

}  // namespace orvi
