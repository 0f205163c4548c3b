// The window on a simulated device for the whole-device tests: a settings
// folder of the test's own, and the Device menu's runs waited for to their
// end. One fixture for every Workbench test (outside any anonymous
// namespace, so that the test files share it).
#pragma once

#include <QStringList>
#include <QTableWidget>

#include "app/shell/device_menu.h"
#include "app/workbench/workbench_dialog.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_page_store.h"
#include "sim_window_fixture.h"
#include "tests/support/temp_dir.h"

constexpr int kWorkbenchRunMs = 240000;

class Workbench : public SimWindowTest {
 protected:
  void SetUp() override {
    // The recent files go to a settings folder of the test's own.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir_.Path()));
    SimWindowTest::SetUp();
  }
  void TearDown() override {
    SimWindowTest::TearDown();
    DtuPageSetConfigPath(kDtuConfigFileName);
  }

  std::string PathOf(const std::string &name) const { return dir_.Path() + "/" + name; }

  WorkbenchDialog *RunToEnd(WorkbenchVerb verb) {
    WorkbenchDialog *dialog = window_->Device()->Start(verb);
    if (dialog == nullptr) return nullptr;
    EXPECT_TRUE(WaitFor([&] { return dialog->Run().Done(); }, kWorkbenchRunMs));
    return dialog;
  }

  // The state column of every page, as the user reads it.
  QStringList States(WorkbenchDialog &dialog) const {
    QStringList states;
    for (int row = 0; row < dialog.ProgressTable()->rowCount(); ++row) {
      states << dialog.ProgressTable()->item(row, 1)->text();
    }
    return states;
  }

  void ReopenOn(std::unique_ptr<DtuSim> &keep) {
    keep = std::move(sim_);
    window_->Pages()->CmdPortPageView()->OpenCloseButton()->click();
    ASSERT_FALSE(window_->Pages()->CmdPortPage()->IsOpen());
    OpenOnSim();
  }

  TempDir dir_;
};
