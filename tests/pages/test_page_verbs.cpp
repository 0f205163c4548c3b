// varnokctl read and set, run as the program a script would run, against the
// simulated device.
#ifdef VARNOKCTL_PATH

#include <QProcess>
#include <QStringList>

#include <memory>
#include <string>

#include "sim/dtu_sim.h"
#include "tests/pages/page_test_support.h"
#include "tests/support/sim_link.h"

namespace {

struct VerbRun {
  int code;
  std::string out;
  std::string err;
};

class PageVerbs : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    sim_ = StartDtuSim();
  }
  void TearDown() override {
    sim_.reset();
    PageTest::TearDown();
  }
  VerbRun Varnokctl(const QStringList &args) {
    QProcess process;
    process.start(VARNOKCTL_PATH, args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
  }
  QString Port() const { return QString::fromStdString(sim_->SlavePath()); }

  std::unique_ptr<DtuSim> sim_;
};

}  // namespace

TEST_F(PageVerbs, ReadPrintsThePageFieldsByName) {
  sim_->Store().SetValue("mqtt-channel", "3");
  VerbRun run = Varnokctl({"read", "-p", Port(), "workmode"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "WorkMode=3\n");
  run = Varnokctl({"read", "-p", Port(), "devinfo"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("IMEI=" + sim_->Store().Value("imei") + "\n"), std::string::npos) << run.out;
}

TEST_F(PageVerbs, SetChangesTheNamedFieldsAndKeepsTheOthers) {
  const std::string password = sim_->Store().Value("mqtt-password");
  VerbRun run = Varnokctl({"set", "-p", Port(), "mqtt", "Server=broker.local", "qos=1"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.err.find("Configuration succeeded"), std::string::npos) << run.err;
  EXPECT_EQ(sim_->Store().Value("mqtt-addr"), "broker.local");
  EXPECT_EQ(sim_->Store().Value("mqtt-qos"), "1");
  EXPECT_EQ(sim_->Store().Value("mqtt-password"), password);
}

// The DL/T 645 page by the configuration file's keys: a meter DI, and the
// rule of a configure channel other than the first.
TEST_F(PageVerbs, Dlt645SetAndReadByFileKeys) {
  VerbRun run = Varnokctl({"set", "-p", Port(), "dlt645", "funcSwitch=1", "addr1=000012345678", "di1_2=00020000",
                           "rule2=1", "paramCnt2=1", "tag2_1=Ua", "ruleDi2_1=02010100", "rate2_1=10"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(sim_->Store().ChannelValue("dlt645-meter-cfg", "1"),
            "ch:1/addr:000012345678/preamble:4/cycle:60/diNum:1/di1:00010000/di2:00020000;");
  EXPECT_EQ(sim_->Store().ChannelValue("dlt645-meter-rule", "2"), "ch:2/rule:1/paramCnt:1");
  EXPECT_EQ(sim_->Store().ChannelValue("dlt645-meter-rule", "3"), "ch:3/rule:0/paramCnt:0") << "only changed rules";
  run = Varnokctl({"read", "-p", Port(), "dlt645"});
  EXPECT_EQ(run.code, 0) << run.err;
  for (const char *line : {"funcSwitch=1\n", "addr1=000012345678\n", "di1_2=00020000\n", "rule2=1\n", "paramCnt2=1\n",
                           "tag2_1=Ua\n", "ruleDi2_1=02010100\n", "rate2_1=10\n", "paramCnt3=0\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
}

TEST_F(PageVerbs, RefusalsUsageAndSilence) {
  struct Case {
    QStringList args;
    int code;
    std::string err_part;
  } cases[] = {
      {{"set", "-p", Port(), "workmode", "WorkMode=9"}, 1, "expects a list index 0..3"},
      {{"set", "-p", Port(), "mqtt", "PubTopic=" + QString(240, 't')}, 1, "a command line cannot exceed 255 bytes"},
      {{"set", "-p", Port(), "mqtt", "NoSuchField=1"}, 1, "unknown field"},
      {{"read", "-p", Port(), "nosuchpage"}, 2, "unknown page"},
      {{"set", "-p", Port(), "mqtt"}, 2, "no name=value"},
      {{"read", "devinfo"}, 2, ""},
      {{"read", "-p", "/dev/varnok-no-such-port", "devinfo"}, 1, "not exist"},
  };
  for (const Case &c : cases) {
    VerbRun run = Varnokctl(c.args);
    EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << "\n" << run.err;
    EXPECT_NE(run.err.find(c.err_part), std::string::npos) << run.err;
  }
  EXPECT_EQ(sim_->Store().Value("mqtt-pubtopic").size() < 240, true) << "nothing was sent";
  DtuSimOptions silent;
  silent.silent_every = 1;
  sim_->SetOptions(silent);
  VerbRun run = Varnokctl({"read", "-p", Port(), "--timeout", "1", "workmode"});
  EXPECT_EQ(run.code, 3) << run.err;
}

// The exit code says what became of the lines; the message names the field.
TEST_F(PageVerbs, ExitCodesTellAnEmptyValueARefusalAndSilenceApart) {
  struct Case {
    const char *error_key;  // answered with ERROR ("": none)
    int silent_every;
    QStringList args;
    int code;
    std::string err_part;
  } cases[] = {
      {"", 0, {"set", "-p", Port(), "mqtt", "PubTopic="}, 0, "Configuration succeeded"},
      {"mqtt-pubtopic", 0, {"set", "-p", Port(), "mqtt", "Server=x"}, 6, "The device refused PubTopic (ERROR)"},
      {"imei", 0, {"read", "-p", Port(), "devinfo"}, 6, "The device refused IMEI (ERROR)"},
      {"", 1, {"read", "-p", Port(), "workmode"}, 3, "No answer from the device for WorkMode"},
  };
  for (const Case &c : cases) {
    DtuSimOptions options;
    if (*c.error_key) options.error_keys = {c.error_key};
    options.silent_every = c.silent_every;
    sim_->SetOptions(options);
    VerbRun run = Varnokctl(c.args);
    EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << "\n" << run.err;
    EXPECT_NE(run.err.find(c.err_part), std::string::npos) << run.err;
  }
  EXPECT_EQ(sim_->Store().Value("mqtt-pubtopic"), "");
}

TEST_F(PageVerbs, HelpListsEveryPageWithWhatItIs) {
  VerbRun run = Varnokctl({"read", "--help"});
  EXPECT_EQ(run.code, 0);
  for (const char *line : {"\n  devinfo      Device Info\n", "\n  dataport     Data Port-RS485\n",
                           "\n  mqtt         MQTT Mode\n", "\n  bhu          BHU (--packet login|heart|data|header)\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

TEST_F(PageVerbs, BhuPacketIsChosenByOption) {
  sim_->Store().SetValue("bhu-heart", "10000000300002hi");
  VerbRun run = Varnokctl({"read", "-p", Port(), "bhu", "--packet", "heart"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.rfind("funcSwitch_heartBeat=1\ncycle_heartBeat=30\ndataType_heartBeat=0\ndata_heartBeat=hi\n", 0),
            0u) << run.out;
  run = Varnokctl({"set", "-p", Port(), "--packet", "data", "bhu", "funcSwitch_UserData=1", "cycle_UserData=5",
                   "data_UserData=hello"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.err.find("Data packet configured successfully"), std::string::npos) << run.err;
  EXPECT_EQ(sim_->Store().Value("bhu-data"), "10000000050005hello");
  run = Varnokctl({"read", "-p", Port(), "bhu", "--packet", "nope"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("unknown packet"), std::string::npos) << run.err;
  run = Varnokctl({"read", "-p", Port(), "devinfo", "--packet", "heart"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("bhu page only"), std::string::npos) << run.err;
}

#endif  // VARNOKCTL_PATH
