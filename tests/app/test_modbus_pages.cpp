// The Modbus and Modbus cache pages in the real main window, against dtu-sim
// on a real pseudo-terminal: rows shown by switch and counts, a polling Read
// filling both rows, the cache's focus on a failing field, and closing the
// window in the middle of a Read.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

#include "app/views/cmd_port/cmd_port_view.h"
#include "app/views/modbus/modbus_cache_view.h"
#include "app/views/modbus/modbus_view.h"
#include "sim_window_fixture.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/dtu_page_runner.h"
#include "tests/support/sim_link.h"

class ModbusPagesTest : public SimWindowTest {
 protected:
  QWidget *ModbusPage() const { return window_->Pages()->PageForCode(4); }
  QWidget *CachePage() const { return window_->Pages()->PageForCode(5); }
  template <class T>
  T *Child(QWidget *page, const char *name) const {
    T *child = page->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  // As a user's choice in a list: the index, then the list's activation.
  static void Choose(QComboBox *box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  int VisibleEdits(QWidget *page, const char *prefix) const {
    int shown = 0;
    for (int k = 1; k <= 6; ++k) shown += Child<QLineEdit>(page, (prefix + std::to_string(k)).c_str())->isVisible();
    return shown;
  }
  // With VARNOK_VIEW_PICTURES set, keeps pictures of the page in both
  // languages for a look by eye.
  void Picture(const char *name) {
    const char *dir = std::getenv("VARNOK_VIEW_PICTURES");
    if (dir == nullptr) return;
    window_->grab().save(QString("%1/%2_en.png").arg(dir, name));
    window_->SetLanguage(0);
    window_->grab().save(QString("%1/%2_zh.png").arg(dir, name));
    window_->SetLanguage(1);
  }
};

TEST_F(ModbusPagesTest, RowsFollowTheSwitchTheRuleAndTheCounts) {
  Select("Modbus Params");
  QWidget *page = ModbusPage();
  EXPECT_EQ(VisibleEdits(page, "slave"), 0);
  Choose(Child<QComboBox>(page, "funcSwitch"), 1);
  Choose(Child<QComboBox>(page, "maxChannel"), 2);
  EXPECT_EQ(VisibleEdits(page, "slave"), 3);
  EXPECT_EQ(VisibleEdits(page, "tag"), 0);
  Choose(Child<QComboBox>(page, "rule"), 1);
  Choose(Child<QComboBox>(page, "maxParamCnt"), 1);
  EXPECT_EQ(VisibleEdits(page, "tag"), 2);
  Picture("modbus");
  // The cache proxy refuses ON while the polling is on.
  Select("Modbus Cache");
  Choose(Child<QComboBox>(CachePage(), "funcSwitch"), 1);
  EXPECT_EQ(Child<QComboBox>(CachePage(), "funcSwitch")->currentIndex(), 0);
  ASSERT_EQ(messages_.size(), 1u);
}

TEST_F(ModbusPagesTest, PollingReadFillsBothRowsFromTheDevice) {
  OpenOnSim();
  sim_->Store().SetValue("modbus-switch", "1");
  sim_->Store().SetValue("modbus-channel", "2");
  sim_->AnswerFor("AT+ZEVCFG=set|modbus-slave-cfg|0002001700040004000100023600\r\n");
  Select("Modbus Params");
  Child<QPushButton>(ModbusPage(), "ModbusRead")->click();
  DtuModbus *modbus = window_->Pages()->LogicAs<DtuModbus>(DtuPageCode::kModbus);
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !modbus->ReadPending(); }, 10000));
  EXPECT_EQ(Child<QLineEdit>(ModbusPage(), "slave1")->text(), "1");
  EXPECT_EQ(Child<QLineEdit>(ModbusPage(), "Addr2")->text(), "40001");
  EXPECT_EQ(Child<QLineEdit>(ModbusPage(), "Cycle2")->text(), "3600");
  EXPECT_EQ(VisibleEdits(ModbusPage(), "slave"), 2);
}

TEST_F(ModbusPagesTest, ACacheCheckPutsTheFocusOnTheFailingField) {
  OpenOnSim();
  Select("Modbus Cache");
  QWidget *page = CachePage();
  Choose(Child<QComboBox>(page, "maxChannel"), 1);
  for (const char *name : {"slave1", "Addr1", "Len1", "Cycle1", "slave2", "Addr2", "Cycle2"}) {
    Child<QLineEdit>(page, name)->setText("1");
    emit Child<QLineEdit>(page, name)->textEdited("1");
  }
  Picture("modbus_cache");
  Child<QPushButton>(page, "Set")->click();
  EXPECT_EQ(messages_, std::vector<std::string>{"Channel 2 Count cannot be empty."});
  EXPECT_EQ(window_->focusWidget(), Child<QLineEdit>(page, "Len2"));
  EXPECT_TRUE(sim_->ReceivedLines().empty());
}

TEST_F(ModbusPagesTest, ClosingTheWindowDuringAReadEndsCleanly) {
  OpenOnSim();
  sim_->Store().SetValue("modbus-switch", "1");
  Select("Modbus Params");
  Child<QPushButton>(ModbusPage(), "ModbusRead")->click();
  Child<QPushButton>(ModbusPage(), "RuleRead")->click();  // stops the first read, starts its own
  ASSERT_TRUE(window_->Pages()->LogicAs<DtuModbus>(DtuPageCode::kModbus)->ReadPending());
  window_.reset();  // the read waits between queries: its sequence goes with the page
  EXPECT_EQ(DtuPageReference<DtuModbus>::Current(), nullptr);
}
