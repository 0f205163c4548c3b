// The installable package: what it holds, what it declares, and that its
// menu entry points at files it installs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <string>

#include "base/varnok_version.h"
#include "tests/support/temp_dir.h"

namespace {

struct ToolRun {
  int code;
  QString out;
};

ToolRun RunTool(const QString &program, const QStringList &args, const QString &dir = QString()) {
  QProcess process;
  process.setWorkingDirectory(dir);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForFinished(240000)) {
    process.kill();
    process.waitForFinished();
    return {-1, "timed out"};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAll())};
}

// One package built for the whole suite: cpack is slow enough to do it once.
class Package : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QStandardPaths::findExecutable("dpkg-deb").isEmpty()) return;
    dir_ = new TempDir;
    const QString out = QString::fromStdString(dir_->Path());
    ToolRun built = RunTool(VARNOK_CPACK, {"-G", "DEB", "--config", VARNOK_CPACK_CONFIG, "-B", out});
    cpack_log_ = new QString(built.out);
    const QStringList debs = QDir(out).entryList({"*.deb"}, QDir::Files);
    if (built.code == 0 && debs.size() == 1) deb_ = new QString(out + "/" + debs.first());
  }
  static void TearDownTestSuite() {
    delete deb_;
    delete cpack_log_;
    delete dir_;
    deb_ = nullptr;
    cpack_log_ = nullptr;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (dir_ == nullptr) GTEST_SKIP() << "dpkg-deb is not installed";
    ASSERT_NE(deb_, nullptr) << "cpack built no single .deb:\n" << cpack_log_->toStdString();
  }
  static QString Field(const char *name) {
    return RunTool("dpkg-deb", {"-f", *deb_, name}).out.trimmed();
  }
  static QString Extracted() {
    const QString root = QString::fromStdString(dir_->File("root"));
    if (!QDir(root).exists()) RunTool("dpkg-deb", {"-x", *deb_, root});
    return root;
  }

  static TempDir *dir_;
  static QString *deb_;
  static QString *cpack_log_;
};

TempDir *Package::dir_ = nullptr;
QString *Package::deb_ = nullptr;
QString *Package::cpack_log_ = nullptr;

TEST_F(Package, HoldsTheThreeProgramsTheMenuEntryItsIconsTheManualPageAndTheCompletion) {
  const QString list = RunTool("dpkg-deb", {"-c", *deb_}).out;
  for (const char *path :
       {"./usr/bin/varnok-configure-tool", "./usr/bin/varnokctl", "./usr/bin/dtu-sim",
        "./usr/share/applications/varnok-configure-tool.desktop",
        "./usr/share/icons/hicolor/48x48/apps/varnok-configure-tool.png",
        "./usr/share/icons/hicolor/256x256/apps/varnok-configure-tool.png",
        "./usr/share/man/man1/varnokctl.1.gz", "./usr/share/bash-completion/completions/varnokctl"}) {
    EXPECT_TRUE(list.contains(QString(path) + "\n")) << path << " missing from:\n" << list.toStdString();
  }
  EXPECT_FALSE(list.contains("platform-sim")) << "test-only programs stay out of the package";
}

TEST_F(Package, ControlFieldsNameTheVersionConstantAndTheRuntimeLibraries) {
  EXPECT_EQ(Field("Package"), "varnok-configure-tool");
  EXPECT_EQ(Field("Version"), kVarnokVersion);
  EXPECT_FALSE(Field("Maintainer").isEmpty());
  EXPECT_FALSE(Field("Architecture").isEmpty());
  const QString depends = Field("Depends");
  for (const char *library : {"libqt6widgets6", "libqt6core6", "libpaho-mqtt1.3", "libcjson1", "libssl3"}) {
    EXPECT_TRUE(depends.contains(library)) << library << " not in Depends: " << depends.toStdString();
  }
}

TEST_F(Package, MenuEntryStartsAnInstalledProgramWithAnInstalledIcon) {
  const QString root = Extracted();
  QFile entry(root + "/usr/share/applications/varnok-configure-tool.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(entry.readAll());
  EXPECT_TRUE(text.contains("\nExec=varnok-configure-tool\n"));
  EXPECT_TRUE(text.contains("\nIcon=varnok-configure-tool\n"));
  EXPECT_TRUE(QFileInfo(root + "/usr/bin/varnok-configure-tool").isExecutable());
  QImage icon(root + "/usr/share/icons/hicolor/64x64/apps/varnok-configure-tool.png");
  EXPECT_EQ(icon.size(), QSize(64, 64));
}

TEST_F(Package, InstalledVarnokctlTellsTheVersionThePackageCarries) {
  const ToolRun run = RunTool(Extracted() + "/usr/bin/varnokctl", {"--version"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.trimmed(), QString("varnokctl %1").arg(kVarnokVersion));
}

// Every verb the installed program lists has its entry in the installed
// manual page (a verb added without one fails here).
TEST_F(Package, InstalledManualPageDescribesEveryVerbTheProgramLists) {
  const QString root = Extracted();
  const ToolRun page = RunTool("gzip", {"-dc", root + "/usr/share/man/man1/varnokctl.1.gz"});
  ASSERT_EQ(page.code, 0) << page.out.toStdString();
  const QString help = RunTool(root + "/usr/bin/varnokctl", {"--help"}).out;
  const QStringList lines = help.mid(help.indexOf("verbs:\n")).split('\n');
  int verbs = 0;
  for (const QString &line : lines) {
    const QRegularExpressionMatch verb = QRegularExpression("^  ([a-z]+) ").match(line);
    if (!verb.hasMatch()) continue;
    ++verbs;
    // An entry's tag (the line after .TP) starts with the verb in bold:
    // .B verb, .BI "verb ..., \fBverb
    const QRegularExpression tag("^\\.TP\\n(\\.BI? \"?|\\\\fB)" + verb.captured(1) + "\\b",
                                 QRegularExpression::MultilineOption);
    EXPECT_TRUE(tag.match(page.out).hasMatch()) << "no entry for " << verb.captured(1).toStdString();
  }
  EXPECT_GT(verbs, 0) << "no verbs in:\n" << help.toStdString();
}

// The installed completion, in the bash the user has, asks the installed
// varnokctl for its verbs, pages and field names.
TEST_F(Package, InstalledCompletionCompletesVerbsPagesAndFieldNames) {
  const QString root = Extracted();
  const struct {
    const char *line;
    const char *replies;  // one a line
  } cases[] = {
      {"varnokctl fi", "fields\n"},
      {"varnokctl fields mq", "mqtt\n"},
      {"varnokctl set -p /dev/ttyUSB0 mqtt Ser", "Server=\n"},
      {"varnokctl set -p /dev/ttyUSB0 --packet heart bhu cyc", "cycle_heartBeat=\n"},
      {"varnokctl apply --pages mqtt,n", "mqtt,net\n"},
  };
  for (const auto &c : cases) {
    // Words as bash splits them for a line without word breaks.
    const QString script = QString(
        "source '%1/usr/share/bash-completion/completions/varnokctl'\n"
        "COMP_LINE='%2'; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<\"$COMP_LINE\"\n"
        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _varnokctl varnokctl\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\"\n").arg(root, c.line);
    QProcess bash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", root + "/usr/bin:" + env.value("PATH"));
    bash.setProcessEnvironment(env);
    bash.start("bash", {"-c", script});
    ASSERT_TRUE(bash.waitForFinished(60000)) << c.line;
    EXPECT_EQ(QString::fromUtf8(bash.readAllStandardOutput()).toStdString(), c.replies)
        << c.line << "\n" << bash.readAllStandardError().toStdString();
  }
}

}  // namespace
