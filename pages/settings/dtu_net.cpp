#include "pages/settings/dtu_net.h"

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/settings/dtu_net_info.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_typed_number.h"
#include "pages/kit/dtu_page_store.h"
#include "base/dtu_text_id.h"

DtuNet::DtuNet(QObject *parent) : DtuBoundPage(parent) {
  DtuAttachPageAnswers({
      {"netInfo", &DtuPageAnswer<&DtuNet::DtuNetInfoSet>},
  });
}

DtuNet::~DtuNet() = default;

std::vector<std::string> DtuNet::DialTypeItems() {
  return {DtuLangText(DtuTextId::kAutoApn), DtuLangText(DtuTextId::kManualApn)};
}

bool DtuNet::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  QueueRead({DtuPageGetLine("netInfo", "DialType/APN/Username/Password")});
  return true;
}

// The device takes at most 32 bytes of APN and 64 of user name and password.
bool DtuNet::ManualFieldsFit() const {
  struct Check {
    const std::string &text;
    size_t max;
    DtuTextId message;
  };
  for (const Check &c : {Check{model_.apn, kApnMax, DtuTextId::kApnTooLong},
                         Check{model_.username, kUsernameMax, DtuTextId::kUsernameTooLong},
                         Check{model_.password, kPasswordMax, DtuTextId::kPasswordTooLong}}) {
    if (c.text.size() > c.max) {
      DtuWarningBox(DtuLangText(c.message));
      return false;
    }
  }
  return true;
}

bool DtuNet::OnBnClickedBtSet() {
  if (!DtuPagePortOpen()) return false;
  if (!TypedValuesUsable()) return false;
  DtuSetLines lines;
  if (model_.dial_type == 1) {
    if (!ManualFieldsFit()) return false;
    lines.Add("APN", "netInfo", DtuNetInfoFormat({model_.apn, model_.username, model_.password}));
  } else {
    lines.Add("APN", "netInfo", kDtuNetInfoAuto);
  }
  if (!lines.Fit()) return false;
  QueueSet(lines, DtuTextId::kNetConfigSucceeded);
  return true;
}

bool DtuNet::FieldsFitFile() const { return ManualFieldsFit(); }

void DtuNet::FieldsReadFromFile(const DtuConfig &) { SelectDialTypeFromApn(); }

void DtuNet::PutFieldValue(size_t field, const std::string &value) {
  const bool to_manual = field == 0 && value == "1" && model_.dial_type != 1;
  DtuBoundPage::PutFieldValue(field, value);
  if (!to_manual) return;
  const bool was_auto = DtuNetInfoIsAuto(model_.apn);
  if (was_auto) model_.apn.clear();
  bool blanked = false;
  for (std::string *text : {&model_.username, &model_.password}) {
    if (!text->empty() && DtuTypedTrim(*text).empty()) {
      text->clear();
      blanked = true;
    }
  }
  if (was_auto || blanked) emit Changed();
}

void DtuNet::SelectDialTypeFromApn() { model_.dial_type = DtuNetInfoIsAuto(model_.apn) ? 0 : 1; }

void DtuNet::DtuNetInfoSet(const char *value, int) {
  DTU_LOG("netInfo : %s", value);
  DtuNetInfo info = DtuNetInfoParse(value);
  model_.apn = info.apn;
  model_.username = info.username;
  model_.password = info.pwd;
  SelectDialTypeFromApn();
  emit Changed();
  ConfirmSet(DtuTextId::kNetConfigSucceeded);
  FinishRead();
}

const std::vector<DtuFieldBinding<DtuNetModel>> &DtuNet::Bindings() const {
  using M = DtuNetModel;
  using G = DtuConfig::NetInfoGroup;
  using F = DtuFileGroup<&DtuConfig::netInfo>;
  // Read and Set are the page's own: the four fields are one device key.
  // The dial type is not stored: Read Local takes it from the APN.
  static const std::vector<DtuFieldBinding<M>> table = {
      {DtuListFieldDef("DialType", nullptr, kDialTypeCount).Labelled(DtuTextId::kNetDialType).Listing(&DialTypeItems),
       nullptr, &M::dial_type},
      {DtuTextFieldDef("APN", nullptr).StoredIn(F::Slot<&G::apn>()), &M::apn, nullptr},
      {DtuTextFieldDef("Username", nullptr).Labelled(DtuTextId::kNetUsername).StoredIn(F::Slot<&G::username>()),
       &M::username, nullptr},
      {DtuTextFieldDef("Password", nullptr).Labelled(DtuTextId::kNetPassword).StoredIn(F::Slot<&G::pwd>()),
       &M::password, nullptr},
  };
  return table;
}
