#include "pages/settings/dtu_tcp_udp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_page_store.h"

namespace {

// A half's rows in the field table.
enum HalfRow : size_t { kType, kServer, kPort, kProductKey, kProductSecret };

// A half's rows in the device's order, with the text that labels each in
// the messages.
struct DeviceOrderRow {
  HalfRow row;
  int label;
};
constexpr DeviceOrderRow kDeviceOrder[] = {
    {kType, 104}, {kProductKey, 106}, {kProductSecret, 105}, {kServer, 102}, {kPort, 103}};

size_t FieldOf(DtuTcpUdp::Half half, HalfRow row) { return half * DtuTcpUdp::kHalfFields + row; }

// "TCP Server Address": how the messages name a field of a half.
std::string FieldLabel(DtuTcpUdp::Half half, int text_id) {
  return std::string(half == DtuTcpUdp::kTcp ? "TCP " : "UDP ") + DtuLangText(text_id);
}

// Type codes: 1 the maker's cloud (index 0), 2 a custom platform (index 1).
// A device may also hold 0, no platform, which no list entry shows: the page
// keeps it as index -1 (no selection), so it is written and stored as 0 and
// a copy of the device holds what the device held. A stored code outside
// 0..2 reads back as the maker's cloud.
constexpr int kNoPlatformIndex = -1;

std::string TypeCode(const std::string &index) { return std::to_string(std::atoi(index.c_str()) + 1); }
std::string StoredTypeIndex(const std::string &stored) {
  const int code = std::atoi(stored.c_str());
  return std::to_string(code >= 0 && code <= 2 ? code - 1 : 0);
}

struct TcpUdpField {
  DtuTcpUdp::Half half;
  DtuFieldBinding<DtuTcpUdpHalfModel> binding;
};

// Read and Set go half by half in the device's order (the page's own); the
// table gives the names, the file and the stored codes.
const std::vector<TcpUdpField> &TcpUdpFields() {
  using M = DtuTcpUdpHalfModel;
  using G = DtuConfig::TcpUdpGroup;
  using F = DtuFileGroup<&DtuConfig::tcpUdp>;
  const DtuFieldCodec type_codec{&TypeCode, &TypeCode, &StoredTypeIndex};
  static const std::vector<TcpUdpField> table = {
      {DtuTcpUdp::kTcp,
       {DtuListFieldDef("TcpType", "tcp-type", DtuTcpUdp::kTypeCount)
            .Labelled(DtuTextId::kConnectionType)
            .Listing(&DtuTcpUdp::TypeItems)
            .AnsweredBy<&DtuTcpUdp::DtuTcpTypeSet>()
            .StoredIn(F::Slot<&G::TCP_TYPE>())
            .WithCodec(type_codec),
        nullptr, &M::type}},
      {DtuTcpUdp::kTcp,
       {DtuTextFieldDef("TcpServer", "tcp-addr")
            .Labelled(DtuTextId::kServerAddress)
            .AnsweredBy<&DtuTcpUdp::DtuTcpAddrSet>()
            .StoredIn(F::Slot<&G::TCPServer>()),
        &M::server, nullptr}},
      {DtuTcpUdp::kTcp,
       {DtuNumberFieldDef("TcpPort", "tcp-port").Ranging(1, 65535)
            .Labelled(DtuTextId::kServerPort)
            .AnsweredBy<&DtuTcpUdp::DtuTcpPortSet>()
            .StoredIn(F::Slot<&G::TCPPort>()),
        &M::port, nullptr}},
      {DtuTcpUdp::kTcp,
       {DtuTextFieldDef("TcpProductKey", "tcp-productkey")
            .Labelled(DtuTextId::kProductName)
            .AnsweredBy<&DtuTcpUdp::DtuTcpProductKeySet>()
            .StoredIn(F::Slot<&G::TcpProductkey>()),
        &M::product_key, nullptr}},
      {DtuTcpUdp::kTcp,
       {DtuTextFieldDef("TcpProductSecret", "tcp-productsecret")
            .Labelled(DtuTextId::kProductSecret)
            .AnsweredBy<&DtuTcpUdp::DtuTcpProductSecretSet>()
            .StoredIn(F::Slot<&G::TcpProductsecret>()),
        &M::product_secret, nullptr}},
      {DtuTcpUdp::kUdp,
       {DtuListFieldDef("UdpType", "udp-type", DtuTcpUdp::kTypeCount)
            .Labelled(DtuTextId::kConnectionType)
            .Listing(&DtuTcpUdp::TypeItems)
            .AnsweredBy<&DtuTcpUdp::DtuUdpTypeSet>()
            .StoredIn(F::Slot<&G::UDP_TYPE>())
            .WithCodec(type_codec),
        nullptr, &M::type}},
      {DtuTcpUdp::kUdp,
       {DtuTextFieldDef("UdpServer", "udp-addr")
            .Labelled(DtuTextId::kServerAddress)
            .AnsweredBy<&DtuTcpUdp::DtuUdpAddrSet>()
            .StoredIn(F::Slot<&G::UDPServer>()),
        &M::server, nullptr}},
      {DtuTcpUdp::kUdp,
       {DtuNumberFieldDef("UdpPort", "udp-port").Ranging(1, 65535)
            .Labelled(DtuTextId::kServerPort)
            .AnsweredBy<&DtuTcpUdp::DtuUdpPortSet>()
            .StoredIn(F::Slot<&G::UDPPort>()),
        &M::port, nullptr}},
      {DtuTcpUdp::kUdp,
       {DtuTextFieldDef("UdpProductKey", "udp-productkey")
            .Labelled(DtuTextId::kProductName)
            .AnsweredBy<&DtuTcpUdp::DtuUdpProductKeySet>()
            .StoredIn(F::Slot<&G::UdpProductkey>()),
        &M::product_key, nullptr}},
      {DtuTcpUdp::kUdp,
       {DtuTextFieldDef("UdpProductSecret", "udp-productsecret")
            .Labelled(DtuTextId::kProductSecret)
            .AnsweredBy<&DtuTcpUdp::DtuUdpProductSecretSet>()
            .StoredIn(F::Slot<&G::UdpProductsecret>()),
        &M::product_secret, nullptr}},
  };
  return table;
}

}  // namespace

DtuTcpUdp::DtuTcpUdp(QObject *parent) : DtuFieldTablePage(parent) { AttachFieldAnswers(); }

DtuTcpUdp::~DtuTcpUdp() = default;

std::vector<std::string> DtuTcpUdp::TypeItems() {
  return {DtuLangText(DtuTextId::kZevModelCloud), DtuLangText(DtuTextId::kCustomPlatform)};
}

void DtuTcpUdp::AddReadLines(Half half, std::vector<DtuPageLine> &lines) const {
  for (const DeviceOrderRow &order : kDeviceOrder) {
    const DtuFieldDef &def = Def(FieldOf(half, order.row));
    lines.push_back(DtuPageGetLine(def.key, def.name));
  }
}

void DtuTcpUdp::EmptyHalf(Half half) {
  DtuTcpUdpHalfModel &m = model_.half[half];
  m.product_key.clear();
  m.product_secret.clear();
  m.server.clear();
  m.port.clear();
  half_read_pending_[half] = true;
}

bool DtuTcpUdp::ReadHalf(Half half) {
  if (!DtuPagePortOpen()) return false;
  std::vector<DtuPageLine> lines;
  AddReadLines(half, lines);
  QueueRead(lines);
  EmptyHalf(half);
  emit Changed();
  return true;
}

bool DtuTcpUdp::Read() {
  if (!DtuPagePortOpen()) return false;
  std::vector<DtuPageLine> lines;
  AddReadLines(kTcp, lines);
  AddReadLines(kUdp, lines);
  QueueRead(lines);
  EmptyHalf(kTcp);
  EmptyHalf(kUdp);
  emit Changed();
  return true;
}

void DtuTcpUdp::ClearPending() {
  DtuPage::ClearPending();
  for (Half half : {kTcp, kUdp}) {
    half_set_pending_[half] = false;
    half_read_pending_[half] = false;
  }
}

// A custom platform has no product key and secret: their lines are left out.
bool DtuTcpUdp::BuildSetLines(Half half, DtuSetLines &lines) const {
  for (const DeviceOrderRow &order : kDeviceOrder) {
    const bool key_row = order.row == kProductKey || order.row == kProductSecret;
    if (key_row && !KeyFieldsVisible(half)) continue;
    const size_t field = FieldOf(half, order.row);
    if (!FieldUsable(field, FieldLabel(half, order.label))) return false;
    lines.Add(FieldLabel(half, order.label), Def(field).key, Def(field).WireValue(FieldValue(field)));
  }
  return lines.Fit();
}

// The half's last line is its port: the answer to it confirms the Set.
bool DtuTcpUdp::SetHalf(Half half) {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  if (!BuildSetLines(half, lines)) return false;
  half_set_pending_[half] = true;
  QueueSet(lines, DtuTextId::kConfigSucceeded);
  return true;
}

bool DtuTcpUdp::Set() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines tcp, udp;
  if (!BuildSetLines(kTcp, tcp) || !BuildSetLines(kUdp, udp)) return false;
  half_set_pending_[kTcp] = true;
  half_set_pending_[kUdp] = true;
  DtuSetLines both = tcp;
  both.Append(udp);
  QueueSet(both, DtuTextId::kConfigSucceeded);
  return true;
}

bool DtuTcpUdp::ReadPending() const { return half_read_pending_[kTcp] || half_read_pending_[kUdp]; }
bool DtuTcpUdp::SetPending() const { return half_set_pending_[kTcp] || half_set_pending_[kUdp]; }

// The messages name a half's field as the view labels it ("TCP Server
// Address"), in the device's order.
bool DtuTcpUdp::FieldsFitFile() const {
  for (Half half : {kTcp, kUdp}) {
    for (const DeviceOrderRow &order : kDeviceOrder) {
      const size_t field = FieldOf(half, order.row);
      const size_t capacity = Def(field).file.capacity;
      if (capacity > 0 && !DtuPageFitsCapacity(FieldLabel(half, order.label).c_str(), FieldValue(field), capacity)) {
        return false;
      }
    }
  }
  return true;
}

void DtuTcpUdp::OnType(Half half, const char *value) {
  int type;
  if (value[0] == '1') {
    type = 0;
  } else if (value[0] == '2') {
    type = 1;
  } else if (std::strcmp(value, "0") == 0) {
    type = kNoPlatformIndex;
  } else {
    return;  // anything else changes nothing
  }
  model_.half[half].type = type;
  emit Changed();
}

// A file without a type (the template's empty TCP_TYPE=) gives the first
// entry; only a 0 the file holds is the device's "no platform".
void DtuTcpUdp::FieldsReadFromFile(const DtuConfig &config) {
  const std::vector<std::string> &missing = config.FileNotes().Of("TCP_UDP").missing;
  for (Half half : {kTcp, kUdp}) {
    const char *key = half == kTcp ? "TCP_TYPE" : "UDP_TYPE";
    if (std::find(missing.begin(), missing.end(), key) != missing.end()) model_.half[half].type = 0;
  }
}

void DtuTcpUdp::OnText(Half half, std::string DtuTcpUdpHalfModel::*field, const char *value) {
  model_.half[half].*field = value;
  emit Changed();
}

void DtuTcpUdp::OnPort(Half half, const char *value) {
  // An empty answer leaves the port empty, as the device holds it.
  model_.half[half].port = *value ? std::to_string(std::atoi(value)) : std::string();
  emit Changed();
  if (half_set_pending_[half].exchange(false)) {
    // One success for the page: told now, or once every line of the Set is in.
    set_pending_.store(true);
    ConfirmSet(DtuTextId::kConfigSucceeded);
  }
  if (half_read_pending_[half].exchange(false) && !ReadPending()) emit ReadFinished();
}

void DtuTcpUdp::DtuTcpTypeSet(const char *value, int) {
  DTU_LOG("type : %s", value);
  OnType(kTcp, value);
}

void DtuTcpUdp::DtuUdpTypeSet(const char *value, int) {
  DTU_LOG("udp type : %s", value);
  OnType(kUdp, value);
}

void DtuTcpUdp::DtuTcpProductKeySet(const char *value, int) { OnText(kTcp, &DtuTcpUdpHalfModel::product_key, value); }

void DtuTcpUdp::DtuUdpProductKeySet(const char *value, int) { OnText(kUdp, &DtuTcpUdpHalfModel::product_key, value); }

void DtuTcpUdp::DtuTcpProductSecretSet(const char *value, int) {
  OnText(kTcp, &DtuTcpUdpHalfModel::product_secret, value);
}

void DtuTcpUdp::DtuUdpProductSecretSet(const char *value, int) {
  OnText(kUdp, &DtuTcpUdpHalfModel::product_secret, value);
}

void DtuTcpUdp::DtuTcpAddrSet(const char *value, int) { OnText(kTcp, &DtuTcpUdpHalfModel::server, value); }

void DtuTcpUdp::DtuUdpAddrSet(const char *value, int) { OnText(kUdp, &DtuTcpUdpHalfModel::server, value); }

void DtuTcpUdp::DtuTcpPortSet(const char *value, int) { OnPort(kTcp, value); }

void DtuTcpUdp::DtuUdpPortSet(const char *value, int) { OnPort(kUdp, value); }

size_t DtuTcpUdp::FieldCount() const { return TcpUdpFields().size(); }
const DtuFieldDef &DtuTcpUdp::Def(size_t field) const { return TcpUdpFields()[field].binding.def; }

std::string DtuTcpUdp::FieldValue(size_t field) const {
  const TcpUdpField &f = TcpUdpFields()[field];
  return f.binding.Get(model_.half[f.half]);
}

void DtuTcpUdp::PutFieldValue(size_t field, const std::string &value) {
  const TcpUdpField &f = TcpUdpFields()[field];
  f.binding.Put(model_.half[f.half], value);
}
