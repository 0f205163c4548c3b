// A fresh main window per test, with the message sink pointed at a recorder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>
#include <string>
#include <vector>

#include "app/shell/page_host.h"
#include "app/shell/varnok_configure_tool_dlg.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_sink_ = DtuSetMessageSink([this](const std::string &text) { messages_.push_back(text); });
    window_ = std::make_unique<CVarnokConfigureToolDlg>();
    window_->show();
    QCoreApplication::processEvents();
  }

  void TearDown() override {
    window_.reset();
    DtuSetMessageSink(previous_sink_);
    DtuLangFlag = 1;
  }

  QTreeWidgetItem *ItemWithText(const QString &text) const {
    for (QTreeWidgetItemIterator it(window_->PageTree()); *it != nullptr; ++it) {
      if ((*it)->text(0) == text) {
        return *it;
      }
    }
    return nullptr;
  }

  // Selects a tree item as a click would; fails the test when it is missing.
  void Select(const QString &text) {
    QTreeWidgetItem *item = ItemWithText(text);
    ASSERT_NE(item, nullptr) << text.toStdString();
    window_->PageTree()->setCurrentItem(item);
  }

  QList<QWidget *> VisiblePages() const {
    QList<QWidget *> visible;
    for (QWidget *page : window_->Pages()->Pages()) {
      if (page->isVisible()) {
        visible.append(page);
      }
    }
    return visible;
  }

  // Runs the event loop until `done` holds or `timeout_ms` passed.
  template <typename Predicate>
  bool WaitFor(Predicate done, int timeout_ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > timeout_ms) {
        return false;
      }
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }

  // Presses a button as a user does: once it can be pressed (a page at work
  // holds its buttons until its Read or Set is over).
  bool ClickOnceEnabled(QPushButton *button, int timeout_ms = 10000) {
    if (!WaitFor([&] { return button->isEnabled(); }, timeout_ms)) return false;
    button->click();
    return true;
  }

  std::vector<std::string> messages_;
  DtuMessageSink previous_sink_;
  std::unique_ptr<CVarnokConfigureToolDlg> window_;
};
