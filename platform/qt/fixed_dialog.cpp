#include "platform/qt/fixed_dialog.h"

#include <QDialog>

namespace varsik {

namespace Platform {

void SetFixedDialogFrame(QDialog* dialog, int width, int height) {
  dialog->setFixedSize(width, height);
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
}

}  // namespace Platform

}  // namespace varsik
