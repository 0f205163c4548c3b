#include "app/shell/busy_status_bar.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <cstdio>

#include "base/dtu_lang.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_ring.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/kit/dtu_page.h"

namespace {

// "8N1": data bits, parity letter, stop bits.
QString LineSettingsText(const DtuSerialSettings &s) {
  static const char kParity[] = {'N', 'O', 'E', 'M', 'S'};
  static const char *const kStop[] = {"1", "1.5", "2"};
  const char parity = s.parity >= 0 && s.parity < 5 ? kParity[s.parity] : '?';
  const char *stop = s.stopbits >= 0 && s.stopbits < 3 ? kStop[s.stopbits] : "?";
  return QStringLiteral("%1 %2%3%4").arg(s.baud).arg(s.databits).arg(QLatin1Char(parity)).arg(QLatin1String(stop));
}

constexpr int kPollMs = 100;
// A page that still says it works this long after the link last moved is
// taken at its word no longer (a flag that never cleared).
constexpr int kQuietLimitMs = 6000;

// Buttons that start a Read or Set: "Read", "Set", "TcpRead", "UdpSet", ...
bool StartsAnAction(const QPushButton *button) {
  const QString name = button->objectName();
  return name.endsWith(QStringLiteral("Read")) || name.endsWith(QStringLiteral("Set"));
}

// Buttons that would cut into a running Read or Set on any page.
bool DisturbsTheDevice(const QPushButton *button) {
  const QString name = button->objectName();
  return name == QStringLiteral("Reboot") || name == QStringLiteral("Reset");
}

bool TouchesTheFile(const QPushButton *button) {
  const QString name = button->objectName();
  return name == QStringLiteral("SaveLocal") || name == QStringLiteral("ReadLocal");
}

// Lines wait in the queue, or one is out without its answer yet.
bool LinkActive() {
  if (DtuCmdRingInstance().Waiting() != 0) return true;
  const DtuCmdPort *port = DtuCmdPort::OpenInstance();
  return port != nullptr && port->CommandsWritten() != port->CommandsAnswered();
}

}  // namespace

BusyStatusBar::BusyStatusBar(QStatusBar *bar, DtuCmdPortPage *port_page)
    : QObject(bar), port_page_(port_page) {
  action_label_ = new QLabel(bar);
  action_label_->setObjectName(QStringLiteral("ActionStatus"));
  progress_ = new QProgressBar(bar);
  progress_->setMaximumWidth(120);
  progress_->setMaximumHeight(14);
  progress_->setTextVisible(false);
  progress_->hide();
  port_label_ = new QLabel(bar);
  port_label_->setObjectName(QStringLiteral("PortStatus"));
  bar->addWidget(action_label_);
  bar->addWidget(progress_);
  bar->addPermanentWidget(port_label_);
  connect(port_page_, &DtuCmdPortPage::OpenStateChanged, this, &BusyStatusBar::UpdateLanguage);
  UpdateLanguage();
  link_quiet_.start();
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &BusyStatusBar::Poll);
  poll_.start();
}

bool BusyStatusBar::Works(const DtuPage &page) {
  if (page.RunningAction() != DtuPageAction::Kind::kNone || page.Busy()) return true;
  if (!page.ReadPending() && !page.SetPending()) return false;
  return link_quiet_.elapsed() < kQuietLimitMs;
}

void BusyStatusBar::Poll() {
  if (LinkActive()) link_quiet_.restart();
  bool changed = false, any = false;
  for (Followed &followed : followed_) {
    const bool works = Works(*followed.page);
    changed = changed || works != followed.working;
    followed.working = works;
    any = any || works;
  }
  if (changed) Reapply();
  if (shown_ != nullptr) return;  // the action's own progress is shown
  if (!any) {
    if (!changed) return;
    progress_->hide();
    action_label_->clear();
    return;
  }
  progress_->setRange(0, 0);  // no count to show: a moving bar
  progress_->show();
  action_label_->setText(WorkingText());
}

void BusyStatusBar::Reapply() {
  bool any = false;
  for (const Followed &followed : followed_) any = any || followed.working;
  for (const Followed &followed : followed_) {
    EnableNamed(followed.view, !followed.working, true);
    if (!followed.working) EnableNamed(followed.view, !any, false);
  }
}

QString BusyStatusBar::WorkingText() const {
  for (const Followed &followed : followed_) {
    if (!followed.working) continue;
    char buffer[256];
    std::snprintf(buffer, sizeof(buffer), DtuLangText(DtuTextId::kPageWorking), DtuLangText(followed.title_text_id));
    return QString::fromUtf8(buffer);
  }
  return QString();
}

void BusyStatusBar::EnableNamed(QWidget *view, bool enabled, bool all_actions) {
  if (view == nullptr) return;
  for (QPushButton *button : view->findChildren<QPushButton *>()) {
    const bool own = StartsAnAction(button) || TouchesTheFile(button);
    if (DisturbsTheDevice(button) || (all_actions && own)) button->setEnabled(enabled);
  }
}

void BusyStatusBar::Follow(DtuPage *page, QWidget *view, DtuTextId title_text_id) {
  followed_.push_back({page, view, title_text_id});
  const size_t index = followed_.size() - 1;
  // Indexes, not pointers: the vector may still grow.
  connect(page, &DtuPage::ActionStarted, this, [this, index] {
    EnableReadSet(followed_[index].view, false);
    ShowAction(followed_[index]);
  });
  connect(page, &DtuPage::ActionProgress, this, [this, index] { ShowAction(followed_[index]); });
  connect(page, &DtuPage::ActionEnded, this, [this, index] { OnActionEnded(followed_[index]); });
}

QString BusyStatusBar::PortText() const {
  if (!port_page_->IsOpen()) return QString::fromUtf8(DtuLangText(DtuTextId::kPortClosed));
  const DtuSerialSettings settings = port_page_->Settings();
  return QString::fromStdString(settings.port) + QStringLiteral("  ") + LineSettingsText(settings);
}

QString BusyStatusBar::ActionText() const {
  if (shown_ == nullptr || shown_->page->RunningAction() == DtuPageAction::Kind::kNone) return WorkingText();
  const DtuPage *page = shown_->page;
  const DtuTextId text_id =
      page->RunningAction() == DtuPageAction::Kind::kRead ? DtuTextId::kReadingProgress : DtuTextId::kSettingProgress;
  const int total = page->ActionTotal();
  const int current = page->ActionDone() < total ? page->ActionDone() + 1 : total;
  char buffer[256];
  std::snprintf(buffer, sizeof(buffer), DtuLangText(text_id), DtuLangText(shown_->title_text_id), current, total);
  return QString::fromUtf8(buffer);
}

void BusyStatusBar::ShowAction(const Followed &followed) {
  shown_ = &followed;
  progress_->setRange(0, followed.page->ActionTotal());
  progress_->setValue(followed.page->ActionDone());
  progress_->show();
  action_label_->setText(ActionText());
}

void BusyStatusBar::OnActionEnded(const Followed &followed) {
  EnableReadSet(followed.view, true);
  if (shown_ != &followed) return;
  shown_ = nullptr;
  // Another page may still be busy: the bar follows it.
  for (const Followed &other : followed_) {
    if (other.page->RunningAction() != DtuPageAction::Kind::kNone) {
      ShowAction(other);
      return;
    }
  }
  progress_->hide();
  action_label_->clear();
}

void BusyStatusBar::EnableReadSet(QWidget *view, bool enabled) {
  if (view == nullptr) return;
  for (QPushButton *button : view->findChildren<QPushButton *>()) {
    if (StartsAnAction(button)) button->setEnabled(enabled);
  }
}

void BusyStatusBar::UpdateLanguage() {
  port_label_->setText(PortText());
  action_label_->setText(ActionText());
}
