#include "app/views/virtual_serial/virtual_serial_view.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/fleet/fleet_apply_dialog.h"
#include "app/fleet/fleet_apply_start.h"
#include "app/views/cmd_port/receive_log_view.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/virtual_serial/virtual_serial_log.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

namespace {

using Tool = VirtualSerialTool;

}  // namespace

VirtualSerialView::VirtualSerialView(VirtualSerialTool *tool, QWidget *parent)
    : QWidget(parent), tool_(tool) {
  auto *columns = new QHBoxLayout;
  columns->addWidget(BuildDeviceColumn(), 1);
  columns->addWidget(BuildExchangeColumn(), 2);
  auto *page = new QVBoxLayout(this);
  page->addWidget(BuildAccountGroup());
  page->addWidget(BuildProductGroup());
  page->addLayout(columns, 1);

  connect(tool_, &Tool::FieldChanged, this, &VirtualSerialView::ShowField);
  connect(tool_, &Tool::Relabelled, this, &VirtualSerialView::ShowLabels);
  connect(tool_, &Tool::DevicesChanged, this, &VirtualSerialView::RebuildTree);
  connect(tool_, &Tool::BusyChanged, this, &VirtualSerialView::EnableButtons);
  connect(tool_, &Tool::LinkStateChanged, this, &VirtualSerialView::EnableButtons);
  connect(tool_, &Tool::LogAppended, this, [this](const QString &line) { log_->Append(line + '\n'); });
  connect(tree_, &QTreeWidget::itemChanged, this, &VirtualSerialView::OnTreeItemChanged);
  for (int field = Tool::kUsername; field < Tool::kSendText; ++field) ShowField(field);
  RebuildTree();
  UpdateLanguage();
  EnableButtons();
}

QLineEdit *VirtualSerialView::NewField(int field, const char *name, QWidget *parent) {
  auto *edit = new QLineEdit(parent);
  edit->setObjectName(name);
  connect(edit, &QLineEdit::textEdited, this,
          [this, field](const QString &text) { tool_->SetFieldText(static_cast<Tool::Field>(field), text); });
  fields_[field] = edit;
  return edit;
}

QPushButton *VirtualSerialView::NewButton(const char *name, void (VirtualSerialTool::*action)(),
                                          QWidget *parent) {
  auto *button = new QPushButton(parent);
  button->setObjectName(name);
  connect(button, &QPushButton::clicked, tool_, action);
  return button;
}

QWidget *VirtualSerialView::BuildAccountGroup() {
  account_ = new QGroupBox(this);
  username_label_ = new QLabel(account_);
  password_label_ = new QLabel(account_);
  QLineEdit *password = NewField(Tool::kPassword, "Password", account_);
  password->setEchoMode(QLineEdit::Password);
  login_ = NewButton("Login", &Tool::OnBnClickedBtVirtdevLogin, account_);
  auto *row = new QHBoxLayout(account_);
  row->addWidget(username_label_);
  row->addWidget(NewField(Tool::kUsername, "Username", account_), 1);
  row->addWidget(password_label_);
  row->addWidget(password, 1);
  row->addWidget(login_);
  return account_;
}

QWidget *VirtualSerialView::BuildProductGroup() {
  product_ = new QGroupBox(this);
  device_id_label_ = new QLabel(product_);
  tip_ = new QLabel(product_);
  tip_->setWordWrap(true);
  auto *grid = new QGridLayout(product_);
  grid->addWidget(new QLabel("ProductKey", product_), 0, 0);
  grid->addWidget(NewField(Tool::kProductKey, "ProductKey", product_), 0, 1);
  grid->addWidget(new QLabel("ProductSecret", product_), 1, 0);
  grid->addWidget(NewField(Tool::kProductSecret, "ProductSecret", product_), 1, 1);
  // Device ID and the tip stand on the right half.
  grid->addWidget(device_id_label_, 0, 2);
  grid->addWidget(NewField(Tool::kDeviceId, "DeviceId", product_), 0, 3);
  grid->addWidget(tip_, 1, 2, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return product_;
}

QWidget *VirtualSerialView::BuildDeviceColumn() {
  auto *column = new QWidget(this);
  refresh_ = NewButton("RefreshDevices", &Tool::OnBnClickedBtVirtdevUpdate, column);
  tree_ = new QTreeWidget(column);
  tree_->setObjectName("DeviceTree");
  tree_->setHeaderHidden(true);
  apply_file_ = new QPushButton(column);
  apply_file_->setObjectName("ApplyFileToDevices");
  connect(apply_file_, &QPushButton::clicked, this, &VirtualSerialView::ApplyFileToTicked);
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(refresh_);
  layout->addWidget(tree_, 1);
  layout->addWidget(apply_file_);
  return column;
}

QWidget *VirtualSerialView::BuildExchangeColumn() {
  auto *column = new QWidget(this);
  // The same list as the command port's receive window: appending costs the
  // same however full it is, and it follows the newest line.
  log_ = new ReceiveLogView(static_cast<int>(VirtualSerialLog::kLinesKept), column);
  log_->setObjectName("ExchangeLog");
  log_->SetWrap(true);  // an answer such as a failed request's code is read whole
  send_ = new QPlainTextEdit(column);
  send_->setObjectName("SendText");
  send_->setMaximumHeight(72);
  connect(send_, &QPlainTextEdit::textChanged, this,
          [this] { tool_->SetFieldText(Tool::kSendText, send_->toPlainText()); });
  connect_ = NewButton("Connect", &Tool::OnBnClickedBtConnMqtt, column);
  disconnect_ = NewButton("Disconnect", &Tool::OnBnClickedBtDisconnMqtt, column);
  send_button_ = NewButton("Send", &Tool::OnBnClickedBtSendMqtt, column);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton *button : {connect_, disconnect_, send_button_}) buttons->addWidget(button);
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(log_, 1);
  layout->addWidget(send_);
  layout->addLayout(buttons);
  return column;
}

void VirtualSerialView::ShowField(int field) {
  if (field == Tool::kSendText) {
    send_->setPlainText(tool_->FieldText(Tool::kSendText));
  } else if (field >= 0 && field < Tool::kSendText) {
    fields_[field]->setText(tool_->FieldText(static_cast<Tool::Field>(field)));
  }
}

void VirtualSerialView::UpdateLanguage() {
  tool_->ReLabel();
  if (fleet_dialog_) fleet_dialog_->UpdateLanguage();
}

void VirtualSerialView::ShowLabels() {
  login_->setText(DtuLangText(tool_->LoggedIn() ? DtuTextId::kVserialLogout : DtuTextId::kVserialLogin));
  connect_->setText(DtuLangText(DtuTextId::kVserialConnect));
  send_button_->setText(DtuLangText(DtuTextId::kVserialSend));
  disconnect_->setText(DtuLangText(DtuTextId::kVserialDisconnect));
  username_label_->setText(DtuLangText(DtuTextId::kVserialUsername));
  password_label_->setText(DtuLangText(DtuTextId::kVserialPassword));
  refresh_->setText(DtuLangText(DtuTextId::kVserialRefreshDeviceList));
  apply_file_->setText(DtuLangText(DtuTextId::kFleetApplyAction));
  account_->setTitle(DtuLangText(DtuTextId::kVserialAccountGroup));
  product_->setTitle(DtuLangText(DtuTextId::kVserialProductGroup));
  device_id_label_->setText(DtuLangText(DtuTextId::kVserialDeviceId));
  tip_->setText(DtuLangText(DtuTextId::kVserialProductHint));
  if (QTreeWidgetItem *root = tree_->topLevelItem(0)) root->setText(0, DtuLangText(DtuTextId::kVserialDeviceList));
  for (int field = Tool::kUsername; field <= Tool::kProductSecret; ++field) {
    fields_[field]->setPlaceholderText(Tool::Prompt(static_cast<Tool::Field>(field)));
  }
}

void VirtualSerialView::RebuildTree() {
  rebuilding_tree_ = true;
  tree_->clear();
  auto *root = new QTreeWidgetItem(tree_, QStringList(DtuLangText(DtuTextId::kVserialDeviceList)));
  root->setFlags(root->flags() | Qt::ItemIsUserCheckable);
  root->setCheckState(0, Qt::Checked);
  for (const Tool::DeviceRow &device : tool_->Devices()) {
    auto *item = new QTreeWidgetItem(root, QStringList(QString::fromStdString(device.imei)));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, device.checked ? Qt::Checked : Qt::Unchecked);
  }
  root->setExpanded(true);
  rebuilding_tree_ = false;
  EnableButtons();
}

void VirtualSerialView::OnTreeItemChanged(QTreeWidgetItem *item) {
  QTreeWidgetItem *root = tree_->topLevelItem(0);
  if (rebuilding_tree_ || item->parent() != root) return;
  const int row = root->indexOfChild(item);
  const bool ticked = item->checkState(0) == Qt::Checked;
  if (row < 0 || row >= static_cast<int>(tool_->Devices().size())) return;
  if (tool_->Devices()[static_cast<size_t>(row)].checked != ticked) tool_->OnNMClickTreeVirtdev(row);
}

void VirtualSerialView::EnableButtons() {
  const bool idle = !tool_->Busy();
  for (QPushButton *button : {login_, refresh_, disconnect_, send_button_}) button->setEnabled(idle);
  connect_->setEnabled(idle && !tool_->LinkConnected());
  apply_file_->setEnabled(idle && !tool_->Devices().empty());
}

FleetApplyDialog *VirtualSerialView::FleetDialog() const { return fleet_dialog_.data(); }

void VirtualSerialView::ApplyFileToTicked() {
  if (fleet_dialog_ && fleet_dialog_->Run().Running()) {
    DtuWarningBox(DtuLangText(DtuTextId::kFleetBusy));
    return fleet_dialog_->raise();
  }
  if (fleet_dialog_) fleet_dialog_->close();
  fleet_dialog_ = FleetApplyAskAndStart(this, *tool_);
}
