// The network page: automatic APN, or a manual APN with user name and
// password, in the device key "netInfo".
#pragma once

#include <string>
#include <vector>

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_store.h"

struct DtuNetModel {
  int dial_type = 0;  // 0 "Auto APN", 1 "Manual APN"
  std::string apn;
  std::string username;
  std::string password;
};

class DtuNet : public DtuBoundPage<DtuNetModel>, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"netInfo"}; }
  static constexpr int kDialTypeCount = 2;
  static constexpr size_t kApnMax = 32;
  static constexpr size_t kUsernameMax = 64;
  static constexpr size_t kPasswordMax = 64;

  explicit DtuNet(QObject *parent = nullptr);
  ~DtuNet() override;

  // The dial type list in the current language.
  static std::vector<std::string> DialTypeItems();
  // APN, user name and password (and their labels) are shown only for a
  // manual APN.
  bool ManualFieldsVisible() const { return model_.dial_type == 1; }

  bool OnBnClickedBtRead();
  bool OnBnClickedBtSet();

  void DtuNetInfoSet(const char *value, int length);

  const char *PageName() const override { return "net"; }
  bool Read() override { return OnBnClickedBtRead(); }
  bool Set() override { return OnBnClickedBtSet(); }

 protected:
  // The device takes at most 32 bytes of APN and 64 of user name and
  // password; each has its own message.
  bool FieldsFitFile() const override;
  void FieldsReadFromFile(const DtuConfig &config) override;
  // Choosing Manual after an Auto APN starts from empty fields: not the
  // word "auto", not the blanks the device keeps for no user name.
  void PutFieldValue(size_t field, const std::string &value) override;

 private:
  void SelectDialTypeFromApn();
  bool ManualFieldsFit() const;
  const std::vector<DtuFieldBinding<DtuNetModel>> &Bindings() const override;
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuNet> reference_{this};
};
