#include "platform/settings_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Sets an environment variable for one test and restores it afterwards.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const char* value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~TScopedEnv() {
    if (Old)
      setenv(Name, Old->c_str(), 1);
    else
      unsetenv(Name);
  }

 private:
  const char* Name;
  std::optional<std::string> Old;
};

TEST(SettingsFilePath, BesideTheProgramWhenItsFolderIsWritable) {
  TTempDir dir;
  EXPECT_EQ(Platform::SettingsFilePath(dir.Path()), dir.Path() + "Varsik.ini");
  // The folder may be given without its trailing "/".
  std::string bare = dir.Path().substr(0, dir.Path().size() - 1);
  EXPECT_EQ(Platform::SettingsFilePath(bare), dir.Path() + "Varsik.ini");
}

TEST(SettingsFilePath, BesideTheProgramWhenItsFolderHoldsOne) {
  TTempDir dir;
  TScopedEnv xdg("XDG_CONFIG_HOME", (dir.Path() + "config").c_str());
  std::string folder = dir.MakeDir("bin");
  dir.Write("bin/Varsik.ini", "");
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  EXPECT_EQ(Platform::SettingsFilePath(folder), folder + "Varsik.ini");
}

TEST(SettingsFilePath, InTheUserConfigFolderOtherwise) {
  TTempDir dir;
  TScopedEnv xdg("XDG_CONFIG_HOME", (dir.Path() + "config").c_str());
  const std::string expected = dir.Path() + "config/varsik/Varsik.ini";
  EXPECT_EQ(Platform::SettingsFilePath(""), expected);
  EXPECT_EQ(Platform::SettingsFilePath(dir.Path() + "missing/"), expected);

  if (geteuid() != 0) {
    std::string readOnly = dir.MakeDir("bin");
    ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
    EXPECT_EQ(Platform::SettingsFilePath(readOnly), expected);
  }
}

TEST(SettingsFilePath, HomeConfigWhenXdgConfigHomeIsUnsetOrRelative) {
  const std::string expected = Platform::HomeFolder() + ".config/varsik/Varsik.ini";
  {
    TScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(Platform::SettingsFilePath(""), expected);
  }
  {
    TScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(Platform::SettingsFilePath(""), expected);
  }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  const std::string folder = Platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(Platform::FolderExists(folder));
}

}  // namespace
