// Making one new folder inside an existing one: the search dialog's create-folder
// command.
#pragma once

#include <string>

namespace varsik {

namespace Platform {

// Creates the folder `name` inside `parent` (one level: `parent` must exist). `name` is a
// single folder name; an empty name, ".", ".." or a name holding "/" is refused. False
// when nothing was created, including when the folder already exists.
bool CreateFolder(const std::string& parent, const std::string& name);

}  // namespace Platform

}  // namespace varsik
