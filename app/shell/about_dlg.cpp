#include "app/shell/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/app_icon.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("关于 Varnok-Configure-Tool"));
  auto *icon = new QLabel;
  icon->setPixmap(VarnokAppIcon().pixmap(32, 32));
  auto *text = new QLabel(QStringLiteral("Varnok-Configure-Tool，1.0 版"));
  auto *row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);

  auto *buttons = new QDialogButtonBox;
  QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}
