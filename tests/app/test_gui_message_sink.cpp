// The GUI message sink: a message from any thread ends up in a modal box on
// the GUI thread, one box at a time in order, and the thread that sent it
// does not wait for the box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <thread>

#include "app/shell/gui_message_sink.h"
#include "base/dtu_message.h"

namespace {

// Closes every message box that opens, remembering its text and thread.
class BoxCloser : public QObject {
 public:
  BoxCloser() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
      for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box != nullptr && box->isVisible()) {
          texts_ << box->text();
          icons_ << box->icon();
          on_gui_thread_ = box->thread() == QApplication::instance()->thread();
          box->accept();
        }
      }
    });
    timer_.start();
  }
  QStringList texts_;
  QList<QMessageBox::Icon> icons_;
  bool on_gui_thread_ = false;

 private:
  QTimer timer_;
};

}  // namespace

TEST(GuiMessageSink, MessagesFromAnyThreadOpenModalBoxesOnTheGuiThreadInOrder) {
  DtuMessageSink previous = DtuSetMessageSink(nullptr);
  DtuInstallGuiMessageSink();
  BoxCloser closer;

  std::thread worker([] {
    DtuMessageBox("first, from the serial side");
    DtuMessageBox("second, from the serial side");
  });
  worker.join();  // returns at once: the boxes are only queued
  EXPECT_TRUE(closer.texts_.isEmpty());

  DtuMessageBox("third, from the GUI thread");  // modal: returns once closed
  QElapsedTimer timer;
  timer.start();
  while (closer.texts_.size() < 3 && timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  DtuRemoveGuiMessageSink();
  DtuSetMessageSink(previous);

  // One box at a time, in the order the messages came: the GUI thread's own
  // message opens first (its box's loop delivers the queued ones, which wait).
  ASSERT_EQ(closer.texts_.size(), 3);
  EXPECT_EQ(closer.texts_[0], "third, from the GUI thread");
  EXPECT_EQ(closer.texts_[1], "first, from the serial side");
  EXPECT_EQ(closer.texts_[2], "second, from the serial side");
  EXPECT_TRUE(closer.on_gui_thread_);
}

TEST(GuiMessageSink, FailuresShowTheWarningIconConfirmationsTheInformationIcon) {
  DtuMessageSink previous = DtuSetMessageSink(nullptr);
  DtuInstallGuiMessageSink();
  BoxCloser closer;
  DtuWarningBox("refused");
  DtuMessageBox("done");
  DtuRemoveGuiMessageSink();
  DtuSetMessageSink(previous);
  ASSERT_EQ(closer.icons_.size(), 2);
  EXPECT_EQ(closer.texts_[0], "refused");
  EXPECT_EQ(closer.icons_[0], QMessageBox::Warning);
  EXPECT_EQ(closer.icons_[1], QMessageBox::Information);
}
