// A text field of a page view refuses a pasted value with a control
// character: the field names itself in a warning and keeps what the page
// holds, so no line break can reach the wire from the window.
#include <QLineEdit>

#include "app/shell/page_host.h"
#include "pages/dtu_page_catalog.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "tests/app/app_fixture.h"

TEST_F(MainWindowTest, PastedLineBreakIsRefusedWithTheFieldNamed) {
  QWidget *view = window_->Pages()->PageForCode(11);  // MQTT
  ASSERT_NE(view, nullptr);
  auto *server = view->findChild<QLineEdit *>("Server");
  ASSERT_NE(server, nullptr);
  server->setText("broker.local");
  emit server->textEdited("broker.local");
  server->setText("evil\r\nAT&F");
  emit server->textEdited("evil\r\nAT&F");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Server holds a control character (such as CR or LF) and was not taken.");
  std::string held;
  ASSERT_TRUE(window_->Pages()->LogicAs<DtuMqtt>(DtuPageCode::kMqtt)->GetField("Server", held));
  EXPECT_EQ(held, "broker.local");
  EXPECT_EQ(server->text(), "broker.local");
}
