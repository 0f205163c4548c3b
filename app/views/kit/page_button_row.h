// The row of four buttons most settings pages have: Set, Read, Save to Local
// and Read Local, named for tests and wired to the page's operations.
#pragma once

#include <QPushButton>

#include "base/dtu_text_id.h"

class QHBoxLayout;
class QWidget;

struct PageButtonRow {
  QPushButton *set = nullptr;
  QPushButton *read = nullptr;
  QPushButton *save_local = nullptr;
  QPushButton *read_local = nullptr;
  QHBoxLayout *layout = nullptr;  // the four buttons, then a stretch

  // Sets the texts in the current language (the network page has its own
  // ids for Set and Read).
  void Label(DtuTextId set_text_id = DtuTextId::kSet, DtuTextId read_text_id = DtuTextId::kRead) const;
};

PageButtonRow NewPageButtonRow(QWidget *parent);

class QGroupBox;
class QLayout;

// Lays a page out the common way: the group box fills the view and holds the
// field form above the button row, the rest left empty below.
void LayOutPageGroup(QWidget *view, QGroupBox *group, QLayout *form, const PageButtonRow &row);

template <class Page>
void ConnectPageButtonRow(const PageButtonRow &row, Page *page) {
  QObject::connect(row.set, &QPushButton::clicked, page, &Page::OnBnClickedBtSet);
  QObject::connect(row.read, &QPushButton::clicked, page, &Page::OnBnClickedBtRead);
  QObject::connect(row.save_local, &QPushButton::clicked, page, &Page::OnBnClickedBtSaveLocal);
  QObject::connect(row.read_local, &QPushButton::clicked, page, &Page::OnBnClickedBtReadLocal);
}
