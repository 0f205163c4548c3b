#include "pages/dtu_data_port.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_send.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

DtuDataPort::DtuDataPort(QObject *parent) : DtuBoundPage(parent) {
  DtuAttachPageAnswers({
      {"uart-baudrate", &DtuPageAnswer<&DtuDataPort::DtuDataPortBaudrateSet>},
      {"uart-databit", &DtuPageAnswer<&DtuDataPort::DtuDataPortDatabitSet>},
      {"uart-parity", &DtuPageAnswer<&DtuDataPort::DtuDataPortParitySet>},
  });
  DtuDataPortBaudrateCtrlInit();
  DtuDataPortDataBitsCtrlInit();
  DtuDataPortParityCtrlInit();
}

DtuDataPort::~DtuDataPort() = default;

DtuDataPort *DtuDataPort::Instance() { return DtuPageReference<DtuDataPort>::Current(); }

void DtuDataPort::DtuDataPortBaudrateCtrlInit() { DTU_LOG("total : %d", kDtuBaudrateCount); }
void DtuDataPort::DtuDataPortDataBitsCtrlInit() { DTU_LOG("total : %d", kDtuDatabitsCount); }
void DtuDataPort::DtuDataPortParityCtrlInit() { DTU_LOG("total : %d", kDtuParityCount); }

bool DtuDataPort::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  QueueRead({DtuPageGetLine("uart-baudrate", "BaudRate"), DtuPageGetLine("uart-databit", "DataBits"),
             DtuPageGetLine("uart-parity", "Parity")});
  model_ = DtuDataPortModel{0, 0, 0};
  emit Changed();
  return true;
}

bool DtuDataPort::OnBnClickedBtSet() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  lines.Add("BaudRate", "uart-baudrate", kDtuBaudrateItems[model_.baud_index]);
  lines.Add("DataBits", "uart-databit", std::to_string(model_.databits_index));
  lines.Add("Parity", "uart-parity", std::to_string(DtuParityCodeFromIndex(model_.parity_index)));
  if (!lines.Fit()) return false;
  QueueSet(lines);
  return true;
}

bool DtuDataPort::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  config.uart.Baudrate = std::atoi(kDtuBaudrateItems[model_.baud_index]);
  config.uart.Databit = model_.databits_index;
  config.uart.Parity = DtuParityCodeFromIndex(model_.parity_index);
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuDataPort::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  int baud = DtuBaudrateIndexFromNumber(config.uart.Baudrate);
  model_.baud_index = baud < 0 ? 0 : baud;
  int databit = config.uart.Databit;
  model_.databits_index = databit >= 0 && databit < kDtuDatabitsCount ? databit : 0;
  model_.parity_index = DtuParityIndexFromCode(config.uart.Parity);
  emit Changed();
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuDataPort::DtuDataPortBaudrateSet(const char *value, int) {
  DTU_LOG("baudrate : %s.", value);
  int index = DtuBaudrateIndexFromAnswer(value);
  int compared = index < 0 ? kDtuBaudrateCount : index + 1;
  for (int i = 0; i < compared; ++i) DTU_LOG("BaudRateList[%d] : %s", i, kDtuBaudrateItems[i]);
  if (index < 0) return;
  DTU_LOG("baudrate index : %d.", index);
  model_.baud_index = index;
  emit Changed();
}

void DtuDataPort::DtuDataPortDatabitSet(const char *value, int) {
  DTU_LOG("databit : %d", std::atoi(value) + 5);
  int index = DtuDatabitIndexFromAnswer(value);
  int compared = index < 0 ? kDtuDatabitsCount : index + 1;
  for (int i = 0; i < compared; ++i) DTU_LOG("DataBitsList[%d] : %s", i, kDtuDatabitsItems[i]);
  if (index < 0) return;
  DTU_LOG("databit index : %d", index);
  model_.databits_index = index;
  emit Changed();
}

void DtuDataPort::DtuDataPortParitySet(const char *value, int) {
  int index = DtuParityIndexFromAnswer(value);
  if (index >= 0) {
    model_.parity_index = index;
    emit Changed();
  }
  ConfirmSet(DtuTextId::kConfigSucceeded);
  FinishRead();
}

const std::vector<DtuFieldBinding<DtuDataPortModel>> &DtuDataPort::Bindings() const {
  using M = DtuDataPortModel;
  static const std::vector<DtuFieldBinding<M>> table = {
      {"BaudRate", nullptr, &M::baud_index, kDtuBaudrateCount},
      {"DataBits", nullptr, &M::databits_index, kDtuDatabitsCount},
      {"Parity", nullptr, &M::parity_index, kDtuParityCount},
  };
  return table;
}
