// Test helper: what an indicator of a view marks, read off the QScintilla text itself
// (SCI_INDICATORVALUEAT and SCI_INDICATOREND), as "line:text" for each marked run.
#pragma once

#include <QStringList>
#include <string_view>

#include "editor/text_editor.h"

namespace varsik {

inline QStringList MarkedTexts(const TTextEditor& view, int indicator) {
  QStringList marked;
  const long length = view.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  const std::string_view text = view.Utf8Text();
  const auto i = static_cast<unsigned long>(indicator);
  for (long pos = 0; pos < length;) {
    const long end = view.SendScintilla(QsciScintillaBase::SCI_INDICATOREND, i, pos);
    if (view.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, i, pos) != 0) {
      const long line = view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                           static_cast<unsigned long>(pos));
      marked << QString::number(line) + QLatin1Char(':') +
                    QString::fromUtf8(text.substr(static_cast<size_t>(pos),
                                                  static_cast<size_t>(std::max(end, pos) - pos)));
    }
    if (end <= pos) break;
    pos = end;
  }
  return marked;
}

}  // namespace varsik
