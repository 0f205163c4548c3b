// REST side of the platform simulator (see platform_rest_server.h).
#include "sim/platform_rest_server.h"

#include <cjson/cJSON.h>
#include <cstdlib>
#include <memory>
#include <openssl/rand.h>

#include "remote/platform_answers.h"
#include "remote/platform_client.h"

namespace {

constexpr int kDefaultPageSize = 10;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecode(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

std::map<std::string, std::string> ParseQuery(const std::string &query) {
  std::map<std::string, std::string> out;
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    std::string pair = query.substr(start, end - start);
    size_t eq = pair.find('=');
    if (!pair.empty()) {
      out[PercentDecode(pair.substr(0, eq))] = eq == std::string::npos ? "" : PercentDecode(pair.substr(eq + 1));
    }
    start = end + 1;
  }
  return out;
}

std::string HeaderValue(const std::string &head, const std::string &lower_name) {
  size_t pos = 0;
  while ((pos = head.find("\r\n", pos)) != std::string::npos) {
    pos += 2;
    size_t colon = head.find(':', pos);
    size_t eol = head.find("\r\n", pos);
    if (colon == std::string::npos || eol == std::string::npos || colon > eol) continue;
    std::string name = head.substr(pos, colon - pos);
    for (auto &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == lower_name) {
      size_t v = head.find_first_not_of(" \t", colon + 1);
      return v < eol ? head.substr(v, eol - v) : "";
    }
  }
  return "";
}

std::string Json(cJSON *root) {
  char *text = cJSON_PrintUnformatted(root);
  std::string out = text ? text : "{}";
  cJSON_free(text);
  cJSON_Delete(root);
  return out;
}

std::string Message(int code, const char *msg) {
  cJSON *root = cJSON_CreateObject();
  cJSON_AddNumberToObject(root, "code", code);
  cJSON_AddStringToObject(root, "msg", msg);
  return Json(root);
}

std::string NewToken() {
  unsigned char bytes[24];
  RAND_bytes(bytes, sizeof(bytes));
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

const char *Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    default: return "Bad Request";
  }
}

PlatformFault FaultByName(const std::string &name) {
  if (name == "slow") return PlatformFault::kSlow;
  if (name == "truncate") return PlatformFault::kTruncate;
  if (name == "redirect") return PlatformFault::kRedirectLoop;
  if (name == "huge") return PlatformFault::kHugeLength;
  return PlatformFault::kNone;
}

}  // namespace

const char *PlatformDemoIotInfoSection() {
  return "\r\n[iotInfo]\r\nusername = engineer\r\npassword = varnok-demo\r\nproductKey = pk-demo\r\n"
         "productSecret = ps-demo\r\n";
}

PlatformRestConfig PlatformDemoConfig() {
  PlatformRestConfig config;
  config.accounts.push_back({"engineer", "varnok-demo"});
  config.products.push_back({"pk-demo", "ps-demo",
                             {{"860000000000001", "pump-house"},
                              {"860000000000002", "tank-level"},
                              {"860000000000003", "meter-room"}}});
  return config;
}

bool PlatformRestServer::Start(const PlatformRestConfig &config, std::string &error_text, int port,
                               const PlatformTlsServer::Options &options) {
  config_ = config;
  return server_.Start(options, [this](PlatformConnection &c) { Handle(c); }, error_text, port);
}

void PlatformRestServer::SetFault(PlatformFault fault, int delay_ms) {
  std::lock_guard<std::mutex> lock(lock_);
  fault_ = fault;
  delay_ms_ = delay_ms;
}

std::vector<std::string> PlatformRestServer::Requests() const {
  std::lock_guard<std::mutex> lock(lock_);
  return requests_;
}

size_t PlatformRestServer::OpenTokens() const {
  std::lock_guard<std::mutex> lock(lock_);
  return tokens_.size();
}

void PlatformRestServer::Handle(PlatformConnection &connection) {
  std::string head;
  if (!connection.ReadRequestHead(head)) return;
  size_t sp1 = head.find(' ');
  size_t sp2 = head.find(' ', sp1 + 1);
  if (sp1 == std::string::npos || sp2 == std::string::npos) return;
  std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
  Request request;
  size_t q = target.find('?');
  request.path = target.substr(0, q);
  if (q != std::string::npos) request.query = ParseQuery(target.substr(q + 1));
  request.authorization = HeaderValue(head, "authorization");
  PlatformFault fault;
  int delay_ms;
  {
    std::lock_guard<std::mutex> lock(lock_);
    requests_.push_back(head);
    fault = fault_;
    delay_ms = delay_ms_;
  }
  auto named = request.query.find("simFault");
  if (named != request.query.end()) fault = FaultByName(named->second);
  auto delay = request.query.find("simDelayMs");
  if (delay != request.query.end()) delay_ms = std::atoi(delay->second.c_str());
  Send(connection, target, Answer(request), fault, delay_ms);
}

void PlatformRestServer::Send(PlatformConnection &connection, const std::string &target, const Reply &reply,
                              PlatformFault fault, int delay_ms) {
  if (fault == PlatformFault::kSlow && !connection.Sleep(delay_ms)) return;
  int status = fault == PlatformFault::kRedirectLoop ? 302 : reply.status;
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
  head += "Content-Type: application/json;charset=UTF-8\r\nConnection: close\r\n";
  if (fault == PlatformFault::kRedirectLoop) head += "Location: " + ApiBase() + target + "\r\n";
  std::string length = fault == PlatformFault::kHugeLength ? "1000000000000" : std::to_string(reply.body.size());
  head += "Content-Length: " + length + "\r\n\r\n";
  std::string body = reply.body;
  if (fault == PlatformFault::kTruncate) body.resize(body.size() / 2);
  connection.Write(head + body);
}

PlatformRestServer::Reply PlatformRestServer::Answer(const Request &request) {
  if (request.path == kPlatformLoginPath) return Login(request);
  if (request.path == kPlatformLogoutPath) return Logout(request);
  if (request.path == kPlatformDevNumberPath) return DeviceCount(request);
  if (request.path == kPlatformDevListPath) return DeviceList(request);
  return {404, Message(404, "no such path")};
}

PlatformRestServer::Reply PlatformRestServer::Login(const Request &request) {
  auto user = request.query.find("username");
  auto digest = request.query.find("password");
  for (const auto &account : config_.accounts) {
    if (user != request.query.end() && digest != request.query.end() && account.username == user->second &&
        Md5Hex(account.password) == digest->second) {
      std::string token = NewToken();
      {
        std::lock_guard<std::mutex> lock(lock_);
        tokens_.insert(token);
      }
      cJSON *root = cJSON_CreateObject();
      cJSON_AddNumberToObject(root, "code", 200);
      cJSON_AddStringToObject(root, "msg", "success");
      cJSON_AddStringToObject(root, "access_token", token.c_str());
      cJSON_AddStringToObject(root, "token_type", "Bearer");
      cJSON_AddNumberToObject(root, "expires_in", 7200);
      return {200, Json(root)};
    }
  }
  return {401, Message(401, "wrong user name or password")};
}

bool PlatformRestServer::Authorised(const Request &request) const {
  const std::string prefix = "Bearer ";
  if (request.authorization.compare(0, prefix.size(), prefix) != 0) return false;
  std::lock_guard<std::mutex> lock(lock_);
  return tokens_.count(request.authorization.substr(prefix.size())) != 0;
}

PlatformRestServer::Reply PlatformRestServer::Logout(const Request &request) {
  if (!Authorised(request)) return {401, Message(401, "not logged in")};
  std::lock_guard<std::mutex> lock(lock_);
  tokens_.erase(request.authorization.substr(7));
  return {200, Message(200, "success")};
}

const PlatformSimProduct *PlatformRestServer::FindProduct(const Request &request) const {
  auto key = request.query.find("productKey");
  auto secret = request.query.find("productSecret");
  if (key == request.query.end() || secret == request.query.end()) return nullptr;
  for (const auto &product : config_.products) {
    if (product.key == key->second && product.secret == secret->second) return &product;
  }
  return nullptr;
}

PlatformRestServer::Reply PlatformRestServer::DeviceCount(const Request &request) {
  if (!Authorised(request)) return {401, Message(401, "not logged in")};
  const PlatformSimProduct *product = FindProduct(request);
  if (!product) return {404, Message(404, "no such product")};
  cJSON *root = cJSON_CreateObject();
  cJSON_AddNumberToObject(root, "code", 200);
  cJSON_AddStringToObject(root, "msg", "success");
  cJSON *data = cJSON_AddObjectToObject(root, "data");
  cJSON_AddNumberToObject(data, "total", static_cast<double>(product->devices.size()));
  return {200, Json(root)};
}

PlatformRestServer::Reply PlatformRestServer::DeviceList(const Request &request) {
  if (!Authorised(request)) return {401, Message(401, "not logged in")};
  const PlatformSimProduct *product = FindProduct(request);
  if (!product) return {404, Message(404, "no such product")};
  auto value = [&](const char *name, int fallback) {
    auto it = request.query.find(name);
    int v = it == request.query.end() ? fallback : std::atoi(it->second.c_str());
    return v >= 1 ? v : fallback;
  };
  size_t page_num = static_cast<size_t>(value("pageNum", 1));
  size_t page_size = static_cast<size_t>(value("pageSize", kDefaultPageSize));
  cJSON *root = cJSON_CreateObject();
  cJSON_AddNumberToObject(root, "code", 200);
  cJSON_AddStringToObject(root, "msg", "success");
  cJSON_AddNumberToObject(root, "total", static_cast<double>(product->devices.size()));
  cJSON *rows = cJSON_AddArrayToObject(root, "rows");
  for (size_t i = (page_num - 1) * page_size; i < product->devices.size() && i < page_num * page_size; ++i) {
    cJSON *row = cJSON_CreateObject();
    // A device not provisioned yet has no IMEI: its row carries none.
    if (!product->devices[i].imei.empty()) cJSON_AddStringToObject(row, "imei", product->devices[i].imei.c_str());
    cJSON_AddStringToObject(row, "deviceName", product->devices[i].name.c_str());
    cJSON_AddStringToObject(row, "productKey", product->key.c_str());
    cJSON_AddItemToArray(rows, row);
  }
  return {200, Json(root)};
}
