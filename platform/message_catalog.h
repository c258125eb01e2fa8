// The command lines' messages in the user's language: GNU gettext's catalogue "varsik"
// (po/ in the sources), English where it has no translation or the locale asks for none.
// Only what the programs say about themselves goes through it; the search's own texts
// (result lines, pattern errors, the window) are the same in every locale.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

// Takes the user's locale for messages and opens the catalogue: the one beside the
// program first (<program folder>/../share/locale, so that the build tree and any install
// prefix use their own), else the one where the build installs it. Translations come out
// as UTF-8, as everything else the programs print. Call once, before any Translate.
void OpenMessageCatalog();

// `english` in the user's language; `english` itself when there is no translation.
const char* Translate(const char* english);

// The same, with each "%s" in it replaced by the next of `args`, in order. The arguments
// are only ever text: a "%" in a name is printed as it is.
std::string Translate(const char* english, std::initializer_list<std::string_view> args);

}  // namespace Platform

}  // namespace varsik
