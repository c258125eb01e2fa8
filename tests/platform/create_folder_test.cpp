#include "platform/create_folder.h"

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

TEST(CreateFolder, CreatesOneLevelInsideAnExistingFolder) {
  TTempDir dir;
  EXPECT_TRUE(Platform::CreateFolder(dir.Path(), "新しいフォルダ"));
  EXPECT_TRUE(Platform::FolderExists(dir.Path() + "新しいフォルダ"));
  // The parent may come without its trailing "/".
  EXPECT_TRUE(Platform::CreateFolder(dir.Path() + "新しいフォルダ", "sub folder"));
  EXPECT_TRUE(Platform::FolderExists(dir.Path() + "新しいフォルダ/sub folder"));
}

TEST(CreateFolder, RefusesWhatIsNotOneNewFolder) {
  TTempDir dir;
  dir.MakeDir("exists");
  dir.Write("file", "x");
  struct TRow {
    std::string Parent;
    std::string Name;
  };
  const TRow rows[] = {
      {dir.Path(), ""},           {dir.Path(), "."},
      {dir.Path(), ".."},         {dir.Path(), "exists"},
      {dir.Path(), "file"},       {dir.Path(), "a/b"},
      {dir.Path(), "exists/b"},   {dir.Path() + "missing/", "a"},
      {dir.Path() + "file", "a"}, {"", "a"},
  };
  for (const TRow& row : rows)
    EXPECT_FALSE(Platform::CreateFolder(row.Parent, row.Name)) << row.Parent << " + " << row.Name;
  EXPECT_FALSE(Platform::FolderExists(dir.Path() + "exists/b"));
  EXPECT_FALSE(Platform::FolderExists(dir.Path() + "missing"));
}

}  // namespace
