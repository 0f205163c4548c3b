#include "pages/bhu/dtu_bhu.h"

#include <cstdio>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_cmd_sequence.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_read_watch.h"

namespace {

// How long a Read waits for the packet answer before the lists decide
// whether the field layout is asked for.
constexpr int kPacketAnswerWaitMs = 1000;

struct PacketTexts {
  DtuTextId name;
  DtuTextId set_succeeded;
  DtuTextId layout_succeeded;
};
const PacketTexts kTexts[kDtuBhuPacketTypes] = {
    {DtuTextId::kBhuLoginPacket, DtuTextId::kBhuLoginSucceeded, DtuTextId::kBhuLoginHexSucceeded},
    {DtuTextId::kBhuHeartbeatPacket, DtuTextId::kBhuHeartbeatSucceeded, DtuTextId::kBhuHeartbeatHexSucceeded},
    {DtuTextId::kBhuDataPacket, DtuTextId::kBhuDataSucceeded, DtuTextId::kBhuDataHexSucceeded},
    {DtuTextId::kBhuHeaderSignature, DtuTextId::kBhuHeaderSucceeded, DtuTextId::kBhuHeaderSucceeded},
};
const PacketTexts &TextsOf(DtuBhuPacketType type) { return kTexts[static_cast<int>(type)]; }

std::vector<std::string> Items(std::initializer_list<DtuTextId> ids) {
  std::vector<std::string> items;
  for (DtuTextId id : ids) items.push_back(DtuLangText(id));
  return items;
}

std::string SetLine(const char *key, const std::string &payload) {
  return std::string("AT+ZEVCFG=set|") + key + "|" + payload + "\r\n";
}

// The message of a failed check, its "%s" naming the field or the content.
std::string FaultMessage(const DtuBhuFault &fault) {
  const char *format = DtuLangText(fault.text);
  char row[64];
  std::snprintf(row, sizeof(row), DtuLangText(DtuTextId::kBhuFieldRow), fault.field);
  const std::string subject = fault.field > 0 ? row : DtuLangText(DtuTextId::kBhuContentName);
  char text[512];
  if (std::strstr(format, "%s")) {
    std::snprintf(text, sizeof(text), format, subject.c_str(), fault.number);
  } else if (std::strstr(format, "%d")) {
    std::snprintf(text, sizeof(text), format, fault.number);
  } else {
    std::snprintf(text, sizeof(text), "%s%s%s", fault.field > 0 ? row : "", fault.field > 0 ? ": " : "", format);
  }
  return text;
}

}  // namespace

void DtuBhuPacketModel::SetDataType(int data_type) {
  format = data_type == kDtuBhuText ? 0 : 1;
  edit_mode = data_type == kDtuBhuHexFields ? 1 : 0;
}

std::vector<DtuBhuField> DtuBhuPacketModel::UsedFields() const {
  const int count = field_count < 1 ? 1 : field_count > kDtuBhuFieldsMax ? kDtuBhuFieldsMax : field_count;
  return std::vector<DtuBhuField>(fields, fields + count);
}

DtuBhu::DtuBhu(QObject *parent) : DtuPage(parent), read_sequence_(new DtuCmdSequence(this)) {
  BuildFields();
  connect(read_sequence_, &DtuCmdSequence::Done, this, &DtuBhu::OnPacketWaitOver);
  DtuAttachPageAnswers({
      {"bhu-login", &DtuPageAnswer<&DtuBhu::BhuLoginSet>},
      {"bhu-heart", &DtuPageAnswer<&DtuBhu::BhuHeartSet>},
      {"bhu-data", &DtuPageAnswer<&DtuBhu::BhuDataSet>},
      {"bhu-header", &DtuPageAnswer<&DtuBhu::BhuHeaderSet>},
      {"bhu-hex-login-cfg", &DtuPageAnswer<&DtuBhu::BhuHexLoginCfgSet>},
      {"bhu-hex-heart-cfg", &DtuPageAnswer<&DtuBhu::BhuHexHeartCfgSet>},
      {"bhu-hex-data-cfg", &DtuPageAnswer<&DtuBhu::BhuHexDataCfgSet>},
  });
}

DtuBhu::~DtuBhu() = default;

void DtuBhu::Select(DtuBhuPacketType type) {
  if (type == selected_) return;
  selected_ = type;
  emit Changed();
}

std::vector<std::string> DtuBhu::GroupNames() const { return {"login", "heart", "data", "header"}; }

std::vector<std::string> DtuBhu::FileSections() const {
  return {selected_ == DtuBhuPacketType::kHeader ? "BHU_HEADER" : "BHU"};
}

bool DtuBhu::SelectGroup(const std::string &name) {
  const std::vector<std::string> names = GroupNames();
  for (int i = 0; i < kDtuBhuPacketTypes; ++i) {
    if (name == names[i]) {
      Select(static_cast<DtuBhuPacketType>(i));
      return true;
    }
  }
  return false;
}

std::vector<std::string> DtuBhu::PacketTypeItems() {
  return Items({DtuTextId::kBhuLoginPacket, DtuTextId::kBhuHeartbeatPacket, DtuTextId::kBhuDataPacket,
                DtuTextId::kBhuHeaderSignature});
}
std::vector<std::string> DtuBhu::SwitchItems() { return Items({DtuTextId::kSwitchOff, DtuTextId::kSwitchOn}); }
std::vector<std::string> DtuBhu::FormatItems() {
  return Items({DtuTextId::kBhuFormatString, DtuTextId::kBhuFormatHex});
}
std::vector<std::string> DtuBhu::EditModeItems() {
  return Items({DtuTextId::kBhuEditText, DtuTextId::kBhuEditVisual});
}
std::vector<std::string> DtuBhu::FieldTypeItems() {
  return Items({DtuTextId::kBhuFieldFixedHex, DtuTextId::kBhuFieldFixedString, DtuTextId::kBhuFieldDeviceParam,
                DtuTextId::kBhuFieldCrc16Be, DtuTextId::kBhuFieldCrc16Le});
}

// ---- Read ----

bool DtuBhu::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  const DtuBhuPacketType type = selected_;
  answered_ = false;
  read_failed_ = false;
  layout_asked_ = false;
  wants_layout_ = Current().Visual() && DtuBhuLayoutKey(type) != nullptr;
  reading_type_ = static_cast<int>(type);
  StartRead();
  // The answer's handler sets answered_; an error answer or none lets the
  // wait run out.
  DtuCmdStep query;
  query.line = DtuPageGetLine(DtuBhuPacketKey(type));
  query.tag = DtuReadWatch::TagQuery(DtuBhuPacketKey(type));
  query.end = DtuStepEnd::kUntil;
  query.until = [this] { return answered_.load(); };
  query.timeout_ms = kPacketAnswerWaitMs;
  query.timeout_fails = false;
  query.error_fails = false;
  read_sequence_->Start({query});
  return true;
}

// Without an answer in time the lists as they are decide whether the field
// layout is asked for. A late answer still ends the Read.
void DtuBhu::OnPacketWaitOver() {
  const int type = reading_type_;
  if (type < 0 || answered_) return;
  if (wants_layout_) return AskLayout(static_cast<DtuBhuPacketType>(type));
  EndRead();  // nothing more comes for this Read: the page is free again
}

void DtuBhu::AskLayout(DtuBhuPacketType type) {
  if (!layout_asked_.exchange(true)) DtuPageQueueGet(DtuBhuLayoutKey(type));
}

void DtuBhu::EndRead() {
  reading_type_ = -1;
  FinishRead();
}

// ---- Set ----

bool DtuBhu::Refuse(const DtuBhuFault &fault) const {
  const std::string message = FaultMessage(fault);
  DTU_LOG("%s refused : %s", DtuBhuPacketKey(selected_), message.c_str());
  DtuWarningBox(message);
  return false;
}

bool DtuBhu::BuildOnLines(std::vector<std::string> &lines) {
  const DtuBhuPacketModel &packet = Current();
  const int data_type = packet.DataType();
  if (data_type == kDtuBhuHexFields && selected_ == DtuBhuPacketType::kLogin) {
    return Refuse({DtuTextId::kBhuLoginNoVisual});
  }
  if (data_type == kDtuBhuHexFields && selected_ == DtuBhuPacketType::kHeader) {
    return Refuse({DtuTextId::kBhuHeaderNoVisual});
  }
  long period = 0;
  if (DtuBhuHasPeriod(selected_)) {
    if (DtuBhuCheck fault = DtuBhuParsePeriod(packet.period, period)) return Refuse(*fault);
  }
  const std::vector<DtuBhuField> fields = packet.UsedFields();
  std::string content, layout;
  if (DtuBhuCheck fault = DtuBhuPrepareContent(selected_, data_type, packet.content, fields, content)) {
    return Refuse(*fault);
  }
  if (data_type == kDtuBhuHexFields) {
    if (DtuBhuCheck fault = DtuBhuBuildLayout(fields, layout)) return Refuse(*fault);
  }
  lines.push_back(SetLine(DtuBhuPacketKey(selected_), DtuBhuBuildPayload(selected_, data_type, period, content)));
  if (!layout.empty()) lines.push_back(SetLine(DtuBhuLayoutKey(selected_), layout));
  for (const std::string &line : lines) {
    if (!DtuBhuLineFitsSlot(line)) return Refuse({DtuTextId::kLineTooLong, kDtuEscapeStopLength});
  }
  return true;
}

bool DtuBhu::QueueSet(const std::vector<std::string> &lines, DtuBhuPacketType type) {
  // Raised only now that every check passed: a refused Set leaves nothing
  // waiting that a later answer could take for its confirmation.
  setting_type_ = static_cast<int>(type);
  // Each line is named by its key: a refused or lost line says which.
  DtuSetLines tagged;
  for (const std::string &line : lines) {
    const size_t key_at = line.find('|') + 1;
    const size_t bar = line.find('|', key_at);
    const std::string key = line.substr(key_at, bar - key_at);
    tagged.Add(key, key, line.substr(bar + 1, line.size() - bar - 3));
  }
  // A packet made of fields is confirmed by its field layout line, the last.
  const bool layout_last = lines.size() > 1;
  DtuPage::QueueSet(tagged, layout_last ? TextsOf(type).layout_succeeded : TextsOf(type).set_succeeded);
  return true;
}

bool DtuBhu::OnBnClickedBtSet() {
  if (DtuCmdPort::OpenInstance() == nullptr) {
    DtuWarningBox(DtuLangText(DtuTextId::kBhuPortNotOpen));
    return false;
  }
  std::vector<std::string> lines;
  if (Current().on == 0) {
    lines.push_back(SetLine(DtuBhuPacketKey(selected_), "0"));
  } else if (!BuildOnLines(lines)) {
    return false;
  }
  return QueueSet(lines, selected_);
}

// ---- Answers ----

void DtuBhu::ConfirmIfSetting(DtuBhuPacketType type, DtuTextId success) {
  int expected = static_cast<int>(type);
  if (!setting_type_.compare_exchange_strong(expected, -1)) return;
  ConfirmSet(success);
}

// An answer that is no packet leaves the packet as it was: a Set after it
// would write what the device never said. The Read it belongs to fails.
void DtuBhu::OnUnreadableAnswer(DtuBhuPacketType type, const char *value) {
  DTU_LOG("%s answer not read : %.64s", DtuBhuPacketKey(type), value);
  if (reading_type_ != static_cast<int>(type)) return;
  read_failed_ = true;
  answered_ = true;
  const std::string shown = std::string(value).substr(0, 64);
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kAnswerNotRead), DtuLangText(TextsOf(type).name),
                shown.c_str());
  DtuWarningBox(text);
  EndRead();
}

void DtuBhu::OnPacketAnswer(DtuBhuPacketType type, const char *value) {
  const DtuBhuAnswer answer = DtuBhuParseAnswer(type, value);
  if (!answer.readable) return OnUnreadableAnswer(type, value);
  DtuBhuPacketModel &packet = packets_[static_cast<int>(type)];
  packet.on = answer.on ? 1 : 0;
  packet.SetDataType(answer.data_type);
  if (DtuBhuHasPeriod(type)) packet.period = std::to_string(answer.period);
  packet.content = answer.content;
  emit Changed();
  if (answer.incomplete) {
    DTU_LOG("%s : content shorter than its length %d", DtuBhuPacketKey(type), answer.length);
    DtuWarningBox(DtuPageFormatText(DtuTextId::kBhuContentIncomplete,
                                    DtuLangText(TextsOf(type).name), answer.length));
  }
  if (reading_type_ == static_cast<int>(type)) {
    answered_ = true;
    if (packet.Visual() && DtuBhuLayoutKey(type) != nullptr) {
      AskLayout(type);
    } else {
      EndRead();
    }
  }
  // A packet made of fields is confirmed by the answer to its field layout.
  if (!(answer.on && answer.data_type == kDtuBhuHexFields)) ConfirmIfSetting(type, TextsOf(type).set_succeeded);
}

void DtuBhu::OnLayoutAnswer(DtuBhuPacketType type, const char *value) {
  const DtuBhuLayout layout = DtuBhuParseLayout(value);
  DtuBhuPacketModel &packet = packets_[static_cast<int>(type)];
  if (layout.count > 0) packet.field_count = layout.count;
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    if (layout.fields[i].type >= 0) packet.fields[i].type = layout.fields[i].type;
    packet.fields[i].value = layout.fields[i].value;
  }
  emit Changed();
  if (reading_type_ == static_cast<int>(type)) EndRead();
  ConfirmIfSetting(type, TextsOf(type).layout_succeeded);
}

void DtuBhu::BhuLoginSet(const char *value, int) {
  OnPacketAnswer(DtuBhuPacketType::kLogin, value);
}
void DtuBhu::BhuHeartSet(const char *value, int) {
  OnPacketAnswer(DtuBhuPacketType::kHeart, value);
}
void DtuBhu::BhuDataSet(const char *value, int) {
  OnPacketAnswer(DtuBhuPacketType::kData, value);
}
void DtuBhu::BhuHeaderSet(const char *value, int) {
  OnPacketAnswer(DtuBhuPacketType::kHeader, value);
}
void DtuBhu::BhuHexLoginCfgSet(const char *value, int) {
  OnLayoutAnswer(DtuBhuPacketType::kLogin, value);
}
void DtuBhu::BhuHexHeartCfgSet(const char *value, int) {
  OnLayoutAnswer(DtuBhuPacketType::kHeart, value);
}
void DtuBhu::BhuHexDataCfgSet(const char *value, int) {
  OnLayoutAnswer(DtuBhuPacketType::kData, value);
}
