// Qt's own texts in Japanese: the buttons of message boxes (はい, いいえ, キャンセル), the
// file and print dialogs, the context menus of the edit boxes and the views. Qt's
// translations come from where the system keeps them (Debian: qt6-translations-l10n);
// the few texts of QScintilla, which has none in Japanese, are our own.
#pragma once

class QCoreApplication;

namespace varsik {

namespace Platform {

// Installs the Japanese translations into `app` and makes Japanese the default locale
// (dates, sizes), whatever the user's locale: every text of the program is Japanese. False when the
// system has no Japanese for Qt; Qt's texts then stay English.
bool InstallQtJapanese(QCoreApplication& app);

}  // namespace Platform

}  // namespace varsik
