#include "pages/settings/dtu_data_port.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

template <const auto &Items>
std::vector<std::string> ListOf() {
  return std::vector<std::string>(std::begin(Items), std::end(Items));
}

int Index(const std::string &value) { return std::atoi(value.c_str()); }

// The device and the file take the baud rate and the parity code, not the
// list index.
std::string BaudText(const std::string &index) { return kDtuBaudrateItems[Index(index)]; }
std::string ParityCode(const std::string &index) { return std::to_string(DtuParityCodeFromIndex(Index(index))); }

// A stored value outside the list reads back as its first entry (parity:
// None).
std::string StoredBaudIndex(const std::string &stored) {
  const int index = DtuBaudrateIndexFromNumber(Index(stored));
  return std::to_string(index < 0 ? 0 : index);
}
std::string StoredDatabitIndex(const std::string &stored) {
  const int databit = Index(stored);
  return std::to_string(databit >= 0 && databit < kDtuDatabitsCount ? databit : 0);
}
std::string StoredParityIndex(const std::string &stored) {
  return std::to_string(DtuParityIndexFromCode(Index(stored)));
}

}  // namespace

DtuDataPort::DtuDataPort(QObject *parent) : DtuBoundPage(parent) {
  AttachFieldAnswers();
  DtuDataPortBaudrateCtrlInit();
  DtuDataPortDataBitsCtrlInit();
  DtuDataPortParityCtrlInit();
}

DtuDataPort::~DtuDataPort() = default;

void DtuDataPort::DtuDataPortBaudrateCtrlInit() { DTU_LOG("total : %d", kDtuBaudrateCount); }
void DtuDataPort::DtuDataPortDataBitsCtrlInit() { DTU_LOG("total : %d", kDtuDatabitsCount); }
void DtuDataPort::DtuDataPortParityCtrlInit() { DTU_LOG("total : %d", kDtuParityCount); }

void DtuDataPort::EmptyForRead() {
  model_ = DtuDataPortModel{0, 0, 0};
  emit Changed();
}

void DtuDataPort::DtuDataPortBaudrateSet(const char *value, int) {
  DTU_LOG("baudrate : %s.", value);
  int index = DtuBaudrateIndexFromAnswer(value);
  int compared = index < 0 ? kDtuBaudrateCount : index + 1;
  for (int i = 0; i < compared; ++i) DTU_LOG("BaudRateList[%d] : %s", i, kDtuBaudrateItems[i]);
  if (index < 0) return;
  DTU_LOG("baudrate index : %d.", index);
  OnFieldAnswer(kBaudRate, std::to_string(index));
}

void DtuDataPort::DtuDataPortDatabitSet(const char *value, int) {
  DTU_LOG("databit : %d", std::atoi(value) + 5);
  int index = DtuDatabitIndexFromAnswer(value);
  int compared = index < 0 ? kDtuDatabitsCount : index + 1;
  for (int i = 0; i < compared; ++i) DTU_LOG("DataBitsList[%d] : %s", i, kDtuDatabitsItems[i]);
  if (index < 0) return;
  DTU_LOG("databit index : %d", index);
  OnFieldAnswer(kDataBits, std::to_string(index));
}

void DtuDataPort::DtuDataPortParitySet(const char *value, int) {
  int index = DtuParityIndexFromAnswer(value);
  if (index >= 0) {
    OnFieldAnswer(kParity, std::to_string(index));
  } else {
    OnFieldAnswered(kParity);
  }
}

const std::vector<DtuFieldBinding<DtuDataPortModel>> &DtuDataPort::Bindings() const {
  using M = DtuDataPortModel;
  using G = DtuConfig::UartGroup;
  using F = DtuFileGroup<&DtuConfig::uart>;
  static const std::vector<DtuFieldBinding<M>> table = {
      {DtuListFieldDef("BaudRate", "uart-baudrate", kDtuBaudrateCount)
           .AnsweredBy<&DtuDataPort::DtuDataPortBaudrateSet>()
           .Listing(&ListOf<kDtuBaudrateItems>)
           .StoredIn(F::Slot<&G::Baudrate>())
           .WithCodec({&BaudText, &BaudText, &StoredBaudIndex}),
       nullptr, &M::baud_index},
      {DtuListFieldDef("DataBits", "uart-databit", kDtuDatabitsCount)
           .AnsweredBy<&DtuDataPort::DtuDataPortDatabitSet>()
           .Listing(&ListOf<kDtuDatabitsItems>)
           .StoredIn(F::Slot<&G::Databit>())
           .WithCodec({nullptr, nullptr, &StoredDatabitIndex}),
       nullptr, &M::databits_index},
      {DtuListFieldDef("Parity", "uart-parity", kDtuParityCount)
           .AnsweredBy<&DtuDataPort::DtuDataPortParitySet>()
           .Listing(&ListOf<kDtuParityItems>)
           .StoredIn(F::Slot<&G::Parity>())
           .WithCodec({&ParityCode, &ParityCode, &StoredParityIndex})
           .ConfirmingSet(),
       nullptr, &M::parity_index},
  };
  return table;
}
