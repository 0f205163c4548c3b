// The Device and File menus on two simulated devices: a whole device read
// into a file, the file written to another device, and the two compared.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>

#include "app/shell/device_menu.h"
#include "app/shell/file_menu.h"
#include "app/workbench/compare_view.h"
#include "app/workbench/workbench_dialog.h"
#include "app/workbench/workbench_texts.h"
#include "config/dtu_config.h"
#include "provision/provision_report.h"
#include "pages/kit/dtu_page_store.h"
#include "workbench_fixture.h"

namespace {

// Answers Yes to the question Write All Pages asks.
class YesAnswerer : public QObject {
 public:
  YesAnswerer() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box == nullptr || !box->isVisible() || box->button(QMessageBox::Yes) == nullptr) continue;
        asked_ = box->text();
        box->button(QMessageBox::Yes)->click();
      }
    });
    timer_.start(10);
  }
  QString asked_;

 private:
  QTimer timer_;
};


TEST_F(Workbench, ReadsWritesAndComparesAWholeDevice) {
  OpenOnSim();
  sim_->Store().SetValue("mqtt-addr", "bench-a.example");
  sim_->Store().SetValue("mqtt-pubtopic", "bench/up");
  const std::string start = PathOf("start.txt");
  ASSERT_TRUE(DtuConfig::CreateDefaultFile(start));
  ASSERT_TRUE(window_->Files()->Open(QString::fromStdString(start)));

  WorkbenchDialog *read = RunToEnd(WorkbenchVerb::kRead);
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->Run().FileReplaced()) << read->Summary().toStdString();
  EXPECT_EQ(States(*read).count(WbText(DtuTextId::kStateReadSaved)), read->ProgressTable()->rowCount())
      << States(*read).join(", ").toStdString();

  const std::string saved = PathOf("bench.txt");
  ASSERT_TRUE(window_->Files()->SaveAs(QString::fromStdString(saved)));
  EXPECT_EQ(DtuPageConfigPath(), saved);
  EXPECT_EQ(window_->Files()->Recent().value(0).toStdString(), saved);
  EXPECT_TRUE(window_->Files()->StatusLabel()->text().contains("bench.txt"));

  std::unique_ptr<DtuSim> first;
  ReopenOn(first);
  ASSERT_NE(sim_->Store().Value("mqtt-addr"), "bench-a.example");
  WorkbenchDialog *write = nullptr;
  {
    YesAnswerer yes;
    write = RunToEnd(WorkbenchVerb::kWrite);
    EXPECT_TRUE(yes.asked_.contains(QString::fromStdString(saved)));
  }
  ASSERT_NE(write, nullptr);
  EXPECT_EQ(States(*write).count(WbText(DtuTextId::kStatusVerified)), write->ProgressTable()->rowCount())
      << States(*write).join(", ").toStdString() << "\n" << write->Summary().toStdString();
  EXPECT_EQ(sim_->Store().Value("mqtt-addr"), "bench-a.example");
  EXPECT_EQ(sim_->Store().Value("mqtt-pubtopic"), "bench/up");

  const std::string report = PathOf("write.json");
  EXPECT_TRUE(write->SaveReport(QString::fromStdString(report)));
  ProvisionReport back;
  QFile json(QString::fromStdString(report));
  ASSERT_TRUE(json.open(QIODevice::ReadOnly));
  ASSERT_TRUE(ProvisionReportFromJson(json.readAll(), back));
  EXPECT_EQ(back.verb, "apply");

  sim_->Store().SetValue("mqtt-addr", "changed.example");
  WorkbenchDialog *compare = RunToEnd(WorkbenchVerb::kCompare);
  ASSERT_NE(compare, nullptr);
  CompareView &view = *compare->Compare();
  EXPECT_EQ(view.Differences(), std::vector<std::string>{"mqtt Server"}) << compare->Summary().toStdString();
  const int row = view.RowOf("mqtt", "Server");
  ASSERT_GE(row, 0);
  EXPECT_EQ(view.Table()->item(row, 2)->text(), "changed.example");
  EXPECT_EQ(view.Table()->item(row, 3)->text(), "bench-a.example");
  EXPECT_FALSE(view.Table()->isRowHidden(row));

  // The device's side goes into the file.
  ASSERT_TRUE(view.TakeDevice(row)) << view.Outcome().toStdString();
  DtuConfig file;
  ASSERT_TRUE(file.LoadFromFile(saved));
  EXPECT_STREQ(file.mqtt.Server.c_str(), "changed.example");
  EXPECT_TRUE(view.Differences().empty());
}

}  // namespace
