#include "platform/git_ignore.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "platform/file_replace.h"
#include "platform/folder.h"

namespace varsik {

namespace Platform {
namespace {

// git itself passes over ignore files larger than this.
constexpr std::uintmax_t kMaxIgnoreFileBytes = std::uintmax_t{100} << 20;
// A configuration file or a ".git" file that points elsewhere is far smaller.
constexpr std::uintmax_t kMaxConfigFileBytes = std::uintmax_t{16} << 20;

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::uintmax_t maxBytes) {
  std::string bytes;
  if (ReadWholeFile(path, bytes, maxBytes) != TReadResult::Read) return std::nullopt;
  return bytes;
}

TGitIgnoreRules ReadRules(const std::string& path) {
  const std::optional<std::string> text = ReadSmallFile(path, kMaxIgnoreFileBytes);
  return text ? TGitIgnoreRules(*text) : TGitIgnoreRules();
}

std::string_view Trimmed(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c += 32;
  return lowered;
}

// `path` as given when absolute, else behind `base` (ending in "/").
std::string Resolved(std::string_view path, const std::string& base) {
  if (path.starts_with('/')) return std::string(path);
  if (path.starts_with("~/")) return HomeFolder() + std::string(path.substr(2));
  return base + std::string(path);
}

// The folder where git keeps the user's own configuration and excludes file.
std::string XdgGitFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  return (xdg && *xdg ? WithTrailingSlash(xdg) : HomeFolder() + ".config/") + "git/";
}

// What the ignore rules take from git's configuration.
struct TGitConfig {
  std::optional<std::string> ExcludesFile;
  bool IgnoreCase = false;
};

// A configuration value: quotes taken off, escapes resolved, a comment outside quotes cut.
std::string ConfigValue(std::string_view raw) {
  std::string value;
  bool quoted = false;
  size_t keep = 0;  // the value's length without trailing blanks outside quotes
  raw = Trimmed(raw);
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '"') {
      quoted = !quoted;
      keep = value.size();
    } else if (c == '\\' && i + 1 < raw.size()) {
      const char e = raw[++i];
      value += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'b' ? '\b' : e;
      keep = value.size();
    } else if (!quoted && (c == '#' || c == ';')) {
      break;
    } else {
      value += c;
      if (quoted || (c != ' ' && c != '\t')) keep = value.size();
    }
  }
  value.resize(keep);
  return value;
}

bool ConfigBool(std::optional<std::string_view> value) {
  if (!value) return true;  // a key without "=" is true
  const std::string v = Lowered(*value);
  if (v == "true" || v == "yes" || v == "on") return true;
  if (v.empty() || v == "false" || v == "no" || v == "off") return false;
  return std::atoi(v.c_str()) != 0;
}

// Reads core.excludesFile and core.ignorecase from the configuration file at `path`
// into `config`, over what earlier files set. Includes are not followed.
void ReadConfig(const std::string& path, TGitConfig& config) {
  const std::optional<std::string> text = ReadSmallFile(path, kMaxConfigFileBytes);
  if (!text) return;
  std::string_view rest = *text;
  bool inCore = false;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = Trimmed(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (line.starts_with('[')) {
      const size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      inCore = Lowered(Trimmed(line.substr(1, close - 1))) == "core";
      line = Trimmed(line.substr(close + 1));  // a key may follow on the same line
    }
    if (!inCore || line.empty() || line.front() == '#' || line.front() == ';') continue;
    const size_t equals = line.find('=');
    const std::string key = Lowered(Trimmed(line.substr(0, equals)));
    std::optional<std::string> value;
    if (equals != std::string_view::npos) value = ConfigValue(line.substr(equals + 1));
    if (key == "excludesfile" && value)
      config.ExcludesFile = *value;
    else if (key == "ignorecase")
      config.IgnoreCase = ConfigBool(value);
  }
}

enum class TGitFolder { None, Unusable, Found };

// The git folder of the work tree `folder` (ending in "/"): its ".git" folder, or the
// folder that a ".git" file names ("gitdir: ..."), as worktrees and submodules have it.
TGitFolder GitFolderOf(const std::string& folder, std::string& gitFolder) {
  const std::string dotGit = folder + ".git";
  struct stat st;
  if (::lstat(dotGit.c_str(), &st) != 0) return TGitFolder::None;
  if (S_ISDIR(st.st_mode)) {
    gitFolder = dotGit + "/";
  } else {
    const std::optional<std::string> text = ReadSmallFile(dotGit, kMaxConfigFileBytes);
    std::string_view line =
        text ? Trimmed(std::string_view(*text).substr(0, text->find('\n'))) : "";
    if (!line.starts_with("gitdir:")) return TGitFolder::Unusable;
    gitFolder = WithTrailingSlash(Resolved(Trimmed(line.substr(7)), folder));
  }
  return Exists(gitFolder + "HEAD") ? TGitFolder::Found : TGitFolder::Unusable;
}

// The folder that a worktree's git folder shares with the main one (info/, config).
std::string CommonFolderOf(const std::string& gitFolder) {
  const std::optional<std::string> text =
      ReadSmallFile(gitFolder + "commondir", kMaxConfigFileBytes);
  if (!text) return gitFolder;
  return WithTrailingSlash(Resolved(Trimmed(*text), gitFolder));
}

std::string ParentOf(const std::string& folder) {
  // folder is absolute and ends in "/"; the root is its own parent.
  if (folder == "/") return folder;
  return FolderPart(std::string_view(folder).substr(0, folder.size() - 1));
}

}  // namespace

TGitIgnore::TLevel TGitIgnore::WalkedLevel(const std::string& folder, TLevel level) {
  level.Folder = folder;
  level.Walked = true;
  return level;
}

struct TGitIgnore::TRepository {
  TGitIgnoreRules InfoExclude;
  TGitIgnoreRules ExcludesFile;
  bool IgnoreCase = false;
};

TGitIgnore::TGitIgnore() = default;
TGitIgnore::~TGitIgnore() = default;

void TGitIgnore::EnterFolder(const std::string& folder) {
  while (!Levels.empty() && Levels.back().Walked && !folder.starts_with(Levels.back().Folder))
    Levels.pop_back();
  if (!Levels.empty() && Levels.back().Walked) {
    if (Levels.back().Folder == folder) return;
    const std::string_view rest = std::string_view(folder).substr(Levels.back().Folder.size());
    if (rest.size() > 1 && rest.find('/') == rest.size() - 1) {
      PushChild(folder, rest.substr(0, rest.size() - 1));
      return;
    }
  }
  Discover(folder);
}

std::shared_ptr<const TGitIgnore::TRepository> TGitIgnore::OpenRepository(
    const std::string& workTree, bool& found) const {
  std::string gitFolder;
  const TGitFolder kind = GitFolderOf(workTree, gitFolder);
  found = kind != TGitFolder::None;
  if (kind != TGitFolder::Found) return nullptr;
  const std::string common = CommonFolderOf(gitFolder);
  TGitConfig config;
  for (const std::string& file : {std::string("/etc/gitconfig"), XdgGitFolder() + "config",
                                  HomeFolder() + ".gitconfig", common + "config"})
    ReadConfig(file, config);
  auto repository = std::make_shared<TRepository>();
  repository->IgnoreCase = config.IgnoreCase;
  repository->InfoExclude = ReadRules(common + "info/exclude");
  repository->ExcludesFile = ReadRules(
      config.ExcludesFile ? Resolved(*config.ExcludesFile, workTree) : XdgGitFolder() + "ignore");
  return repository;
}

void TGitIgnore::Discover(const std::string& folder) {
  Levels.clear();
  const std::unique_ptr<char, decltype(&std::free)> real(
      ::realpath(folder.empty() ? "." : folder.c_str(), nullptr), &std::free);
  const auto outside = [&] {
    Levels.clear();
    Levels.push_back(WalkedLevel(folder, TLevel()));
  };
  if (!real) return outside();
  const std::string path = WithTrailingSlash(real.get());

  // The nearest folder at or above that has a ".git" is the work tree.
  std::string workTree = path;
  std::shared_ptr<const TRepository> repository;
  for (;;) {
    bool found = false;
    repository = OpenRepository(workTree, found);
    if (found) break;
    if (workTree == "/") return outside();
    workTree = ParentOf(workTree);
  }
  if (!repository) return outside();

  TLevel top;
  top.Repository = repository;
  top.Rules = ReadRules(workTree + ".gitignore");
  Levels.push_back(std::move(top));
  std::string current = workTree;
  for (std::string_view rest = std::string_view(path).substr(workTree.size()); !rest.empty();) {
    const size_t slash = rest.find('/');
    const std::string_view name = rest.substr(0, slash);
    current += std::string(name) + "/";
    Levels.push_back(Below(current, name));
    rest.remove_prefix(slash + 1);
  }
  Levels.back() = WalkedLevel(folder, std::move(Levels.back()));
}

void TGitIgnore::PushChild(const std::string& folder, std::string_view name) {
  bool found = false;
  std::shared_ptr<const TRepository> repository = OpenRepository(folder, found);
  if (!found) {
    Levels.push_back(WalkedLevel(folder, Below(folder, name)));
    return;
  }
  TLevel level;
  level.Repository = std::move(repository);
  if (level.Repository) level.Rules = ReadRules(folder + ".gitignore");
  Levels.push_back(WalkedLevel(folder, std::move(level)));
}

TGitIgnore::TLevel TGitIgnore::Below(const std::string& folder, std::string_view name) const {
  const TLevel& parent = Levels.back();
  TLevel level;
  level.Name = name;
  level.Repository = parent.Repository;
  level.Ignored = parent.Ignored || IsIgnored(name, true);
  if (level.Repository && !level.Ignored) level.Rules = ReadRules(folder + ".gitignore");
  return level;
}

bool TGitIgnore::IsIgnored(std::string_view name, bool isFolder) const {
  if (Levels.empty()) return false;
  const TLevel& top = Levels.back();
  if (!top.Repository) return false;
  if (top.Ignored || name == ".git") return true;
  size_t root = Levels.size() - 1;
  while (!Levels[root].Name.empty()) --root;
  Path.clear();
  for (size_t i = root + 1; i < Levels.size(); ++i) Path.push_back(Levels[i].Name);
  Path.push_back(name);
  const bool foldCase = top.Repository->IgnoreCase;
  using TVerdict = TGitIgnoreRules::TVerdict;
  const auto decided = [&](const TGitIgnoreRules& rules, size_t skip, bool& ignored) {
    const TVerdict verdict =
        rules.Match(std::span<const std::string_view>(Path).subspan(skip), isFolder, foldCase);
    ignored = verdict == TVerdict::Ignored;
    return verdict != TVerdict::None;
  };
  bool ignored = false;
  for (size_t i = Levels.size(); i-- > root;)
    if (decided(Levels[i].Rules, i - root, ignored)) return ignored;
  if (decided(top.Repository->InfoExclude, 0, ignored)) return ignored;
  if (decided(top.Repository->ExcludesFile, 0, ignored)) return ignored;
  return false;
}

}  // namespace Platform

}  // namespace varsik
