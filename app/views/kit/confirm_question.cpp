#include "app/views/kit/confirm_question.h"

#include <QMessageBox>

#include "base/dtu_lang.h"

bool DtuAskYesNo(QWidget *parent, const QString &question) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(DtuLangText(DtuTextId::kWindowCaption)), question,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}
