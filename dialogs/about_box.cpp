#include "dialogs/about_box.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/fixed_dialog.h"
#include "platform/qt/fonts.h"

namespace varsik {

namespace {

// Each label reaches to the panel's inner edge, so that the texts set later are
// clipped where the panel clips them.
QLabel* AddLabel(QWidget* panel, const QString& caption, int left, int top, int lines) {
  auto* label = new QLabel(caption, panel);
  const int width = panel->width() - 2 - left;
  label->setGeometry(left, top, width, lines * QFontMetrics(label->font()).lineSpacing() + 1);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  setFont(Platform::PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  Platform::SetFixedDialogFrame(this, 248, 182);

  // A lowered outer and a raised inner bevel: an etched frame.
  Panel1 = new QFrame(this);
  Panel1->setGeometry(8, 7, 233, 137);
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->setMidLineWidth(0);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setGeometry(8, 8, 49, 41);
  ProgramIcon->setScaledContents(true);

  ProductName = AddLabel(Panel1, QStringLiteral("Product Name"), 88, 16, 1);
  Version = AddLabel(Panel1, QStringLiteral("Version"), 88, 37, 1);
  Copyright = AddLabel(Panel1, QStringLiteral("Copyright"), 8, 64, 2);
  Comments = new QLabel(QStringLiteral("ｺﾒﾝﾄ"), Panel1);
  Comments->setGeometry(8, 100, 217, 33);
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Company = AddLabel(Panel1, QStringLiteral("Company"), 176, 38, 1);
  Company->hide();

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(8, 151, 233, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();
}

void TAboutBox::FormCreate() {
  // Without a version record the labels keep their design captions; "Ver. " comes
  // first either way.
#ifdef VARSIK_FILE_VERSION
  Version->setText(QStringLiteral(VARSIK_FILE_VERSION));
#endif
  Version->setText(QStringLiteral("Ver. ") + Version->text());
#ifdef VARSIK_COMPANY_NAME
  Company->setText(QString::fromUtf8(VARSIK_COMPANY_NAME));
#endif
#ifdef VARSIK_COMMENTS
  Comments->setText(QString::fromUtf8(VARSIK_COMMENTS));
#endif
}

}  // namespace varsik
