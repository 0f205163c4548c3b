// Small pieces the Modbus views share: lists that keep their selection when
// re-filled, row captions with a number, and a field write that names the
// field the page refused.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QString>

#include <string>
#include <vector>

#include "base/dtu_text_id.h"

class DtuPage;

// A list named for tests, filled with `items`.
QComboBox *NewModbusList(const QString &object_name, const std::vector<std::string> &items, QWidget *parent);
// Re-fills a list (a language change) and keeps its selection when it still
// exists; otherwise the first entry.
void RefillModbusList(QComboBox *box, const std::vector<std::string> &items);
// Selects an index without telling the list's listeners.
void SelectQuietly(QComboBox *box, int index);
// Puts a model text into an edit unless it already shows it (the cursor
// of a user typing there stays where it is).
void ShowModelText(QLineEdit *edit, const std::string &text);
// A text with one number filled in ("Channel%d" -> "Channel1").
QString NumberedText(DtuTextId text_id, int number);
// "1" ... "n".
std::vector<std::string> CountItems(int n);
// Writes a field as the user typed it; a refusal goes to the log.
void WriteModbusField(DtuPage *page, const std::string &name, const std::string &value);
