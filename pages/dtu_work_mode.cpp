#include "pages/dtu_work_mode.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_send.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

DtuWorkMode::DtuWorkMode(QObject *parent) : DtuBoundPage(parent) {
  DtuAttachPageAnswers({
      {"mqtt-channel", &DtuPageAnswer<&DtuWorkMode::DtuWorkModeChannelSet>},
  });
}

DtuWorkMode::~DtuWorkMode() = default;

DtuWorkMode *DtuWorkMode::Instance() { return DtuPageReference<DtuWorkMode>::Current(); }

std::vector<std::string> DtuWorkMode::ModeItems() {
  return {DtuLangText(DtuTextId::kWorkModeUnknown), "TCP", "UDP", "MQTT"};
}

bool DtuWorkMode::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  QueueRead({DtuPageGetLine("mqtt-channel", "WorkMode")});
  return true;
}

bool DtuWorkMode::OnBnClickedBtSet() {
  if (!DtuPagePortOpen()) return false;
  if (model_.mode < 0) {
    // Nothing selected (an answer outside the list): there is no code to send.
    DtuWarningBox(DtuLangText(DtuTextId::kConfigFailed));
    return false;
  }
  DtuSetLines lines;
  lines.Add("WorkMode", "mqtt-channel", std::to_string(model_.mode));
  if (!lines.Fit()) return false;
  QueueSet(lines);
  return true;
}

bool DtuWorkMode::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfigForSave(config)) return false;
  config.channel.Channel = model_.mode;
  return DtuPageSaveConfig(config, DtuTextId::kConfigSucceeded, DtuTextId::kConfigFailed);
}

bool DtuWorkMode::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  int channel = config.channel.Channel;
  model_.mode = channel >= 0 && channel < kModeCount ? channel : 1;
  emit Changed();
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuWorkMode::DtuWorkModeChannelSet(const char *value, int) {
  DTU_LOG("channel : %s", value);
  int mode = std::atoi(value);
  model_.mode = mode >= 0 && mode < kModeCount ? mode : -1;
  emit Changed();
  ConfirmSet(DtuTextId::kConfigSucceeded);
  FinishRead();
}

const std::vector<DtuFieldBinding<DtuWorkModeModel>> &DtuWorkMode::Bindings() const {
  using M = DtuWorkModeModel;
  static const std::vector<DtuFieldBinding<M>> table = {
      {"WorkMode", nullptr, &M::mode, kModeCount},
  };
  return table;
}
