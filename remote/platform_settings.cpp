// Platform location settings (see platform_settings.h).
#include "remote/platform_settings.h"

#include <cstdlib>
#include <functional>

#include "base/dtu_log.h"
#include "config/dtu_ini.h"
#include "remote/http_client.h"

const char kPlatformSection[] = "platform";

namespace {

bool ParsePort(const std::string &text, int *port) {
  std::string t = DtuIniTrim(text);
  if (t.empty() || t.size() > 5) return false;
  int value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  *port = value;
  return true;
}

bool ParseFlag(const std::string &text, int *flag) {
  std::string t = DtuIniLower(DtuIniTrim(text));
  if (t == "1" || t == "true" || t == "yes" || t == "on") {
    *flag = 1;
  } else if (t == "0" || t == "false" || t == "no" || t == "off") {
    *flag = 0;
  } else {
    return false;
  }
  return true;
}

// Applies one value from `source` (file key or variable name) to the settings.
using Apply = std::function<bool(PlatformSettings &, const std::string &)>;

struct Field {
  const char *key;
  const char *variable;
  Apply apply;
};

const Field kFields[] = {
    {"apiBase", "VARNOK_API_BASE",
     [](PlatformSettings &s, const std::string &v) {
       std::string t = DtuIniTrim(v);
       while (!t.empty() && t.back() == '/') t.pop_back();
       if (t.empty()) return false;
       s.api_base = t;
       return true;
     }},
    {"mqttHost", "VARNOK_MQTT_HOST",
     [](PlatformSettings &s, const std::string &v) {
       std::string t = DtuIniTrim(v);
       if (t.empty()) return false;
       s.mqtt_host = t;
       return true;
     }},
    {"mqttPort", "VARNOK_MQTT_PORT", [](PlatformSettings &s, const std::string &v) { return ParsePort(v, &s.mqtt_port); }},
    {"caFile", "VARNOK_CA_FILE",
     [](PlatformSettings &s, const std::string &v) {
       s.ca_file = DtuIniTrim(v);
       return true;
     }},
    {"tlsVerify", "VARNOK_TLS_VERIFY", [](PlatformSettings &s, const std::string &v) { return ParseFlag(v, &s.tls_verify); }},
};

}  // namespace

PlatformSettings PlatformSettingsDefaults() {
  PlatformSettings s;
  s.api_base = "https://dmp.varnok.com:8002";
  s.mqtt_host = "mqtt.varnok.com";
  s.mqtt_port = 1883;
  s.tls_verify = 1;
  return s;
}

PlatformSettings PlatformSettingsLoad(const std::string &config_path) {
  PlatformSettings settings = PlatformSettingsDefaults();
  DtuIniIndex index;
  bool have_file = !config_path.empty() && index.Load(config_path);
  for (const Field &field : kFields) {
    std::string value;
    if (have_file && index.Find(kPlatformSection, field.key, value) && !field.apply(settings, value)) {
      DTU_LOG("[platform] %s = %s is not valid, ignored.", field.key, value.c_str());
    }
    const char *env = std::getenv(field.variable);
    if (env && !field.apply(settings, env)) {
      DTU_LOG("%s=%s is not valid, ignored.", field.variable, env);
    }
  }
  return settings;
}

void PlatformSettingsApplyTls(const PlatformSettings &settings) {
  http_client_set_tls(settings.ca_file.c_str(), settings.tls_verify);
}
