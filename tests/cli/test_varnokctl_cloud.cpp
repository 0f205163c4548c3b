// `varnokctl cloud` as a separate process against the platform simulator's
// REST server (real TLS on loopback), the platform located through the
// environment as a script would do it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <fstream>
#include <string>

#include "sim/platform_rest_server.h"

namespace {

struct CloudRun {
  int exit_code;
  std::string out;
  std::string err;
};

class VarnokctlCloud : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server_.Start(PlatformDemoConfig(), error)) << error;
  }
  CloudRun Run(const QStringList &args, bool trust = true, bool verify = true) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNOK_API_BASE", QString::fromStdString(server_.ApiBase()));
    env.insert("VARNOK_CA_FILE", trust ? QString::fromStdString(server_.CaFile()) : QString());
    env.insert("VARNOK_TLS_VERIFY", verify ? "1" : "0");
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(VARNOKCTL_PATH, QStringList{"cloud"} + args);
    if (!process.waitForFinished(60000)) {
      process.kill();
      process.waitForFinished();
      return {-1, "", "timed out"};
    }
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
  }
  PlatformRestServer server_;
  const QString no_config_ = "no-such-config.txt";
};

TEST_F(VarnokctlCloud, LoginPrintsTheTokenAndRefusalFails) {
  CloudRun r = Run({"login", "--user", "engineer", "--password", "varnok-demo", "--config", no_config_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_EQ(r.out.rfind("access_token=", 0), 0u) << r.out;
  EXPECT_EQ(r.out.size(), std::string("access_token=").size() + 48 + 1);
  EXPECT_NE(r.err.find("Login success"), std::string::npos);
  EXPECT_EQ(server_.OpenTokens(), 1u);

  r = Run({"login", "--user", "engineer", "--password", "wrong", "--config", no_config_});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("login to " + server_.ApiBase() + " failed"), std::string::npos) << r.err;
}

TEST_F(VarnokctlCloud, DevicesListedInOrderAndTheLoginClosed) {
  CloudRun r = Run({"devices", "--user", "engineer", "--password", "varnok-demo", "--product-key", "pk-demo",
                    "--product-secret", "ps-demo", "--config", no_config_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "860000000000001\n860000000000002\n860000000000003\n");
  EXPECT_EQ(server_.OpenTokens(), 0u);
}

TEST_F(VarnokctlCloud, AccountFromTheConfigurationFileAndMissingFields) {
  const std::string path = "cloud_account_config.txt";
  std::ofstream(path, std::ios::binary) << "[iotInfo]\r\nusername = engineer\r\npassword = varnok-demo\r\n"
                                           "productKey = pk-demo\r\nproductSecret = Please enter productSecret\r\n";
  CloudRun r = Run({"devices", "--config", QString::fromStdString(path)});
  EXPECT_EQ(r.exit_code, 2);  // the secret is still the prompt text
  EXPECT_NE(r.err.find("no productSecret"), std::string::npos) << r.err;
  r = Run({"devices", "--product-secret", "ps-demo", "--config", QString::fromStdString(path)});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "860000000000001\n860000000000002\n860000000000003\n");
  EXPECT_EQ(Run({"frobnicate"}).exit_code, 2);
  EXPECT_EQ(Run({"login", "--user"}).exit_code, 2);
  std::remove(path.c_str());
}

TEST_F(VarnokctlCloud, UntrustedCertificateFailsUnlessCheckingIsOff) {
  QStringList login{"login", "--user", "engineer", "--password", "varnok-demo", "--config", no_config_};
  CloudRun checked = Run(login, false);
  EXPECT_EQ(checked.exit_code, 1);
  EXPECT_EQ(checked.err.find("Certificate checking is off"), std::string::npos);
  CloudRun unchecked = Run(login, false, false);
  EXPECT_EQ(unchecked.exit_code, 0);
  // Said on standard error, once, not only in log.txt.
  const std::string warning = "Certificate checking is off: 127.0.0.1 is not authenticated";
  ASSERT_NE(unchecked.err.find(warning), std::string::npos) << unchecked.err;
  EXPECT_EQ(unchecked.err.find(warning, unchecked.err.find(warning) + 1), std::string::npos);
}

}  // namespace
