// The Modbus cache proxy page: fields, validation, and the answers of its
// three keys. The step sequences are in dtu_modbus_cache_steps.cpp.
#include "pages/modbus/dtu_modbus_cache.h"

#include <cstdio>
#include <utility>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

const DtuModbusCacheField kFieldOrder[] = {DtuModbusCacheField::kSlave, DtuModbusCacheField::kStart,
                                           DtuModbusCacheField::kQuantity, DtuModbusCacheField::kCycle};

DtuTextId ColumnText(DtuModbusCacheField field) {
  switch (field) {
    case DtuModbusCacheField::kSlave: return DtuTextId::kCacheSlaveAddress;
    case DtuModbusCacheField::kStart: return DtuTextId::kCacheStartAddress;
    case DtuModbusCacheField::kQuantity: return DtuTextId::kCacheCount;
    case DtuModbusCacheField::kCycle: return DtuTextId::kCacheCycle;
  }
  return DtuTextId::kCacheSlaveAddress;
}

template <class... Args>
void Show(DtuTextId text_id, Args... args) {
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), args...);
  DtuMessageBox(text);
}

}  // namespace

DtuModbusCache::DtuModbusCache(QObject *parent) : DtuMadeFieldsPage(parent), sequence_(new DtuCmdSequence(this)) {
  UseSwitches(std::make_shared<DtuModbusSwitches>());
  connect(sequence_, &DtuCmdSequence::StepAnswered, this, [this](int step, const QByteArray &text) {
    if (step == polling_step_) return OnPollingAnswer(text);
    if (std::exchange(accepted_, false)) sequence_->Advance();
  });
  connect(sequence_, &DtuCmdSequence::Done, this, [this] { Finish(); });
  connect(sequence_, &DtuCmdSequence::Failed, this, &DtuModbusCache::OnFailed);
  BuildFields();
  DtuAttachPageAnswers({
      {"modbus-cache-switch", &DtuPageAnswer<&DtuModbusCache::ModbusCacheSwitchSet>},
      {"modbus-cache-channel", &DtuPageAnswer<&DtuModbusCache::ModbusCacheChannelSet>},
      {"modbus-cache-slave-cfg", &DtuPageAnswer<&DtuModbusCache::ModbusCacheSlaveCfgSet>},
  });
}

DtuModbusCache::~DtuModbusCache() {
  switches_->TellCache({});
  delete sequence_;  // stops it: nothing reaches this page any more
}

void DtuModbusCache::UseSwitches(std::shared_ptr<DtuModbusSwitches> switches) {
  if (switches_) switches_->TellCache({});
  switches_ = std::move(switches);
  switches_->TellCache([this] { return stored_switch_ == 1; });
}

std::vector<std::string> DtuModbusCache::FunctionItems() { return {"01", "02", "03", "04"}; }

namespace {

using Model = DtuModbusCacheModel;
using Row = DtuFieldRow<Model>;
using Group = DtuFieldRowGroup<Model>;

// Every field of the page, declared once: the switch and count, then the
// channels' rows. The names are the keys of the file's [MODBUS_CACHE].
const std::vector<DtuFieldRowGroup<Model>> &CacheFieldRows() {
  using T = DtuTextId;
  static const std::vector<DtuFieldRowGroup<Model>> groups = {
      Group::Once({Row::Number(DtuModbusSwitchDef("funcSwitch", T::kModbusFunctionSwitch),
                               [](Model &m, int, int) { return &m.func_switch; }),
                   Row::Number(DtuNumberFieldDef("maxChannel", nullptr)
                                   .Ranging(1, kModbusCacheChannels)
                                   .FallingBackInFileTo(1)
                                   .Labelled(T::kCacheChannelCount),
                               [](Model &m, int, int) { return &m.channel_count; })})
          .StoredIn(DtuModbusCache::kSection),
      Group::PerChannel(
          kModbusCacheChannels,
          {Row::Text(DtuTypedIntFieldDef("slave").Labelled(T::kCacheSlaveAddress), [](Model &m, int c, int) { return &m.rows[c - 1].slave; }),
           Row::Number(DtuNumberFieldDef("Function", nullptr).Ranging(1, 4).Labelled(T::kModbusFunctionCode),
                       [](Model &m, int c, int) { return &m.rows[c - 1].function; }),
           Row::Text(DtuTypedIntFieldDef("Addr").Labelled(T::kCacheStartAddress), [](Model &m, int c, int) { return &m.rows[c - 1].start; }),
           Row::Text(DtuTypedIntFieldDef("Len").Labelled(T::kCacheCount), [](Model &m, int c, int) { return &m.rows[c - 1].quantity; }),
           Row::Text(DtuTypedIntFieldDef("Cycle").Labelled(T::kCacheCycle), [](Model &m, int c, int) { return &m.rows[c - 1].cycle; })})
          .StoredIn(DtuModbusCache::kSection),
  };
  return groups;
}

}  // namespace

void DtuModbusCache::BuildFields() { fields_ = DtuMakeFields(CacheFieldRows(), model_); }

bool DtuModbusCache::SetField(const std::string &name, const std::string &value, std::string &error) {
  if (!DtuMadeFieldsPage::SetField(name, value, error)) return false;
  stored_switch_ = model_.func_switch;
  return true;
}

bool DtuModbusCache::PollingOn() const { return switches_->PollingOn().value_or(false); }

bool DtuModbusCache::ChooseFunctionSwitch(int on) {
  const bool refused = on == 1 && PollingOn();
  if (refused) DtuMessageBox(DtuLangText(DtuTextId::kModbusPollingStillOn));
  model_.func_switch = on == 1 && !refused ? 1 : 0;
  stored_switch_ = model_.func_switch;
  emit Changed();
  return !refused;
}

// ---- Validation: channels in order, fields in the order of the page ----

bool DtuModbusCache::RowValue(int k, DtuModbusCacheField field, long long &value) {
  const DtuModbusCacheRow &row = model_.rows[k - 1];
  const std::string *texts[] = {&row.slave, &row.start, &row.quantity, &row.cycle};
  const std::string text = DtuTypedTrim(*texts[static_cast<int>(field)]);
  const char *column = DtuLangText(ColumnText(field));
  if (!DtuTypedAllDigits(text)) {
    Show(DtuTextId::kCacheFieldEmpty, k, column);
    return false;
  }
  value = DtuTypedNumber(text);
  const DtuModbusCacheRange range = DtuModbusCacheFieldRange(field, row.function);
  if (value < range.low || value > range.high) {
    Show(DtuTextId::kCacheFieldRange, k, column, static_cast<int>(range.low), static_cast<int>(range.high));
    return false;
  }
  return true;
}

bool DtuModbusCache::ValidateRow(int k) {
  long long values[4] = {};
  for (DtuModbusCacheField field : kFieldOrder) {
    if (!RowValue(k, field, values[static_cast<int>(field)])) {
      emit FocusRequested(k, static_cast<int>(field));
      return false;
    }
  }
  const DtuModbusCacheChannel channel = RowChannel(k);
  if (channel.start + channel.quantity - 1 > 65535) {
    Show(DtuTextId::kCacheAddressOverflow, k);
    emit FocusRequested(k, static_cast<int>(DtuModbusCacheField::kStart));
    return false;
  }
  return true;
}

bool DtuModbusCache::Validate() {
  const int count = model_.channel_count;
  for (int k = 1; k <= count; ++k) {
    if (!ValidateRow(k)) return false;
  }
  for (int k = 2; k <= count; ++k) {
    for (int j = 1; j < k; ++j) {
      if (!DtuModbusCacheSameRequest(RowChannel(j), RowChannel(k))) continue;
      Show(DtuTextId::kCacheDuplicateRule, j, k);
      emit FocusRequested(k, static_cast<int>(DtuModbusCacheField::kSlave));
      return false;
    }
  }
  return true;
}

DtuModbusCacheChannel DtuModbusCache::RowChannel(int k) const {
  const DtuModbusCacheRow &row = model_.rows[k - 1];
  return {k, DtuTypedNumber(row.slave), row.function, DtuTypedNumber(row.start), DtuTypedNumber(row.quantity),
          DtuTypedNumber(row.cycle)};
}

// ---- Entry points of the receive path ----

void DtuModbusCache::ModbusCacheSwitchSet(const char *value, int) {
  OnSwitch(value);
}

void DtuModbusCache::ModbusCacheChannelSet(const char *value, int) {
  OnChannelCount(value);
}

void DtuModbusCache::ModbusCacheSlaveCfgSet(const char *value, int) {
  OnSlaveCfg(value);
}
