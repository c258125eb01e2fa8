#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace varsik {

namespace Platform {
namespace {

// QScintilla comes with no Japanese: the texts of the views' context menu, worded as
// the window's own 編集 menu words them.
class TQScintillaJapanese : public QTranslator {
 public:
  using QTranslator::QTranslator;

  bool isEmpty() const override { return false; }

  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    static constexpr struct {
      const char* English;
      const char* Japanese;
    } kTexts[] = {{"&Undo", "元に戻す(&U)"}, {"&Redo", "やり直し(&R)"},  {"Cu&t", "切り取り(&T)"},
                  {"&Copy", "コピー(&C)"},   {"&Paste", "貼り付け(&P)"}, {"Delete", "削除"},
                  {"Select All", "全て選択"}};
    if (qstrcmp(context, "QsciScintilla") != 0) return QString();
    for (const auto& text : kTexts)
      if (qstrcmp(sourceText, text.English) == 0) return QString::fromUtf8(text.Japanese);
    return QString();
  }
};

}  // namespace

bool InstallQtJapanese(QCoreApplication& app) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  // Dates and sizes too, as in the file dialog's list.
  QLocale::setDefault(japanese);
  QCoreApplication::installTranslator(new TQScintillaJapanese(&app));
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  translator->setParent(&app);
  return QCoreApplication::installTranslator(translator.release());
}

}  // namespace Platform

}  // namespace varsik
