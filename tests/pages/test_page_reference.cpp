// Answers reach the newest living object of their page through the page's
// reference; once that object is gone they reach no page: neither the
// destroyed one nor an older one still alive.
#include <QSignalSpy>

#include <memory>

#include "pages/kit/dtu_page.h"
#include "pages/dtu_page_catalog.h"
#include "tests/pages/page_test_support.h"

namespace {

struct ReferenceCase {
  const char *name;
  DtuPageCode code;
  const char *answer;  // one the page takes without a Read or Set running
};

class PageReference : public PageTest, public ::testing::WithParamInterface<ReferenceCase> {
 protected:
  std::unique_ptr<QObject> Make() const { return DtuPageCatalogFind(GetParam().code)->make(); }
};

}  // namespace

TEST_P(PageReference, AnswersReachOnlyTheNewestLivingPage) {
  std::unique_ptr<QObject> older = Make();
  std::unique_ptr<QObject> newer = Make();
  auto *older_page = qobject_cast<DtuPage *>(older.get());
  auto *newer_page = qobject_cast<DtuPage *>(newer.get());
  ASSERT_NE(older_page, nullptr);
  ASSERT_NE(newer_page, nullptr);
  QSignalSpy older_changed(older_page, &DtuPage::Changed);
  QSignalSpy newer_changed(newer_page, &DtuPage::Changed);

  Answer(GetParam().answer);
  EXPECT_GT(newer_changed.count(), 0) << "the newest page takes the answer";
  EXPECT_EQ(older_changed.count(), 0);

  newer.reset();
  Answer(GetParam().answer);  // a handler reaching the destroyed page is a use-after-free
  EXPECT_EQ(older_changed.count(), 0) << "the reference is not handed back to an older page";
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageReference,
    ::testing::Values(ReferenceCase{"DataPort", DtuPageCode::kDataPort, "uart-parity : 1"},
                      ReferenceCase{"Modbus", DtuPageCode::kModbus, "modbus-switch : 1"},
                      ReferenceCase{"ModbusCache", DtuPageCode::kModbusCache, "modbus-cache-switch : 0"},
                      ReferenceCase{"Dlt645", DtuPageCode::kDlt645, "dlt645-switch : 1"},
                      ReferenceCase{"Devinfo", DtuPageCode::kDevinfo, "imei : 861"},
                      ReferenceCase{"Net", DtuPageCode::kNet, "netInfo : apn:cmnet&username:u&pwd:p&"},
                      ReferenceCase{"WorkMode", DtuPageCode::kWorkMode, "mqtt-channel : 2"},
                      ReferenceCase{"TcpUdp", DtuPageCode::kTcpUdp, "tcp-addr : host"},
                      ReferenceCase{"Mqtt", DtuPageCode::kMqtt, "mqtt-qos : 1"},
                      ReferenceCase{"MqttAliyun", DtuPageCode::kMqttAliyun, "aly-mqtt-port : 1883"},
                      ReferenceCase{"MqttOnenet", DtuPageCode::kMqttOnenet, "onenet-mqtt-port : 1883"},
                      ReferenceCase{"Bhu", DtuPageCode::kBhu, "bhu-heart : 0"}),
    [](const ::testing::TestParamInfo<ReferenceCase> &info) { return std::string(info.param.name); });
