// Answers the next question box (a modal QMessageBox) with a given button
// and remembers its text and whether No was the default.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

class QuestionAnswerer : public QObject {
 public:
  explicit QuestionAnswerer(QMessageBox::StandardButton button) : button_(button) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      text_ = box->text();
      default_ = box->defaultButton() == box->button(QMessageBox::No);
      box->button(button_)->click();
    });
    timer_.start();
  }
  QString text_;
  bool default_ = false;  // No is the default button

 private:
  QMessageBox::StandardButton button_;
  QTimer timer_;
};
