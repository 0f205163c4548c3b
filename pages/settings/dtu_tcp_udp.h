// The TCP/UDP page: two independent halves, each a platform type, server
// address and port, and (for the maker's cloud) a product key and secret.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_store.h"

struct DtuTcpUdpHalfModel {
  int type = 0;  // 0 the maker's cloud (device code 1), 1 custom platform (2), -1 no platform (0)
  std::string server;
  std::string port;
  std::string product_key;
  std::string product_secret;
};

struct DtuTcpUdpModel {
  DtuTcpUdpHalfModel half[2];  // kTcp, kUdp
};

class DtuTcpUdp : public DtuFieldTablePage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"TCP_UDP"}; }
  enum Half { kTcp = 0, kUdp = 1 };
  static constexpr int kTypeCount = 2;
  static constexpr size_t kHalfFields = 5;  // rows of a half in the field table

  explicit DtuTcpUdp(QObject *parent = nullptr);
  ~DtuTcpUdp() override;

  const DtuTcpUdpModel &Model() const { return model_; }
  // The type list in the current language.
  static std::vector<std::string> TypeItems();
  // Product key and secret (and their labels) are shown for the maker's cloud.
  bool KeyFieldsVisible(Half half) const { return model_.half[half].type == 0; }

  bool OnBnClickedBtTcpRead() { return ReadHalf(kTcp); }
  bool OnBnClickedBtTcpSet() { return SetHalf(kTcp); }
  bool OnBnClickedBtUdpRead() { return ReadHalf(kUdp); }
  bool OnBnClickedBtUdpSet() { return SetHalf(kUdp); }

  void DtuTcpTypeSet(const char *value, int length);
  void DtuTcpProductKeySet(const char *value, int length);
  void DtuTcpProductSecretSet(const char *value, int length);
  void DtuTcpAddrSet(const char *value, int length);
  void DtuTcpPortSet(const char *value, int length);
  void DtuUdpTypeSet(const char *value, int length);
  void DtuUdpProductKeySet(const char *value, int length);
  void DtuUdpProductSecretSet(const char *value, int length);
  void DtuUdpAddrSet(const char *value, int length);
  void DtuUdpPortSet(const char *value, int length);

  const char *PageName() const override { return "tcpudp"; }
  size_t FieldCount() const override;
  const DtuFieldDef &Def(size_t field) const override;
  // Both halves.
  bool Read() override;
  bool Set() override;
  bool ReadPending() const override;
  bool SetPending() const override;

 protected:
  std::string FieldValue(size_t field) const override;
  void PutFieldValue(size_t field, const std::string &value) override;
  bool FieldsFitFile() const override;
  void FieldsReadFromFile(const DtuConfig &config) override;

 private:
  bool ReadHalf(Half half);
  bool SetHalf(Half half);
  void AddReadLines(Half half, std::vector<DtuPageLine> &lines) const;
  void EmptyHalf(Half half);
  void ClearPending() override;
  bool BuildSetLines(Half half, class DtuSetLines &lines) const;
  void OnType(Half half, const char *value);
  void OnText(Half half, std::string DtuTcpUdpHalfModel::*field, const char *value);
  void OnPort(Half half, const char *value);

  DtuTcpUdpModel model_;
  std::atomic<bool> half_set_pending_[2] = {false, false};
  std::atomic<bool> half_read_pending_[2] = {false, false};
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuTcpUdp> reference_{this};
};
