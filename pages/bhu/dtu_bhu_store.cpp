// Save to Local and Read Local of the business packet page: the selected
// packet's switch, period, data type and either its fields or its content,
// in the [BHU] section; the header signature's switch, data type and content
// in [BHU_HEADER].
#include <cstdio>
#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/kit/dtu_page_store.h"

namespace {

std::string FieldLabel(int number) {
  char label[64];
  std::snprintf(label, sizeof(label), DtuLangText(DtuTextId::kBhuFieldRow), number);
  return label;
}

// The period as the file keeps it: empty or "0" is 0 (a packet never
// switched on); anything else must be a valid period.
bool StoredPeriod(const std::string &text, int &cycle) {
  long period = 0;
  const std::string trimmed = DtuBhuTrim(text);
  if (trimmed.empty() || trimmed.find_first_not_of('0') == std::string::npos) {
    cycle = 0;
    return true;
  }
  if (DtuBhuCheck fault = DtuBhuParsePeriod(trimmed, period)) {
    char message[256];
    std::snprintf(message, sizeof(message), DtuLangText(fault->text), fault->number);
    DtuWarningBox(message);
    return false;
  }
  cycle = static_cast<int>(period);
  return true;
}

template <class Stored>
bool FitsStored(const DtuBhuPacketModel &packet, const Stored &stored) {
  if (!packet.Visual()) {
    return DtuPageFitsCapacity(DtuLangText(DtuTextId::kBhuContentName), packet.content, stored.data.kCapacity);
  }
  const std::vector<DtuBhuField> fields = packet.UsedFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].type < 0 || fields[i].type >= kDtuBhuFieldTypes) {
      DtuWarningBox(DtuLangText(DtuTextId::kBhuSelectHexFieldType));
      return false;
    }
    const std::string label = FieldLabel(static_cast<int>(i) + 1);
    if (!DtuPageFitsCapacity(label.c_str(), fields[i].value, stored.item[i].itemData.kCapacity)) return false;
  }
  return true;
}

template <class Stored>
bool Store(const DtuBhuPacketModel &packet, bool has_period, Stored &stored) {
  if (!FitsStored(packet, stored)) return false;
  if (has_period && !StoredPeriod(packet.period, stored.cycle)) return false;
  stored.funcSwitch = packet.on;
  if (!packet.Visual()) {
    stored.dataType = packet.format;
    stored.data = packet.content;
    return true;
  }
  stored.dataType = kDtuBhuHexFields;
  const std::vector<DtuBhuField> fields = packet.UsedFields();
  stored.itemNum = static_cast<int>(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    stored.item[i].itemType = fields[i].type;
    stored.item[i].itemData = fields[i].value.empty() ? std::string("0") : fields[i].value;
  }
  return true;
}

template <class Stored>
void Load(const Stored &stored, bool has_period, DtuBhuPacketModel &packet) {
  packet.on = stored.funcSwitch == 1 ? 1 : 0;
  const int data_type = stored.dataType >= kDtuBhuText && stored.dataType <= kDtuBhuHexFields ? stored.dataType : 0;
  packet.SetDataType(data_type);
  if (has_period) packet.period = std::to_string(stored.cycle);
  packet.content = stored.data.str();
  if (data_type != kDtuBhuHexFields) return;
  const int count = stored.itemNum >= 1 && stored.itemNum <= kDtuBhuFieldsMax ? stored.itemNum : 1;
  packet.field_count = count;
  for (int i = 0; i < count; ++i) {
    const int type = stored.item[i].itemType;
    packet.fields[i].type = type >= 0 && type < kDtuBhuFieldTypes ? type : -1;
    packet.fields[i].value = stored.item[i].itemData.str();
  }
  // The file keeps only the fields of such a packet: its content is what
  // they compose, as a Set sends it and the device answers it.
  std::string composed;
  if (!DtuBhuComposeFields(packet.UsedFields(), composed)) packet.content = composed;
}

// The header signature is never made of fields: text or hexadecimal text.
template <class Stored>
bool StoreHeader(const DtuBhuPacketModel &packet, Stored &stored) {
  if (!DtuPageFitsCapacity(DtuLangText(DtuTextId::kBhuContentName), packet.content, stored.data.kCapacity)) {
    return false;
  }
  stored.funcSwitch = packet.on;
  stored.dataType = packet.format;
  stored.data = packet.content;
  return true;
}

template <class Stored>
void LoadHeader(const Stored &stored, DtuBhuPacketModel &packet) {
  packet.on = stored.funcSwitch == 1 ? 1 : 0;
  packet.SetDataType(stored.dataType == kDtuBhuHexText ? kDtuBhuHexText : kDtuBhuText);
  packet.content = stored.data.str();
}

}  // namespace

bool DtuBhu::SavePacket(DtuConfig &config) const {
  switch (selected_) {
    case DtuBhuPacketType::kLogin: return Store(Current(), false, config.bhu.login);
    case DtuBhuPacketType::kHeart: return Store(Current(), true, config.bhu.heartBeat);
    case DtuBhuPacketType::kData: return Store(Current(), true, config.bhu.UserData);
    case DtuBhuPacketType::kHeader: return StoreHeader(Current(), config.bhu.header);
  }
  return true;
}

void DtuBhu::LoadPacket(const DtuConfig &config) {
  switch (selected_) {
    case DtuBhuPacketType::kLogin: Load(config.bhu.login, false, Edit()); break;
    case DtuBhuPacketType::kHeart: Load(config.bhu.heartBeat, true, Edit()); break;
    case DtuBhuPacketType::kData: Load(config.bhu.UserData, true, Edit()); break;
    case DtuBhuPacketType::kHeader: LoadHeader(config.bhu.header, Edit()); break;
  }
  emit Changed();
}

bool DtuBhu::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  if (!SavePacket(config)) return false;
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuBhu::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  LoadPacket(config);
  DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return true;
}
