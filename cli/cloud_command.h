// `varnokctl cloud login|devices`: the platform calls without the GUI.
//
//   varnokctl cloud login   [--user U] [--password P] [--config FILE]
//   varnokctl cloud devices [--user U] [--password P] [--product-key K]
//                           [--product-secret S] [--config FILE]
//
// Where the platform is comes from the [platform] settings (README); an
// option that is not given is taken from the [iotInfo] section of the
// configuration file (Zev_DtuConfig.txt unless --config names another), as
// long as it is not still the prompt text. `login` prints the access token,
// `devices` prints one IMEI per line and logs out again.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

// Exit codes of the cloud verbs.
constexpr int kCloudOk = 0;
constexpr int kCloudFailed = 1;  // the platform refused, or a request failed
constexpr int kCloudUsage = 2;   // bad arguments or a missing account field

// `args` are the words after "cloud". Results on `out`, problems on `err`.
int CloudCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

extern const char kCloudUsageText[];

// True when the configuration file can be used: it is missing (nothing to
// take from it) or a readable regular file. Otherwise `problem` says why,
// with the path ("FILE: not a regular file").
bool CloudConfigUsable(const std::string &config, std::string &problem);

// Fills the account fields (iotInfo key -> value) that `account` lacks from
// the [iotInfo] section of `config`; prompt texts count as not filled in.
void CloudFillAccountFromFile(const std::string &config, std::map<std::string, std::string> &account);
