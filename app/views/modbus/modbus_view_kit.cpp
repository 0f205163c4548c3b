#include "app/views/modbus/modbus_view_kit.h"

#include <QSignalBlocker>

#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "pages/kit/dtu_page.h"

QComboBox *NewModbusList(const QString &object_name, const std::vector<std::string> &items, QWidget *parent) {
  auto *box = new QComboBox(parent);
  box->setObjectName(object_name);
  RefillModbusList(box, items);
  return box;
}

void RefillModbusList(QComboBox *box, const std::vector<std::string> &items) {
  const QSignalBlocker quiet(box);
  const int index = box->currentIndex();
  box->clear();
  for (const std::string &item : items) box->addItem(QString::fromStdString(item));
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

void SelectQuietly(QComboBox *box, int index) {
  const QSignalBlocker quiet(box);
  box->setCurrentIndex(index);
}

void ShowModelText(QLineEdit *edit, const std::string &text) {
  const QString shown = QString::fromStdString(text);
  if (edit->text() != shown) edit->setText(shown);
}

QString NumberedText(DtuTextId text_id, int number) {
  char text[128];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), number);
  return QString::fromUtf8(text);
}

std::vector<std::string> CountItems(int n) {
  std::vector<std::string> items;
  for (int i = 1; i <= n; ++i) items.push_back(std::to_string(i));
  return items;
}

void WriteModbusField(DtuPage *page, const std::string &name, const std::string &value) {
  std::string error;
  if (!page->SetField(name, value, error)) DTU_LOG("field not taken : %s", error.c_str());
}
