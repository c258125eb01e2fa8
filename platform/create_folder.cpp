#include "platform/create_folder.h"

#include <sys/stat.h>

#include "platform/folder.h"

namespace varsik {

namespace Platform {

bool CreateFolder(const std::string& parent, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos)
    return false;
  if (!FolderExists(parent)) return false;
  return mkdir((WithTrailingSlash(parent) + name).c_str(), 0777) == 0;
}

}  // namespace Platform

}  // namespace varsik
