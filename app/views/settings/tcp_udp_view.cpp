#include "app/views/settings/tcp_udp_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/settings/dtu_tcp_udp.h"

namespace {

const DtuTextId kLabelIds[5] = {DtuTextId::kConnectionType, DtuTextId::kServerAddress, DtuTextId::kServerPort,
                                DtuTextId::kProductName, DtuTextId::kProductSecret};

}  // namespace

TcpUdpView::TcpUdpView(DtuTcpUdp *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  auto *outer = new QVBoxLayout(this);
  for (int half = 0; half < 2; ++half) {
    BuildHalf(half, halves_[half]);
    outer->addWidget(halves_[half].group);
  }
  save_local_ = NewPageButton("SaveLocal", this);
  read_local_ = NewPageButton("ReadLocal", this);
  auto *local = new QHBoxLayout;
  local->addWidget(save_local_);
  local->addWidget(read_local_);
  local->addStretch();
  outer->addLayout(local);
  outer->addStretch();

  connect(halves_[0].set, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtTcpSet);
  connect(halves_[0].read, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtTcpRead);
  connect(halves_[1].set, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtUdpSet);
  connect(halves_[1].read, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtUdpRead);
  connect(save_local_, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuTcpUdp::OnBnClickedBtReadLocal);
  connect(binder_, &PageFieldBinder::Edited, this, &TcpUdpView::ApplyVisibility);
  connect(page_, &DtuTcpUdp::Changed, this, &TcpUdpView::ApplyVisibility);
  UpdateLanguage();
}

void TcpUdpView::BuildHalf(int half, HalfWidgets &w) {
  const std::string prefix = half == DtuTcpUdp::kTcp ? "Tcp" : "Udp";
  w.group = new QGroupBox(this);
  w.group->setObjectName(QString::fromStdString(prefix));
  auto *grid = new QGridLayout;
  for (int i = 0; i < 5; ++i) {
    w.labels[i] = new QLabel(w.group);
    grid->addWidget(w.labels[i], i, 0);
  }
  w.type = binder_->List((prefix + "Type").c_str(), ToQStringList(DtuTcpUdp::TypeItems()), w.group);
  grid->addWidget(w.type, 0, 1);
  grid->addWidget(binder_->Text((prefix + "Server").c_str(), w.group), 1, 1);
  grid->addWidget(binder_->Text((prefix + "Port").c_str(), w.group), 2, 1);
  w.key = binder_->Text((prefix + "ProductKey").c_str(), w.group);
  w.secret = binder_->Text((prefix + "ProductSecret").c_str(), w.group);
  grid->addWidget(w.key, 3, 1);
  grid->addWidget(w.secret, 4, 1);
  w.set = NewPageButton((prefix + "Set").c_str(), w.group);
  w.read = NewPageButton((prefix + "Read").c_str(), w.group);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(w.set);
  buttons->addWidget(w.read);
  buttons->addStretch();
  auto *inner = new QVBoxLayout(w.group);
  inner->addLayout(grid);
  inner->addLayout(buttons);
}

void TcpUdpView::ApplyVisibility() {
  for (int half = 0; half < 2; ++half) {
    const bool shown = page_->KeyFieldsVisible(static_cast<DtuTcpUdp::Half>(half));
    HalfWidgets &w = halves_[half];
    for (QWidget *widget : {static_cast<QWidget *>(w.labels[3]), static_cast<QWidget *>(w.labels[4]),
                            static_cast<QWidget *>(w.key), static_cast<QWidget *>(w.secret)}) {
      widget->setVisible(shown);
    }
  }
}

void TcpUdpView::UpdateLanguage() {
  for (int half = 0; half < 2; ++half) {
    HalfWidgets &w = halves_[half];
    binder_->SetListItems(w.type, ToQStringList(DtuTcpUdp::TypeItems()));
    w.group->setTitle(DtuLangText(half == DtuTcpUdp::kTcp ? DtuTextId::kTcpGroup : DtuTextId::kUdpGroup));
    for (int i = 0; i < 5; ++i) w.labels[i]->setText(DtuLangText(kLabelIds[i]));
    w.set->setText(DtuLangText(DtuTextId::kSet));
    w.read->setText(DtuLangText(DtuTextId::kRead));
  }
  save_local_->setText(DtuLangText(DtuTextId::kSaveToLocal));
  read_local_->setText(DtuLangText(DtuTextId::kReadLocal));
  ApplyVisibility();
}
