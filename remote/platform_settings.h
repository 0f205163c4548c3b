// Where the cloud platform is: the REST API base address, the MQTT broker,
// and how its TLS certificate is checked. Read from the [platform] section of
// the configuration file, then overridden by environment variables, with
// built-in defaults for whatever neither gives:
//
//   key        variable            default
//   apiBase    VARNOK_API_BASE     https://dmp.varnok.com:8002
//   mqttHost   VARNOK_MQTT_HOST    mqtt.varnok.com
//   mqttPort   VARNOK_MQTT_PORT    1883
//   caFile     VARNOK_CA_FILE      (none: the system trust store only)
//   tlsVerify  VARNOK_TLS_VERIFY   1 (0, "false", "no" or "off" turn it off)
#pragma once

#include <string>

struct PlatformSettings {
  std::string api_base;
  std::string mqtt_host;
  int mqtt_port = 0;
  std::string ca_file;
  int tls_verify = 1;
};

extern const char kPlatformSection[];

PlatformSettings PlatformSettingsDefaults();

// Defaults, then the file's [platform] section (a missing file or key keeps
// the default), then the environment. A value that does not read (a port that
// is not 1..65535, a flag that is not a yes or a no) keeps the value before it
// and is logged. A trailing "/" of the API base is dropped.
PlatformSettings PlatformSettingsLoad(const std::string &config_path);

// Hands the TLS part to the HTTP client (process-wide).
void PlatformSettingsApplyTls(const PlatformSettings &settings);
