// Every label of every page, walked widget by widget in both languages: in
// English no Chinese is left, in Chinese no English word is left but the
// names both languages share (MQTT, IMEI, ...). Field contents are data and
// are not walked; list entries, placeholders, group titles and buttons are.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "workbench_fixture.h"
#include "base/dtu_lang.h"
#include "pages/dtu_page_catalog.h"

namespace {

bool HasChinese(const QString &text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
  }
  return false;
}

// Names and words the table gives alike in both columns (or, like "Unknow",
// in its Chinese column): a Chinese label may consist of them.
bool SharedWord(const QString &word) {
  static const QSet<QString> kShared = {
      "MQTT",  "APN",   "IMEI",  "ICCID",      "IMSI",          "TCP",     "UDP",      "DTU",  "RS485",
      "Modbus", "OneNET", "IoT",  "ProductKey", "ProductSecret", "DEBUG",   "WARN",     "INFO", "ERROR",
      "AB",    "BA",    "ABCD",  "DCBA",  "BADC",  "CDBA",  "HEX",   "CRC16",      "ZevModel_DurUvaVede_Rev", "Unknow", "DL",   "T645",
      "ID",    "DI",    "Tip",   "Varnok",     "Configure",     "Tool",    "varnokctl"};
  return kShared.contains(word);
}

// In Chinese, a label without any Chinese must be made of shared words,
// numbers and signs only.
bool OnlySharedWords(const QString &text) {
  static const QRegularExpression kWord(QStringLiteral("[A-Za-z][A-Za-z0-9_]*"));
  for (const QRegularExpressionMatch &m : kWord.globalMatch(text)) {
    if (!SharedWord(m.captured())) return false;
  }
  return true;
}

struct Label {
  QString where;
  QString text;
};

void Add(std::vector<Label> &labels, const QWidget *widget, const char *role, const QString &text) {
  if (text.trimmed().isEmpty()) return;
  const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                      : widget->objectName();
  labels.push_back({name + QLatin1Char(' ') + QLatin1String(role), text});
}

// The texts a widget shows of its own, not the values it holds.
void LabelsOf(const QWidget *widget, std::vector<Label> &labels) {
  if (auto *label = qobject_cast<const QLabel *>(widget)) Add(labels, widget, "text", label->text());
  if (auto *button = qobject_cast<const QAbstractButton *>(widget)) Add(labels, widget, "text", button->text());
  if (auto *group = qobject_cast<const QGroupBox *>(widget)) Add(labels, widget, "title", group->title());
  if (auto *edit = qobject_cast<const QLineEdit *>(widget)) Add(labels, widget, "placeholder", edit->placeholderText());
  if (auto *box = qobject_cast<const QComboBox *>(widget); box != nullptr && !box->isEditable()) {
    for (int i = 0; i < box->count(); ++i) Add(labels, widget, "entry", box->itemText(i));
  }
  if (auto *table = qobject_cast<const QTableWidget *>(widget)) {
    for (int c = 0; c < table->columnCount(); ++c) {
      if (table->horizontalHeaderItem(c)) Add(labels, widget, "heading", table->horizontalHeaderItem(c)->text());
    }
  }
  if (auto *tree = qobject_cast<const QTreeWidget *>(widget)) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) Add(labels, widget, "item", tree->topLevelItem(i)->text(0));
  }
}

// The labels left in the other language, one line each.
QStringList Strays(bool english, const QString &page, const std::vector<Label> &labels) {
  QStringList strays;
  for (const Label &l : labels) {
    const bool stray = english ? HasChinese(l.text) : !HasChinese(l.text) && !OnlySharedWords(l.text);
    if (stray) strays << page + QStringLiteral(": ") + l.where + QStringLiteral(" \"") + l.text + '"';
  }
  return strays;
}

QStringList ShellStrays(const CVarnokConfigureToolDlg &window, bool english) {
  std::vector<Label> shell;
  for (QTreeWidgetItemIterator it(window.PageTree()); *it != nullptr; ++it) shell.push_back({"tree", (*it)->text(0)});
  shell.push_back({"tab", window.TabArea()->tabText(0)});
  for (QAction *menu : window.menuBar()->actions()) shell.push_back({"menu", menu->text()});
  shell.push_back({"about", window.AboutAction()->text()});
  return Strays(english, QStringLiteral("window"), shell);
}

}  // namespace

// Chinese first: the views are built in Chinese as each is first shown, then
// re-labelled in English.
TEST_F(Workbench, EveryLabelInBothLanguages) {
  QStringList strays;
  for (const int flag : {0, 1}) {
    window_->SetLanguage(flag);
    strays << ShellStrays(*window_, flag == 1);
    int walked = 0;
    for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
      if (row.shows != row.code) continue;  // an item that shows another item's page
      ASSERT_TRUE(window_->SelectPage(static_cast<int>(row.code)));
      QWidget *view = window_->Pages()->PageForCode(static_cast<int>(row.code));
      ASSERT_NE(view, nullptr) << static_cast<int>(row.code);
      ASSERT_TRUE(view->isVisible()) << static_cast<int>(row.code);
      std::vector<Label> labels;
      LabelsOf(view, labels);
      for (const QWidget *child : view->findChildren<QWidget *>()) LabelsOf(child, labels);
      EXPECT_FALSE(labels.empty()) << DtuLangText(row.tree_text);
      strays << Strays(flag == 1, QString::fromUtf8(DtuLangText(row.tree_text)), labels);
      ++walked;
    }
    EXPECT_EQ(walked, window_->Pages()->BuiltViewCount()) << "every page has a view and was walked";
  }
  EXPECT_TRUE(strays.isEmpty()) << strays.join(QLatin1Char('\n')).toStdString();
}
