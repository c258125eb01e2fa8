// A temporary folder for tests, removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace varsik {

class TTempDir {
 public:
  TTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varsik-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    Root = tmpl;
  }
  ~TTempDir() {
    std::error_code ec;
    // Give back permissions that a test took away, so that everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             Root, std::filesystem::directory_options::skip_permission_denied, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(Root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Root, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder with a trailing "/".
  std::string Path() const { return Root.string() + "/"; }

  // Writes `bytes` to the file at `relative`, making its folders.
  std::string Write(const std::string& relative, std::string_view bytes) const {
    std::filesystem::path p = Root / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), bytes.size());
    return p.string();
  }

  std::string MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(Root / relative);
    return (Root / relative).string() + "/";
  }

 private:
  std::filesystem::path Root;
};

}  // namespace varsik
