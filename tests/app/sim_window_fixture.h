// The main window with its command port opened on an in-process dtu-sim, as
// a user would open it: the port typed into the list, Open clicked.
#pragma once

#include <QComboBox>
#include <QPushButton>

#include <memory>

#include "app/views/cmd_port/cmd_port_view.h"
#include "app_fixture.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "sim/dtu_sim.h"
#include "tests/support/sim_link.h"

class SimWindowTest : public MainWindowTest {
 protected:
  void OpenOnSim(const DtuSimOptions &options = DtuSimOptions()) {
    sim_ = StartDtuSim(options);
    CmdPortView *port = window_->Pages()->CmdPortPageView();
    port->PortList()->setEditText(QString::fromStdString(sim_->SlavePath()));
    port->OpenCloseButton()->click();
    ASSERT_TRUE(window_->Pages()->CmdPortPage()->IsOpen());
  }

  // The window goes before the simulated device it talks to.
  void TearDown() override {
    window_.reset();
    sim_.reset();
    MainWindowTest::TearDown();
  }

  std::unique_ptr<DtuSim> sim_;
};
