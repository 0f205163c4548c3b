#include "app/shell/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/app_icon.h"
#include "base/dtu_lang.h"
#include "base/varnok_version.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent) {
  setWindowTitle(DtuLangText(DtuTextId::kAboutCaption));
  auto *icon = new QLabel;
  icon->setPixmap(VarnokAppIcon().pixmap(32, 32));
  auto *text = new QLabel(QString::fromUtf8(DtuLangText(DtuTextId::kAboutText)).replace(QStringLiteral("%s"), QString::fromLatin1(kVarnokVersion)));
  auto *row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);

  auto *buttons = new QDialogButtonBox;
  QPushButton *ok = buttons->addButton(QString::fromUtf8(DtuLangText(DtuTextId::kAboutOk)), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}
