#include "app/shell/busy_status_bar.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <cstdio>

#include "base/dtu_lang.h"
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

// Buttons that start a Read or Set: "Read", "Set", "TcpRead", "UdpSet", ...
bool StartsAnAction(const QPushButton *button) {
  const QString name = button->objectName();
  return name.endsWith(QStringLiteral("Read")) || name.endsWith(QStringLiteral("Set"));
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
  if (shown_ == nullptr || shown_->page->RunningAction() == DtuPageAction::Kind::kNone) return QString();
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
