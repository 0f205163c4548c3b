#include "app/views/help/help_view.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/varnok_version.h"
#include "config/dtu_config.h"

namespace {

const DtuTextId kParagraphs[] = {DtuTextId::kHelpWhat,     DtuTextId::kHelpStart,       DtuTextId::kHelpFiles,
                                 DtuTextId::kHelpTerminal, DtuTextId::kHelpCommandLine, DtuTextId::kHelpVersion};

QString Absolute(const std::string &path) {
  return QDir::toNativeSeparators(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
}

// The paragraph with its %s filled in: the file names, or the version.
QString Paragraph(DtuTextId text_id) {
  QString text = QString::fromUtf8(DtuLangText(text_id));
  if (text_id == DtuTextId::kHelpFiles) {
    text.replace(text.indexOf(QStringLiteral("%s")), 2, Absolute(kDtuConfigFileName));
    text.replace(text.indexOf(QStringLiteral("%s")), 2, Absolute(DtuLogGetPath()));
  } else if (text_id == DtuTextId::kHelpVersion) {
    text.replace(QStringLiteral("%s"), QString::fromLatin1(kVarnokVersion));
  }
  return text;
}

}  // namespace

HelpView::HelpView(QWidget *parent) : QWidget(parent), title_(new QLabel(this)) {
  QFont bigger = title_->font();
  bigger.setBold(true);
  bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
  title_->setFont(bigger);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  for (size_t i = 0; i < std::size(kParagraphs); ++i) {
    auto *label = new QLabel(this);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    paragraphs_.push_back(label);
    layout->addWidget(label);
  }
  layout->addStretch(1);
  UpdateLanguage();
}

void HelpView::UpdateLanguage() {
  title_->setText(DtuLangText(DtuTextId::kHelpTitle));
  for (size_t i = 0; i < paragraphs_.size(); ++i) paragraphs_[i]->setText(Paragraph(kParagraphs[i]));
}
