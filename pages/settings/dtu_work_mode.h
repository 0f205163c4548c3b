// The work mode page: the channel over which the device forwards its data
// port (TCP, UDP or MQTT), device key "mqtt-channel".
#pragma once

#include <string>
#include <vector>

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_store.h"

struct DtuWorkModeModel {
  int mode = 0;  // 0 Unknown, 1 TCP, 2 UDP, 3 MQTT; -1 no selection
};

class DtuWorkMode : public DtuBoundPage<DtuWorkModeModel>, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"CHANNEL"}; }
  static constexpr int kModeCount = 4;

  explicit DtuWorkMode(QObject *parent = nullptr);
  ~DtuWorkMode() override;

  // The list in the current language.
  static std::vector<std::string> ModeItems();


  void DtuWorkModeChannelSet(const char *value, int length);

  const char *PageName() const override { return "workmode"; }

 protected:
  bool SetAllowed() override;
  // Save to Local creates a missing file for this page.
  bool SaveCreatesMissingFile() const override { return true; }
  DtuTextId SavedText() const override { return DtuTextId::kConfigSucceeded; }
  DtuTextId NotSavedText() const override { return DtuTextId::kConfigFailed; }

 private:
  const std::vector<DtuFieldBinding<DtuWorkModeModel>> &Bindings() const override;
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuWorkMode> reference_{this};
};
