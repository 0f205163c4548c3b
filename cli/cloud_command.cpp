// `varnokctl cloud login|devices` (see cloud_command.h).
#include "cli/cloud_command.h"

#include <map>

#include "config/dtu_config.h"
#include "config/dtu_file_io.h"
#include "config/dtu_iot_info.h"
#include "remote/platform_client.h"
#include "remote/platform_settings.h"

const char kCloudUsageText[] =
    "usage: varnokctl cloud login [--user U] [--password P] [--config FILE]\n"
    "       varnokctl cloud devices [--user U] [--password P] [--product-key K] [--product-secret S]"
    " [--config FILE]\n";

namespace {

struct CloudOptions {
  std::string verb;
  std::string config = kDtuConfigFileName;
  std::map<std::string, std::string> account;  // iotInfo key -> value
};

const std::map<std::string, std::string> kOptionKeys = {{"--user", "username"},
                                                         {"--password", "password"},
                                                         {"--product-key", "productKey"},
                                                         {"--product-secret", "productSecret"}};

bool ParseOptions(const std::vector<std::string> &args, CloudOptions &options, std::ostream &err) {
  if (args.empty() || (args[0] != "login" && args[0] != "devices")) {
    err << kCloudUsageText;
    return false;
  }
  options.verb = args[0];
  for (size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) {
      err << "option " << args[i] << " needs a value\n" << kCloudUsageText;
      return false;
    }
    auto key = kOptionKeys.find(args[i]);
    if (args[i] == "--config") {
      options.config = args[i + 1];
    } else if (key != kOptionKeys.end()) {
      options.account[key->second] = args[i + 1];
    } else {
      err << "unknown option " << args[i] << "\n" << kCloudUsageText;
      return false;
    }
  }
  return true;
}

bool Require(const CloudOptions &options, const char *key, const char *option, std::ostream &err) {
  if (options.account.count(key)) return true;
  err << "no " << key << ": give " << option << " or fill [iotInfo] in " << options.config << "\n";
  return false;
}

}  // namespace

bool CloudConfigUsable(const std::string &config, std::string &problem) {
  std::string bytes;
  std::string why;
  if (DtuReadWholeFile(config, bytes, &why) != DtuFileRead::kFailed) return true;
  problem = config + ": " + why;
  return false;
}

void CloudFillAccountFromFile(const std::string &config, std::map<std::string, std::string> &account) {
  DtuIotInfo info;
  if (!iotInfoLoad(config, info)) return;
  const std::pair<const char *, const std::string *> fields[] = {{"username", &info.username},
                                                                 {"password", &info.password},
                                                                 {"productKey", &info.productKey},
                                                                 {"productSecret", &info.productSecret}};
  for (const auto &field : fields) {
    const std::string &value = *field.second;
    bool prompt = value == iotInfoPrompt(field.first, true) || value == iotInfoPrompt(field.first, false);
    if (!account.count(field.first) && !value.empty() && !prompt) account[field.first] = value;
  }
}

int CloudCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
  CloudOptions options;
  if (!ParseOptions(args, options, err)) return kCloudUsage;
  std::string problem;
  if (!CloudConfigUsable(options.config, problem)) {
    err << "cannot read " << problem << "\n";
    return kCloudUsage;
  }
  CloudFillAccountFromFile(options.config, options.account);
  bool devices = options.verb == "devices";
  if (!Require(options, "username", "--user", err) || !Require(options, "password", "--password", err) ||
      (devices && (!Require(options, "productKey", "--product-key", err) ||
                   !Require(options, "productSecret", "--product-secret", err))))
    return kCloudUsage;
  PlatformSettings settings = PlatformSettingsLoad(options.config);
  PlatformSettingsApplyTls(settings);
  PlatformClient client(settings.api_base);
  int result = client.Login(options.account["username"], options.account["password"]);
  if (result != PLATFORM_OK) {
    err << "login to " << settings.api_base << " failed (" << result << "; see log.txt)\n";
    return kCloudFailed;
  }
  if (!devices) {
    out << "access_token=" << client.AccessToken() << "\n";
    return kCloudOk;
  }
  std::vector<std::string> imeis;
  result = client.RefreshDevices(options.account["productKey"], options.account["productSecret"], &imeis);
  client.Logout();
  if (result != PLATFORM_OK) {
    err << "device list failed (" << result << "; see log.txt)\n";
    return kCloudFailed;
  }
  for (const auto &imei : imeis) out << imei << "\n";
  return kCloudOk;
}
