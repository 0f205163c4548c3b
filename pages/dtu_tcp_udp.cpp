#include "pages/dtu_tcp_udp.h"

#include <strings.h>

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_send.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

namespace {

const char *const kKeyPrefix[2] = {"tcp", "udp"};
const char *const kFieldPrefix[2] = {"Tcp", "Udp"};

std::string Key(DtuTcpUdp::Half half, const char *name) { return std::string(kKeyPrefix[half]) + "-" + name; }

// "TCP Server Address": how the messages name a field of a half.
std::string FieldLabel(DtuTcpUdp::Half half, int text_id) {
  return std::string(half == DtuTcpUdp::kTcp ? "TCP " : "UDP ") + DtuLangText(text_id);
}

const std::vector<DtuFieldBinding<DtuTcpUdpHalfModel>> &HalfBindings() {
  using M = DtuTcpUdpHalfModel;
  static const std::vector<DtuFieldBinding<M>> table = {
      {"Type", nullptr, &M::type, DtuTcpUdp::kTypeCount},
      {"Server", &M::server, nullptr, 0},
      {"Port", &M::port, nullptr, 0},
      {"ProductKey", &M::product_key, nullptr, 0},
      {"ProductSecret", &M::product_secret, nullptr, 0},
  };
  return table;
}

}  // namespace

DtuTcpUdp::DtuTcpUdp(QObject *parent) : DtuPage(parent) {
  DtuAttachPageAnswers({
      {"tcp-type", &DtuPageAnswer<&DtuTcpUdp::DtuTcpTypeSet>},
      {"tcp-productkey", &DtuPageAnswer<&DtuTcpUdp::DtuTcpProductKeySet>},
      {"tcp-productsecret", &DtuPageAnswer<&DtuTcpUdp::DtuTcpProductSecretSet>},
      {"tcp-addr", &DtuPageAnswer<&DtuTcpUdp::DtuTcpAddrSet>},
      {"tcp-port", &DtuPageAnswer<&DtuTcpUdp::DtuTcpPortSet>},
      {"udp-type", &DtuPageAnswer<&DtuTcpUdp::DtuUdpTypeSet>},
      {"udp-productkey", &DtuPageAnswer<&DtuTcpUdp::DtuUdpProductKeySet>},
      {"udp-productsecret", &DtuPageAnswer<&DtuTcpUdp::DtuUdpProductSecretSet>},
      {"udp-addr", &DtuPageAnswer<&DtuTcpUdp::DtuUdpAddrSet>},
      {"udp-port", &DtuPageAnswer<&DtuTcpUdp::DtuUdpPortSet>},
  });
}

DtuTcpUdp::~DtuTcpUdp() = default;

DtuTcpUdp *DtuTcpUdp::Instance() { return DtuPageReference<DtuTcpUdp>::Current(); }

std::vector<std::string> DtuTcpUdp::TypeItems() {
  return {DtuLangText(DtuTextId::kZevModelCloud), DtuLangText(DtuTextId::kCustomPlatform)};
}

void DtuTcpUdp::AddReadLines(Half half, std::vector<DtuPageLine> &lines) {
  static const char *const kKeysAndFields[][2] = {
      {"type", "Type"}, {"productkey", "ProductKey"}, {"productsecret", "ProductSecret"}, {"addr", "Server"}, {"port", "Port"}};
  for (const auto &key_field : kKeysAndFields) {
    lines.push_back(DtuPageGetLine(Key(half, key_field[0]), std::string(kFieldPrefix[half]) + key_field[1]));
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

bool DtuTcpUdp::BuildSetLines(Half half, DtuSetLines &lines) const {
  const DtuTcpUdpHalfModel &m = model_.half[half];
  lines.Add(FieldLabel(half, 104), Key(half, "type"), std::to_string(m.type + 1));
  if (m.type == 0) {
    lines.Add(FieldLabel(half, 106), Key(half, "productkey"), m.product_key);
    lines.Add(FieldLabel(half, 105), Key(half, "productsecret"), m.product_secret);
  }
  lines.Add(FieldLabel(half, 102), Key(half, "addr"), m.server);
  lines.Add(FieldLabel(half, 103), Key(half, "port"), m.port);
  return lines.Fit();
}

// The half's last line is its port: the answer to it confirms the Set.
bool DtuTcpUdp::SetHalf(Half half) {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  if (!BuildSetLines(half, lines)) return false;
  half_set_pending_[half] = true;
  QueueSet(lines);
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
  QueueSet(both);
  return true;
}

bool DtuTcpUdp::ReadPending() const { return half_read_pending_[kTcp] || half_read_pending_[kUdp]; }
bool DtuTcpUdp::SetPending() const { return half_set_pending_[kTcp] || half_set_pending_[kUdp]; }

bool DtuTcpUdp::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  auto &store = config.tcpUdp;
  struct Text {
    Half half;
    int label;
    const std::string &text;
    size_t capacity;
  };
  const DtuTcpUdpHalfModel &tcp = model_.half[kTcp];
  const DtuTcpUdpHalfModel &udp = model_.half[kUdp];
  for (const Text &t : {Text{kTcp, 106, tcp.product_key, store.TcpProductkey.kCapacity},
                        Text{kTcp, 105, tcp.product_secret, store.TcpProductsecret.kCapacity},
                        Text{kTcp, 102, tcp.server, store.TCPServer.kCapacity},
                        Text{kUdp, 106, udp.product_key, store.UdpProductkey.kCapacity},
                        Text{kUdp, 105, udp.product_secret, store.UdpProductsecret.kCapacity},
                        Text{kUdp, 102, udp.server, store.UDPServer.kCapacity}}) {
    if (!DtuPageFitsCapacity(FieldLabel(t.half, t.label).c_str(), t.text, t.capacity)) return false;
  }
  store.TCP_TYPE = tcp.type + 1;
  store.TcpProductkey = tcp.product_key;
  store.TcpProductsecret = tcp.product_secret;
  store.TCPServer = tcp.server;
  store.TCPPort = std::atoi(tcp.port.c_str());
  store.UDP_TYPE = udp.type + 1;
  store.UdpProductkey = udp.product_key;
  store.UdpProductsecret = udp.product_secret;
  store.UDPServer = udp.server;
  store.UDPPort = std::atoi(udp.port.c_str());
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuTcpUdp::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const auto &store = config.tcpUdp;
  auto type_index = [](int code) { return code == 1 || code == 2 ? code - 1 : 0; };
  DtuTcpUdpHalfModel &tcp = model_.half[kTcp];
  DtuTcpUdpHalfModel &udp = model_.half[kUdp];
  tcp.type = type_index(store.TCP_TYPE);
  tcp.product_key = store.TcpProductkey.str();
  tcp.product_secret = store.TcpProductsecret.str();
  tcp.server = store.TCPServer.str();
  tcp.port = std::to_string(store.TCPPort);
  udp.type = type_index(store.UDP_TYPE);
  udp.product_key = store.UdpProductkey.str();
  udp.product_secret = store.UdpProductsecret.str();
  udp.server = store.UDPServer.str();
  udp.port = std::to_string(store.UDPPort);
  emit Changed();
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuTcpUdp::OnType(Half half, const char *value) {
  int type = value[0] == '1' ? 0 : value[0] == '2' ? 1 : -1;
  if (type < 0) return;
  model_.half[half].type = type;
  emit Changed();
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

void DtuTcpUdp::DtuTcpProductKeySet(const char *value, int) {
  OnText(kTcp, &DtuTcpUdpHalfModel::product_key, value);
}

void DtuTcpUdp::DtuUdpProductKeySet(const char *value, int) {
  OnText(kUdp, &DtuTcpUdpHalfModel::product_key, value);
}

void DtuTcpUdp::DtuTcpProductSecretSet(const char *value, int) {
  OnText(kTcp, &DtuTcpUdpHalfModel::product_secret, value);
}

void DtuTcpUdp::DtuUdpProductSecretSet(const char *value, int) {
  OnText(kUdp, &DtuTcpUdpHalfModel::product_secret, value);
}

void DtuTcpUdp::DtuTcpAddrSet(const char *value, int) {
  OnText(kTcp, &DtuTcpUdpHalfModel::server, value);
}

void DtuTcpUdp::DtuUdpAddrSet(const char *value, int) {
  OnText(kUdp, &DtuTcpUdpHalfModel::server, value);
}

void DtuTcpUdp::DtuTcpPortSet(const char *value, int) {
  OnPort(kTcp, value);
}

void DtuTcpUdp::DtuUdpPortSet(const char *value, int) {
  OnPort(kUdp, value);
}

bool DtuTcpUdp::SplitFieldName(const std::string &name, Half &half, std::string &rest) {
  for (Half h : {kTcp, kUdp}) {
    if (name.size() > 3 && strncasecmp(name.c_str(), kFieldPrefix[h], 3) == 0) {
      half = h;
      rest = name.substr(3);
      return true;
    }
  }
  return false;
}

std::vector<DtuPageFieldInfo> DtuTcpUdp::Fields() const {
  std::vector<DtuPageFieldInfo> out;
  for (Half h : {kTcp, kUdp}) {
    for (DtuPageFieldInfo info : DtuBoundFieldInfo(HalfBindings())) {
      info.name = kFieldPrefix[h] + info.name;
      out.push_back(info);
    }
  }
  return out;
}

bool DtuTcpUdp::GetField(const std::string &name, std::string &value) const {
  Half half;
  std::string rest;
  return SplitFieldName(name, half, rest) && DtuGetBoundField(HalfBindings(), model_.half[half], rest, value);
}

bool DtuTcpUdp::SetField(const std::string &name, const std::string &value, std::string &error) {
  Half half;
  std::string rest;
  if (!SplitFieldName(name, half, rest)) {
    error = "unknown field: " + name;
    return false;
  }
  if (!DtuTextValueAllowed(name, value, error)) return false;  // named with its half ("TcpServer")
  if (DtuSetBoundField(HalfBindings(), model_.half[half], rest, value, error)) return true;
  if (error.rfind("unknown field", 0) == 0) error = "unknown field: " + name;
  return false;
}
