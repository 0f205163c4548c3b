#include "pages/settings/dtu_work_mode.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

// A stored channel outside the list reads back as TCP.
std::string StoredMode(const std::string &stored) {
  const int channel = std::atoi(stored.c_str());
  return std::to_string(channel >= 0 && channel < DtuWorkMode::kModeCount ? channel : 1);
}

}  // namespace

DtuWorkMode::DtuWorkMode(QObject *parent) : DtuBoundPage(parent) { AttachFieldAnswers(); }

DtuWorkMode::~DtuWorkMode() = default;

std::vector<std::string> DtuWorkMode::ModeItems() {
  return {DtuLangText(DtuTextId::kWorkModeUnknown), "TCP", "UDP", "MQTT"};
}

bool DtuWorkMode::SetAllowed() {
  if (model_.mode >= 0) return true;
  // Nothing selected (an answer outside the list): there is no code to send.
  DtuWarningBox(DtuLangText(DtuTextId::kConfigFailed));
  return false;
}

void DtuWorkMode::DtuWorkModeChannelSet(const char *value, int) {
  DTU_LOG("channel : %s", value);
  int mode = std::atoi(value);
  OnFieldAnswer(0, std::to_string(mode >= 0 && mode < kModeCount ? mode : -1));
}

const std::vector<DtuFieldBinding<DtuWorkModeModel>> &DtuWorkMode::Bindings() const {
  using M = DtuWorkModeModel;
  using G = DtuConfig::ChannelGroup;
  static const std::vector<DtuFieldBinding<M>> table = {
      {DtuListFieldDef("WorkMode", "mqtt-channel", kModeCount)
           .Listing(&ModeItems)
           .AnsweredBy<&DtuWorkMode::DtuWorkModeChannelSet>()
           .StoredIn(DtuFileGroup<&DtuConfig::channel>::Slot<&G::Channel>())
           .WithCodec({nullptr, nullptr, &StoredMode})
           .ConfirmingSet(),
       nullptr, &M::mode},
  };
  return table;
}
