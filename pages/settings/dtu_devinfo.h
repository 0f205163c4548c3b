// The device information page: identity (version, IMEI, IMSI, ICCID), the
// remote configuration, log level and watchdog settings, reboot and reset.
#pragma once

#include <string>
#include <vector>

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_store.h"

struct DtuDevinfoModel {
  std::string version;
  std::string imei;
  std::string iccid;
  std::string imsi;
  int remote_switch = 0;       // 0 "OFF", 1 "ON"
  std::string remote_server;
  std::string remote_port;     // as the port box shows it
  int log_level = 2;           // 0 DEBUG, 1 WARN, 2 INFO, 3 ERROR
  int watchdog = 1;            // 0 "OFF", 1 "ON"
};

class DtuDevinfo : public DtuBoundPage<DtuDevinfoModel>, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"DEVICE_INFO"}; }
  static constexpr int kSwitchCount = 2;
  static constexpr int kLogLevelCount = 4;
  static const char *const kSwitchItems[kSwitchCount];
  static const char *const kLogLevelItems[kLogLevelCount];

  explicit DtuDevinfo(QObject *parent = nullptr);
  ~DtuDevinfo() override;
  // The page object the answer handlers reach (null before it exists).
  static DtuDevinfo *Instance();

  bool OnBnClickedBtRead();
  bool OnBnClickedBtSet();
  bool OnBnClickedBtReboot();
  bool OnBnClickedBtReset();

  // Answer handlers.
  void DevinfoVersionSet(const char *value, int length);
  void DevinfoImeiSet(const char *value, int length);
  void DevinfoImsiSet(const char *value, int length);
  void DevinfoIccidSet(const char *value, int length);
  void DevinfoRemoteCfgInfoSet(const char *value, int length);
  void DevinfoLogLevelSet(const char *value, int length);
  void DevinfoWatchdogSet(const char *value, int length);

  const char *PageName() const override { return "devinfo"; }
  bool Read() override { return OnBnClickedBtRead(); }
  bool Set() override { return OnBnClickedBtSet(); }

 private:
  void OnInitDialog();
  void SetIdentity(std::string DtuDevinfoModel::*field, const char *value);
  const std::vector<DtuFieldBinding<DtuDevinfoModel>> &Bindings() const override;
  // Last member: Instance() and the answer handlers reach the page until it starts going.
  DtuPageReference<DtuDevinfo> reference_{this};
};
