// The file round trip over random device states: each state gives every
// field of the settings pages a random value the page declares valid (a list
// index, a number in its range, a text within its limit), saved to a file by
// the pages' own Save to Local. That file is applied to a blank dtu-sim, the
// device backed up, the backup applied to a second blank device and backed up
// again: the two backups are the same file and the two devices hold the same
// settings key by key. The states run side by side (the wire's pause after
// every line, not the work, is what takes the time).
#include <gtest/gtest.h>

#include <QProcess>

#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "config/dtu_config_template.h"
#include "pages/dtu_page_runner.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"
#include "sim/dtu_sim_defaults.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr unsigned kSeed = 20261209;
constexpr int kStates = 24;
const char kPages[] = "devinfo,net,workmode,tcpudp,mqtt,aliyun,onenet,dataport";

std::string RandomText(std::mt19937 &random, size_t limit) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789.-_/";
  const size_t length = std::uniform_int_distribution<size_t>(1, std::min<size_t>(limit ? limit : 24, 24))(random);
  std::string text;
  for (size_t i = 0; i < length; ++i) text += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
  return text;
}

std::string RandomValue(std::mt19937 &random, const DtuPageFieldInfo &info) {
  if (info.is_list) return std::to_string(std::uniform_int_distribution<int>(0, info.list_size - 1)(random));
  if (info.is_number && info.Ranged()) {
    return std::to_string(std::uniform_int_distribution<long long>(info.min_value, info.max_value)(random));
  }
  if (info.is_number) return std::to_string(random() % 1000);
  return RandomText(random, info.text_limit);
}

// One random state of the settings pages, saved by the pages into `file`,
// a copy of the template (as the window's first Save to Local makes it).
void SaveRandomState(std::mt19937 &random, const std::string &file) {
  std::ofstream(file, std::ios::binary) << DtuConfigTemplateText();
  DtuPageSetConfigPath(file);
  std::string names = kPages;
  for (size_t start = 0, end; start < names.size(); start = end + 1) {
    end = names.find(',', start);
    if (end == std::string::npos) end = names.size();
    std::unique_ptr<DtuPage> page = DtuCreatePage(names.substr(start, end - start));
    ASSERT_TRUE(page) << names.substr(start, end - start);
    for (const DtuPageFieldInfo &info : page->Fields()) {
      std::string error;
      page->SetField(info.name, RandomValue(random, info), error);  // read-only fields refuse
    }
    ASSERT_TRUE(page->OnBnClickedBtSaveLocal()) << page->PageName();
  }
}

// One varnokctl per state, all running at once; each must exit 0.
void RunAll(const std::vector<QStringList> &runs) {
  std::vector<std::unique_ptr<QProcess>> processes;
  for (const QStringList &args : runs) {
    processes.push_back(std::make_unique<QProcess>());
    processes.back()->start(VARNOKCTL_PATH, args);
  }
  for (size_t i = 0; i < processes.size(); ++i) {
    const VarnokctlResult r = FinishVarnokctl(*processes[i], 180000);
    EXPECT_EQ(r.exit_code, 0) << runs[i].join(' ').toStdString() << "\n" << r.out << r.err;
  }
}

TEST(RoundTripProperty, RandomSettingsSurviveApplyBackupApplyBackup) {
  TempDir dir;
  std::mt19937 random(kSeed);
  std::vector<std::unique_ptr<DtuSim>> first, second;
  std::vector<std::string> state, backup1, backup2;
  for (int s = 0; s < kStates; ++s) {
    state.push_back(dir.File("state" + std::to_string(s) + ".txt"));
    backup1.push_back(dir.File("first" + std::to_string(s) + ".txt"));
    backup2.push_back(dir.File("second" + std::to_string(s) + ".txt"));
    SaveRandomState(random, state.back());
    first.push_back(StartDtuSim());
    second.push_back(StartDtuSim());
  }
  const auto stage = [&](const char *verb, std::vector<std::unique_ptr<DtuSim>> &sims,
                         const std::vector<std::string> &files) {
    std::vector<QStringList> runs;
    for (int s = 0; s < kStates; ++s) {
      runs.push_back({verb, "-p", Path(*sims[s]), QString::fromStdString(files[s]), "--pages", kPages});
    }
    RunAll(runs);
  };
  stage("apply", first, state);
  stage("backup", first, backup1);
  stage("apply", second, backup1);
  stage("backup", second, backup2);
  for (int s = 0; s < kStates; ++s) {
    EXPECT_EQ(ReadWholeFile(backup2[s]), ReadWholeFile(backup1[s])) << "state " << s;
    int changed = 0;
    for (const auto &[key, factory] : DtuSimPlainDefaults()) {
      EXPECT_EQ(second[s]->Store().Value(key), first[s]->Store().Value(key)) << "state " << s << " key " << key;
      changed += first[s]->Store().Value(key) != factory;
    }
    EXPECT_GT(changed, 30) << "state " << s << ": the random state reached the device";
  }
}

}  // namespace
