// The business packet page: the login, heartbeat, data and header packets
// the device sends to its platform on its own. One packet type is worked on
// at a time; each keeps its own switch, format, period, content and fields.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "pages/bhu/dtu_bhu_packet.h"
#include "pages/kit/dtu_field_rows.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"

struct DtuBhuPacketModel {
  int on = 0;         // function switch list: 0 OFF, 1 ON
  int format = 0;     // 0 String, 1 HEX
  int edit_mode = 0;  // 0 Text Input, 1 Visual Plugin Input (HEX only)
  std::string period;  // seconds, heartbeat and data only
  std::string content;
  int field_count = 1;  // 1..10 rows of the field editor
  DtuBhuField fields[kDtuBhuFieldsMax];

  bool Visual() const { return format == 1 && edit_mode == 1; }
  // The data type digit the packet is sent with.
  int DataType() const { return format == 0 ? kDtuBhuText : Visual() ? kDtuBhuHexFields : kDtuBhuHexText; }
  void SetDataType(int data_type);
  std::vector<DtuBhuField> UsedFields() const;
};

class DtuCmdSequence;

class DtuBhu : public DtuPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  // The header signature keeps its own section, which files written before
  // it was kept do not have: the other packets are still in such a file.
  std::vector<std::string> FileSections() const override;
  explicit DtuBhu(QObject *parent = nullptr);
  ~DtuBhu() override;

  // The packet type Read, Set and the local file act on.
  DtuBhuPacketType Selected() const { return selected_; }
  void Select(DtuBhuPacketType type);
  // "login", "heart", "data" and "header" (varnokctl's --packet).
  std::vector<std::string> GroupNames() const override;
  bool SelectGroup(const std::string &name) override;
  const DtuBhuPacketModel &Packet(DtuBhuPacketType type) const { return packets_[static_cast<int>(type)]; }
  // The selected packet, for the view to edit as the user types.
  DtuBhuPacketModel &Edit() { return packets_[static_cast<int>(selected_)]; }
  const DtuBhuPacketModel &Current() const { return Packet(selected_); }

  // Lists in the current language.
  static std::vector<std::string> PacketTypeItems();
  static std::vector<std::string> SwitchItems();
  static std::vector<std::string> FormatItems();
  static std::vector<std::string> EditModeItems();
  static std::vector<std::string> FieldTypeItems();

  bool OnBnClickedBtRead();
  bool OnBnClickedBtSet();
  bool OnBnClickedBtSaveLocal();
  bool OnBnClickedBtReadLocal();

  void BhuLoginSet(const char *value, int length);
  void BhuHeartSet(const char *value, int length);
  void BhuDataSet(const char *value, int length);
  void BhuHeaderSet(const char *value, int length);
  void BhuHexLoginCfgSet(const char *value, int length);
  void BhuHexHeartCfgSet(const char *value, int length);
  void BhuHexDataCfgSet(const char *value, int length);

  const char *PageName() const override { return "bhu"; }
  // The selected packet's fields, named as its keys in the [BHU] section
  // ("funcSwitch_login", "itemType3_heartBeat", ...; "..._header" for the
  // header signature, which has no place in the file).
  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  bool Read() override { return OnBnClickedBtRead(); }
  // The last Read got an answer it could not read.
  bool Failed() const override { return read_failed_; }
  bool Set() override { return OnBnClickedBtSet(); }

 private:
  void OnPacketAnswer(DtuBhuPacketType type, const char *value);
  void OnUnreadableAnswer(DtuBhuPacketType type, const char *value);
  void OnLayoutAnswer(DtuBhuPacketType type, const char *value);
  void ConfirmIfSetting(DtuBhuPacketType type, DtuTextId success);
  // When the wait for the packet answer is over (answered or not).
  void OnPacketWaitOver();
  void EndRead();
  // Queues the field layout query of the Read once, whoever asks first.
  void AskLayout(DtuBhuPacketType type);
  bool QueueSet(const std::vector<std::string> &lines, DtuBhuPacketType type);
  bool BuildOnLines(std::vector<std::string> &lines);
  bool Refuse(const DtuBhuFault &fault) const;
  bool SavePacket(class DtuConfig &config) const;
  void LoadPacket(const DtuConfig &config);

  // Each packet's fields by name, over its model (pages/bhu/dtu_bhu_fields.cpp).
  void BuildFields();

  DtuBhuPacketType selected_ = DtuBhuPacketType::kLogin;
  DtuBhuPacketModel packets_[kDtuBhuPacketTypes];
  DtuMadeFields fields_[kDtuBhuPacketTypes];

  // The read sequence queues the packet query and waits for its answer; the
  // answer asks for the field layout when the packet is made of fields, and
  // without an answer in time the page does when the lists say so. A child
  // of the page: it stops when the page goes; a new Read replaces it.
  DtuCmdSequence *read_sequence_;
  std::atomic<int> reading_type_{-1};
  std::atomic<bool> answered_{false};
  std::atomic<bool> read_failed_{false};
  std::atomic<bool> wants_layout_{false};
  std::atomic<bool> layout_asked_{false};
  // The packet whose Set waits for its confirming answer (-1: none).
  std::atomic<int> setting_type_{-1};
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuBhu> reference_{this};
};
