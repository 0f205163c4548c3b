// The field tables of the pages: every device key a table declares is one
// the answer table routes, and its answer lands in the field of that name.
#include <strings.h>

#include <functional>
#include <memory>
#include <string>

#include "link/dtu_cmd_resp_table.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"
#include "tests/pages/page_test_support.h"

namespace {

struct TablePage {
  const char *name;
  std::function<std::unique_ptr<DtuFieldTablePage>()> make;
};

template <class Page>
TablePage Make(const char *name) {
  return {name, [] { return std::make_unique<Page>(); }};
}

class FieldTables : public PageTest, public ::testing::WithParamInterface<TablePage> {};

TEST_P(FieldTables, EveryDeviceKeyIsRoutedToItsField) {
  std::unique_ptr<DtuFieldTablePage> page = GetParam().make();
  int keyed = 0;
  for (size_t i = 0; i < page->FieldCount(); ++i) {
    const DtuFieldDef &def = page->Def(i);
    if (!def.key) continue;
    ++keyed;
    const std::string answer = std::string(def.key) + " : 17";
    const int row = DtuCmdMatchRow(answer.c_str(), static_cast<int>(answer.size()));
    ASSERT_GE(row, 0) << def.name << ": no answer row for " << def.key;
    EXPECT_EQ(strcasecmp(DtuCmdRespPrefix(row), (std::string(def.key) + " : ").c_str()), 0)
        << def.name << " is answered by the row of " << DtuCmdRespPrefix(row);
    if (def.kind == DtuFieldKind::kList) continue;  // answers there are codes, not the index
    Answer(answer);
    std::string value;
    ASSERT_TRUE(page->GetField(def.name, value)) << def.name;
    EXPECT_EQ(value, "17") << "the answer to " << def.key << " did not reach " << def.name;
  }
  EXPECT_GT(keyed, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, FieldTables,
                         ::testing::Values(Make<DtuMqtt>("mqtt"), Make<DtuMqttAliyun>("aliyun"),
                                           Make<DtuMqttOnenet>("onenet"), Make<DtuTcpUdp>("tcpudp"),
                                           Make<DtuWorkMode>("workmode"), Make<DtuDataPort>("dataport"),
                                           Make<DtuDevinfo>("devinfo")),
                         [](const ::testing::TestParamInfo<TablePage> &info) { return info.param.name; });

}  // namespace
