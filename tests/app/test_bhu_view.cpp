// The business packet page in the real main window against dtu-sim: each
// packet type read and set through the widgets, the visibility rules of the
// field editor, and the page in both languages.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

#include "app/views/bhu/bhu_view.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "sim_window_fixture.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "sim/dtu_sim.h"
#include "tests/support/sim_link.h"

namespace {

constexpr int kBhuPageCode = 14;

class BhuViewTest : public SimWindowTest {
 protected:
  void SetUp() override {
    SimWindowTest::SetUp();
    OpenOnSim();
    Select("BHU");
    view_ = window_->Pages()->PageForCode(kBhuPageCode);
    ASSERT_TRUE(view_ != nullptr && view_->isVisible());
  }

  template <class W>
  W *Child(const QString &name) const {
    W *widget = view_->findChild<W *>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  QComboBox *List(const QString &name) const { return Child<QComboBox>(name); }
  void Click(const char *button) { ASSERT_TRUE(ClickOnceEnabled(Child<QPushButton>(button))) << button; }
  bool WaitForMessage(const std::string &text) {
    return WaitFor([&] { return !messages_.empty() && messages_.back() == text; });
  }

  QWidget *view_ = nullptr;
};

struct PacketCase {
  const char *name;
  int type;
  const char *key;
  std::string device;  // what the device holds before Read
  QString shown;       // the content box after Read
  QString typed;       // what the user types before Set
  std::string stored;  // what the device holds after Set
  std::string confirmation;
};
void PrintTo(const PacketCase &c, std::ostream *out) { *out << c.name; }

class BhuViewPackets : public BhuViewTest, public ::testing::WithParamInterface<PacketCase> {};

TEST_P(BhuViewPackets, ReadShowsThePacketAndSetWritesIt) {
  const PacketCase &c = GetParam();
  sim_->Store().SetValue(c.key, c.device);
  List("PacketType")->setCurrentIndex(c.type);
  Click("Read");
  QPlainTextEdit *content = Child<QPlainTextEdit>("Content");
  ASSERT_TRUE(WaitFor([&] { return content->toPlainText() == c.shown; })) << content->toPlainText().toStdString();
  EXPECT_EQ(List("FunctionSwitch")->currentIndex(), 1);
  content->setPlainText(c.typed);
  Click("Set");
  ASSERT_TRUE(WaitForMessage(c.confirmation)) << (messages_.empty() ? "" : messages_.back());
  EXPECT_EQ(sim_->Store().Value(c.key), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Types, BhuViewPackets,
    ::testing::Values(
        PacketCase{"Login", 0, "bhu-login", "100002hi", "hi", "hello", "100005hello",
                   "Login/Register packet configured successfully"},
        PacketCase{"Heartbeat", 1, "bhu-heart", "11000000200004A1B2", "A1B2", "0x01 ${RSSI}", "11000000200009" "01${RSSI}",
                   "Heartbeat packet configured successfully"},
        PacketCase{"Data", 2, "bhu-data", "10000000050003abc", "abc", "xyz", "10000000050003xyz",
                   "Data packet configured successfully"},
        PacketCase{"Header", 3, "bhu-header", "100002HD", "HD", "HDR", "100003HDR",
                   "Header identifier configured successfully"}),
    [](const ::testing::TestParamInfo<PacketCase> &info) { return std::string(info.param.name); });

TEST_F(BhuViewTest, FieldEditorReadAndSetThroughItsRows) {
  sim_->Store().SetValue("bhu-data", "12000000100016" "01024142${CRC16}");
  sim_->Store().SetValue("bhu-hex-data-cfg", "11000103010201020000000000000202AB0000000000000005040102000000000000");
  List("PacketType")->setCurrentIndex(2);
  Click("Read");
  QLineEdit *second = Child<QLineEdit>("FieldValue2");
  ASSERT_TRUE(WaitFor([&] { return second->text() == "AB"; }));
  EXPECT_TRUE(second->isVisible());
  EXPECT_FALSE(Child<QLineEdit>("FieldValue4")->isVisible());
  EXPECT_FALSE(Child<QPlainTextEdit>("Content")->isVisible());
  EXPECT_EQ(List("FieldType3")->currentIndex(), 4);
  EXPECT_EQ(Child<QLineEdit>("Cycle")->text(), "10");

  second->setText("CD");
  emit second->textEdited("CD");
  Click("Set");
  ASSERT_TRUE(WaitForMessage("Data packet HEX field configured successfully"));
  EXPECT_EQ(sim_->Store().Value("bhu-data"), "12000000100016" "01024344${CRC16}");
  EXPECT_EQ(sim_->Store().Value("bhu-hex-data-cfg"),
            "11000103010201020000000000000202CD0000000000000005040102000000000000");
}

// Saves a picture of the window when VARNOK_SCREENSHOT_DIR names a folder.
void Picture(QWidget *window, const QString &name) {
  const QString dir = qEnvironmentVariable("VARNOK_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QCoreApplication::processEvents();  // lay out what the last change showed or hid
  window->grab().save(dir + "/" + name + ".png");
}

TEST_F(BhuViewTest, VisibilityFollowsTypeFormatAndEditModeInBothLanguages) {
  QLineEdit *period = Child<QLineEdit>("Cycle");
  QComboBox *edit_mode = List("EditMode");
  const QString kLanguages[] = {"en", "zh"};
  for (int language = 0; language < 2; ++language) {
    window_->SetLanguage(language == 0 ? 1 : 0);
    for (int type = 0; type < kDtuBhuPacketTypes; ++type) {
      List("PacketType")->setCurrentIndex(type);
      List("PacketFormat")->setCurrentIndex(type == 0 ? 0 : 1);
      if (type != 0) edit_mode->setCurrentIndex(type == 1 || type == 2 ? 1 : 0);
      if (type == 2) List("FieldCount")->setCurrentIndex(4);
      EXPECT_EQ(period->isVisible(), type == 1 || type == 2) << type;
      EXPECT_EQ(edit_mode->isVisible(), type != 0) << type;
      EXPECT_EQ(Child<QPlainTextEdit>("Content")->isVisible(), type == 0 || type == 3) << type;
      EXPECT_EQ(Child<QComboBox>("FieldType5")->isVisible(), type == 2) << type;
      EXPECT_EQ(Child<QComboBox>("FieldType6")->isVisible(), false) << type;
      Picture(window_.get(), QString("bhu-%1-%2").arg(type).arg(kLanguages[language]));
    }
  }
  EXPECT_EQ(List("PacketType")->itemText(0), QString::fromUtf8("登录注册包"));
  EXPECT_TRUE(Child<QPlainTextEdit>("Tips")->toPlainText().contains(QString::fromUtf8("常用通配符")));
  window_->SetLanguage(1);
  EXPECT_EQ(List("FieldType1")->itemText(4), "CRC16[LE]");
  EXPECT_EQ(List("PacketType")->currentIndex(), 3) << "the selection survives the re-labelling";
  EXPECT_TRUE(Child<QPlainTextEdit>("Tips")->toPlainText().startsWith(" ##### Tips #####\n"));
}

}  // namespace
