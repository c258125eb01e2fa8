#include "platform/message_catalog.h"

#include <libintl.h>

#include <clocale>

#include "platform/folder.h"
#include "platform/settings_path.h"

namespace varsik {

namespace Platform {
namespace {

constexpr const char* kDomain = "varsik";

std::string CatalogFolder() {
  const std::string program = ProgramFolder();
  if (!program.empty()) {
    const std::string beside = program + VARSIK_LOCALEDIR_FROM_BINDIR;
    if (FolderExists(beside)) return beside;
  }
  return VARSIK_LOCALEDIR;
}

}  // namespace

void OpenMessageCatalog() {
  // Messages and the character set they are written in (which the system's own texts,
  // strerror's, follow); the search itself depends on no category of the locale.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  bindtextdomain(kDomain, CatalogFolder().c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* Translate(const char* english) {
  return dgettext(kDomain, english);
}

std::string Translate(const char* english, std::initializer_list<std::string_view> args) {
  const std::string_view text = Translate(english);
  std::string out;
  const std::string_view* arg = args.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace Platform

}  // namespace varsik
