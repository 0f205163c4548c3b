// The DL/T 645 meter page in the real main window against dtu-sim: reached
// from the tree, both groups read and set by the page's own buttons, rows
// shown as the switch, counts and rule say, labels in both languages.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <chrono>

#include "app/views/cmd_port/cmd_port_view.h"
#include "app/views/dlt645/dlt645_view.h"
#include "sim_window_fixture.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "tests/support/sim_link.h"

namespace {

class Dlt645WindowTest : public SimWindowTest {
 protected:
  void SetUp() override {
    SimWindowTest::SetUp();
    OpenOnSim();
    Select("DL/T645 Meter");
    view_ = qobject_cast<Dlt645View *>(window_->Pages()->PageForCode(6));
    ASSERT_NE(view_, nullptr);
  }

  template <class W>
  W *Child(const char *name) const {
    W *w = view_->findChild<W *>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Type(const char *field, const char *text) {
    QLineEdit *edit = Child<QLineEdit>(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  void Choose(const char *list, int index) {
    QComboBox *box = Child<QComboBox>(list);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  void Click(const char *button) { ASSERT_TRUE(ClickOnceEnabled(Child<QPushButton>(button))) << button; }
  bool WaitForMessage(const std::string &text) {
    return WaitFor([&] { return !messages_.empty() && messages_.back() == text; }, 10000);
  }

  Dlt645View *view_ = nullptr;
};

}  // namespace

TEST_F(Dlt645WindowTest, TheTreeItemLeadsToThePageUnderTheDataPort) {
  QTreeWidgetItem *item = ItemWithText("DL/T645 Meter");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->parent()->text(0), QStringLiteral("Data Port-RS485"));
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], view_);
  window_->SetLanguage(0);
  EXPECT_NE(ItemWithText(QStringLiteral("DL/T645电表")), nullptr);
  EXPECT_EQ(VisiblePages()[0], view_) << "the page stays on view";
  EXPECT_EQ(Child<QPushButton>("BasicSet")->text(), QStringLiteral("配置"));
}

TEST_F(Dlt645WindowTest, BasicGroupSetsAndReadsBack) {
  Click("BasicRead");  // channel 1 as the device has it
  ASSERT_TRUE(WaitFor([&] { return !Child<QLineEdit>("addr1")->text().isEmpty(); }, 10000));
  EXPECT_FALSE(Child<QLineEdit>("addr1")->isVisible()) << "the device's switch is OFF";
  Choose("Switch", 1);  // ON: the list shows OFF first
  Choose("ChannelCount", 1);
  Type("addr2", "000000000002");
  Type("preamble2", "2");
  Type("diNum2", "2");
  Type("cycle2", "30");
  Type("DiList2", "00010000,00020000");
  EXPECT_TRUE(Child<QLineEdit>("addr2")->isVisible());
  EXPECT_FALSE(Child<QLineEdit>("addr3")->isVisible());
  Click("BasicSet");
  ASSERT_TRUE(WaitForMessage("DLT645 basic parameters configured successfully"));
  EXPECT_EQ(sim_->Store().ChannelValue("dlt645-meter-cfg", "2"),
            "ch:2/addr:000000000002/preamble:2/cycle:30/diNum:2/di1:00010000/di2:00020000;");

  Type("addr2", "changed");
  Click("BasicRead");
  ASSERT_TRUE(WaitFor([&] { return Child<QLineEdit>("addr2")->text() == "000000000002"; }, 10000));
  EXPECT_EQ(Child<QLineEdit>("DiList2")->text(), QStringLiteral("00010000,00020000"));
  Choose("Switch", 0);
  EXPECT_FALSE(Child<QLineEdit>("addr1")->isVisible()) << "rows show only while the switch is ON";
}

TEST_F(Dlt645WindowTest, RuleGroupSetsAndReadsBackThroughTheReadWorker) {
  Choose("ConfigChannelIndex", 3);
  Choose("Rule", 1);
  Choose("ParamCount", 1);
  EXPECT_TRUE(Child<QLineEdit>("Tag2")->isVisible());
  EXPECT_FALSE(Child<QLineEdit>("Tag3")->isVisible());
  Type("Tag1", "Ua");
  Type("RuleDi1", "02010100");
  Choose("DataType1", 6);
  Type("Tag2", "Ia");
  Type("RuleDi2", "02020100");
  Type("Rate2", "100");
  Click("RuleSet");
  ASSERT_TRUE(WaitForMessage("DLT645 forward rules configured successfully"));
  EXPECT_EQ(sim_->Store().ChannelValue("dlt645-meter-rule", "4"), "ch:4/rule:1/paramCnt:2");

  Type("Tag1", "x");
  Choose("Rule", 0);
  EXPECT_FALSE(Child<QLineEdit>("Tag1")->isVisible()) << "a Transparent rule shows no parameters";
  Click("RuleRead");
  ASSERT_TRUE(WaitFor([&] { return Child<QLineEdit>("Tag2")->text() == "Ia"; }, 10000));
  EXPECT_EQ(Child<QLineEdit>("Tag1")->text(), QStringLiteral("Ua"));
  EXPECT_EQ(Child<QComboBox>("DataType1")->currentIndex(), 6);
  EXPECT_EQ(Child<QLineEdit>("Rate2")->text(), QStringLiteral("100"));
  EXPECT_TRUE(Child<QLineEdit>("Tag1")->isVisible());
  Choose("ConfigChannelIndex", 0);
  EXPECT_EQ(Child<QLineEdit>("Tag1")->text(), QString()) << "channel 1 has a rule of its own";
}
