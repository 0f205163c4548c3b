// The real main window with the Virtual Serial page, run in a folder of its
// own (the page reads and writes Zev_DtuConfig.txt in the working directory),
// and helpers to work its widgets as a user would.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <unistd.h>

#include <fstream>

#include "app/views/cmd_port/receive_log_view.h"
#include "app/views/virtual_serial/virtual_serial_view.h"
#include "pages/virtual_serial/virtual_serial_tool.h"
#include "tests/app/app_fixture.h"
#include "tests/support/temp_dir.h"

class VirtualSerialTest : public MainWindowTest {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_dir_ = cwd;
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    ASSERT_EQ(chdir(previous_dir_.c_str()), 0);
  }

  VirtualSerialTool *Tool() const { return window_->Pages()->LogicAs<VirtualSerialTool>(DtuPageCode::kVirtualSerial); }
  QWidget *View() const { return window_->Pages()->PageForCode(15); }
  template <typename Widget>
  Widget *Find(const char *name) const {
    Widget *widget = View()->findChild<Widget *>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString FieldText(const char *name) const { return Find<QLineEdit>(name)->text(); }

  void ShowPage() { Select("Virtual Serial"); }
  void Type(const char *field, const QString &text) {
    QLineEdit *edit = Find<QLineEdit>(field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Click(const char *button) {
    QPushButton *b = Find<QPushButton>(button);
    ASSERT_TRUE(b->isEnabled()) << button;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  // The log's lines joined with "\n", without a line end after the last.
  QString LogText() const {
    QString text = Find<ReceiveLogView>("ExchangeLog")->Text();
    if (text.endsWith('\n')) text.chop(1);
    return text;
  }
  bool WaitForLog(const QString &text, int timeout_ms = 15000) {
    return WaitFor([&] { return LogText().contains(text); }, timeout_ms);
  }

  // Logs in with the simulated platform's demo account and product.
  void LogIn() {
    ShowPage();
    Type("Username", "engineer");
    Type("Password", "varnok-demo");
    Type("ProductKey", "pk-demo");
    Type("ProductSecret", "ps-demo");
    Click("Login");
    ASSERT_TRUE(WaitFor([&] { return !Tool()->Busy(); }, 20000));
    ASSERT_TRUE(Tool()->LoggedIn()) << LogText().toStdString();
  }

  std::string ConfigPath() const { return dir_.File("Zev_DtuConfig.txt"); }
  std::string ConfigText() const { return ReadWholeFile(ConfigPath()); }
  void WriteConfig(const std::string &bytes) const { std::ofstream(ConfigPath(), std::ios::binary) << bytes; }

  TempDir dir_;
  std::string previous_dir_;
};
