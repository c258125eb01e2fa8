// TGitIgnore: which entries of the folder walk git would ignore. The walk names each
// folder before it asks about the folder's entries; the folder's repository is found
// once (a ".git" in it or above it), the ignore files on the way down are read once per
// folder, and each entry is then judged by its path in the work tree: the .gitignore
// files from its folder up to the work tree (the nearer first), the repository's
// info/exclude, then the user's excludes file (core.excludesFile, or git's default), with
// core.ignorecase from the git configuration. ".git" itself is always ignored. Entries
// outside any repository are never ignored; so are those of a repository whose git
// folder cannot be read, and the rules of an ignore file that cannot be read are none.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/git_ignore_rules.h"

namespace varsik {

namespace Platform {

class TGitIgnore {
 public:
  TGitIgnore();
  ~TGitIgnore();
  TGitIgnore(const TGitIgnore&) = delete;
  TGitIgnore& operator=(const TGitIgnore&) = delete;

  // The walk is in `folder` (ending in "/", or empty for the current folder). A
  // sub-folder of the folder before is judged from what is known of it; any other folder
  // is looked at from its repository's work tree down.
  void EnterFolder(const std::string& folder);

  // Whether git would ignore the entry `name` of the folder entered last.
  bool IsIgnored(std::string_view name, bool isFolder) const;

 private:
  struct TRepository;
  struct TLevel {
    std::string Folder;  // as the walk names it; empty above the first folder entered
    bool Walked = false;
    std::string Name;                               // the folder's own name; empty at a work tree
    std::shared_ptr<const TRepository> Repository;  // null outside any repository
    TGitIgnoreRules Rules;                          // its .gitignore
    bool Ignored = false;                           // inside a folder that git ignores
  };

  static TLevel WalkedLevel(const std::string& folder, TLevel level);
  void Discover(const std::string& folder);
  void PushChild(const std::string& folder, std::string_view name);
  // The level of `folder` (ending in "/"), named `name`, in the repository of the top.
  TLevel Below(const std::string& folder, std::string_view name) const;
  // The repository whose work tree is `workTree` (ending in "/"); `found` says whether
  // it has a ".git" at all, null when that cannot be used.
  std::shared_ptr<const TRepository> OpenRepository(const std::string& workTree, bool& found) const;

  // The current folder and its ancestors, up to the work tree of the outermost
  // repository that holds it; one element when outside any.
  std::vector<TLevel> Levels;
  // The path from the work tree down, reused by IsIgnored.
  mutable std::vector<std::string_view> Path;
};

}  // namespace Platform

}  // namespace varsik
