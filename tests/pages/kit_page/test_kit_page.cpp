// A page from its own folder is everywhere a page of the tool is: in the
// window's tree with its view, in varnokctl's page list, and in backup, apply
// and diff, with nothing outside this folder naming it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>

#include "app/shell/page_host.h"
#include "app/shell/varnok_configure_tool_dlg.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

namespace {

std::unique_ptr<DtuSim> KitDevice(const char *greeting, const char *level) {
  std::unique_ptr<DtuSim> device = StartDtuSim();
  device->Store().SetValue("kit-greeting", greeting);
  device->Store().SetValue("kit-level", level);
  return device;
}

QStringList LabelTexts(QWidget *view) {
  QStringList texts;
  for (QLabel *label : view->findChildren<QLabel *>()) texts << label->text();
  return texts;
}

void ExpectInWindow() {
  CVarnokConfigureToolDlg window;
  window.show();
  QTreeWidgetItem *last = nullptr;
  for (QTreeWidgetItemIterator it(window.PageTree()); *it != nullptr; ++it) last = *it;
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text(0), "Kit Page") << "after every page of the tool";
  ASSERT_NE(last->parent(), nullptr);
  EXPECT_EQ(last->parent()->text(0), "DTU Config Tool");
  EXPECT_EQ(last->data(0, Qt::UserRole).toInt(), 100);
  window.PageTree()->setCurrentItem(last);
  QWidget *view = window.Pages()->PageForCode(100);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_TRUE(LabelTexts(view).contains("Greeting")) << LabelTexts(view).join("|").toStdString();
  EXPECT_TRUE(LabelTexts(view).contains("Level")) << LabelTexts(view).join("|").toStdString();
}

}  // namespace

TEST(PageKit, APageFromItsOwnFolderIsEverywhere) {
  ExpectInWindow();

  VarnokctlResult help = RunVarnokctl({"read", "--help"});
  EXPECT_NE(help.out.find("\n  kit          Kit Page\n"), std::string::npos) << help.out;

  TempDir dir;
  const QString file = QString::fromStdString(dir.File("kit.txt"));
  auto source = KitDevice("hello", "3");
  VarnokctlResult backup = RunVarnokctl({"backup", "-p", Path(*source), file});
  EXPECT_EQ(backup.exit_code, 0) << backup.out << backup.err;
  EXPECT_NE(ReadWholeFile(file.toStdString()).find("[KIT]\r\nGreeting=hello\r\nLevel=3\r\n"), std::string::npos)
      << ReadWholeFile(file.toStdString());

  auto target = KitDevice("", "0");
  VarnokctlResult apply = RunVarnokctl({"apply", "-p", Path(*target), file});
  EXPECT_EQ(apply.exit_code, 0) << apply.out << apply.err;
  EXPECT_EQ(target->Store().Value("kit-greeting"), "hello");
  EXPECT_EQ(target->Store().Value("kit-level"), "3");

  VarnokctlResult same = RunVarnokctl({"diff", "-p", Path(*target), file, "--pages", "kit"});
  EXPECT_EQ(same.exit_code, 0) << same.out << same.err;
  target->Store().SetValue("kit-level", "7");
  VarnokctlResult changed = RunVarnokctl({"diff", "-p", Path(*target), file, "--pages", "kit"});
  EXPECT_EQ(changed.exit_code, 7) << changed.out << changed.err;
  EXPECT_NE(changed.out.find("kit Level: device \"7\", file \"3\"\n"), std::string::npos) << changed.out;
}
