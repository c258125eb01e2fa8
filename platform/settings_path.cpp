#include "platform/settings_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/folder.h"

namespace varsik {

namespace Platform {
namespace {

constexpr const char* kSettingsFileName = "Varsik.ini";

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return WithTrailingSlash(xdg);
  return HomeFolder() + ".config/";
}

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::string();
  return WithTrailingSlash(exe.parent_path().string());
}

std::string SettingsFilePath(const std::string& programFolder) {
  if (!programFolder.empty()) {
    std::string beside = WithTrailingSlash(programFolder) + kSettingsFileName;
    struct stat st;
    if (stat(beside.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return beside;
    if (FolderExists(programFolder) && access(programFolder.c_str(), W_OK | X_OK) == 0)
      return beside;
  }
  return UserConfigFolder() + "varsik/" + kSettingsFileName;
}

}  // namespace Platform

}  // namespace varsik
