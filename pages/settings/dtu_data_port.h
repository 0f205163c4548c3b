// The data port page: baud rate, data bits and parity of the device's data
// port (the serial bus whose traffic the device forwards).
#pragma once

#include <string>
#include <vector>

#include "pages/settings/dtu_data_port_codes.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_store.h"

struct DtuDataPortModel {
  int baud_index = 3;      // "9600"
  int databits_index = 3;  // "8"
  int parity_index = 0;    // "None"
};

class DtuDataPort : public DtuBoundPage<DtuDataPortModel>, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"UART"}; }
  explicit DtuDataPort(QObject *parent = nullptr);
  ~DtuDataPort() override;

  enum Field { kBaudRate, kDataBits, kParity };


  void DtuDataPortBaudrateSet(const char *value, int length);
  void DtuDataPortDatabitSet(const char *value, int length);
  void DtuDataPortParitySet(const char *value, int length);

  const char *PageName() const override { return "dataport"; }

 protected:
  void EmptyForRead() override;

 private:
  void DtuDataPortBaudrateCtrlInit();
  void DtuDataPortDataBitsCtrlInit();
  void DtuDataPortParityCtrlInit();
  const std::vector<DtuFieldBinding<DtuDataPortModel>> &Bindings() const override;
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuDataPort> reference_{this};
};
