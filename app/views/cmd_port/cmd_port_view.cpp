#include "app/views/cmd_port/cmd_port_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/cmd_port/command_input_edit.h"
#include "app/views/kit/field_labels.h"
#include "app/views/cmd_port/receive_log_view.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"

CmdPortView::CmdPortView(DtuCmdPortPage *page, QWidget *parent) : QWidget(parent), page_(page) {
  auto *layout = new QHBoxLayout(this);
  layout->addWidget(BuildSettingsBox(), 0);
  layout->addWidget(BuildWindowsColumn(), 1);

  connect(page_, &DtuCmdPortPage::ReceiveAppended, this, &CmdPortView::AppendReceived);
  connect(page_, &DtuCmdPortPage::CommandWritten, this, &CmdPortView::EchoSent);
  no_answer_.setSingleShot(true);
  no_answer_.setInterval(kTypedAnswerWaitMs);
  connect(&no_answer_, &QTimer::timeout, this, &CmdPortView::NoteUnanswered);
  connect(page_, &DtuCmdPortPage::PortListChanged, this, &CmdPortView::RefillPortList);
  connect(page_, &DtuCmdPortPage::OpenStateChanged, this, &CmdPortView::OnOpenStateChanged);
  UpdateLanguage();
}

// The line settings only take effect when the port opens: while it is open
// they cannot be changed.
void CmdPortView::OnOpenStateChanged(bool open) {
  for (QComboBox *list : line_settings_) list->setEnabled(!open);
  UpdateLanguage();
}

QComboBox *CmdPortView::AddList(const QStringList &items, int selected) {
  auto *list = new QComboBox;
  list->addItems(items);
  list->setCurrentIndex(selected);
  return list;
}

QWidget *CmdPortView::BuildSettingsBox() {
  settings_box_ = new QGroupBox;
  auto *form = new QFormLayout;
  port_list_ = new QComboBox;
  port_list_->setEditable(true);
  port_list_->setInsertPolicy(QComboBox::NoInsert);
  port_list_->setMinimumContentsLength(20);
  port_list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  RefillPortList();
  connect(port_list_, &QComboBox::editTextChanged, this, [this](const QString &text) {
    page_->SetPortName(text);
    ShowPortState();
  });

  QComboBox *baud = AddList(DtuCmdPortPage::BaudRateItems(), page_->BaudIndex());
  QComboBox *databits = AddList(DtuCmdPortPage::DataBitsItems(), page_->DataBitsIndex());
  QComboBox *stopbits = AddList(DtuCmdPortPage::StopBitsItems(), page_->StopBitsIndex());
  QComboBox *parity = AddList(DtuCmdPortPage::ParityItems(), page_->ParityIndex());
  QComboBox *flow = AddList(DtuCmdPortPage::FlowItems(), page_->FlowIndex());
  connect(baud, &QComboBox::currentIndexChanged, page_, &DtuCmdPortPage::OnCbnSelchangeDtuCmdBaudrete);
  connect(databits, &QComboBox::currentIndexChanged, page_, &DtuCmdPortPage::OnCbnSelchangeDtuCmdDatabits);
  connect(stopbits, &QComboBox::currentIndexChanged, page_, &DtuCmdPortPage::OnCbnSelchangeDtuCmdStopbits);
  connect(parity, &QComboBox::currentIndexChanged, page_, &DtuCmdPortPage::OnCbnSelchangeDtuCmdParity);
  connect(flow, &QComboBox::currentIndexChanged, page_, &DtuCmdPortPage::OnCbnSelchangeDtuCmdFlow);
  line_settings_ = {baud, databits, stopbits, parity, flow};

  QWidget *const rows[] = {port_list_, baud, databits, stopbits, parity, flow};
  for (QWidget *row : rows) {
    setting_labels_.append(new QLabel);
    form->addRow(setting_labels_.back(), row);
  }
  port_state_ = new QLabel;
  port_state_->setObjectName(QStringLiteral("PortState"));
  port_state_->setWordWrap(true);
  port_state_->setStyleSheet(QStringLiteral("color: #c0392b;"));
  port_state_->hide();
  form->addRow(port_state_);

  open_close_ = new QPushButton;
  connect(open_close_, &QPushButton::clicked, page_, &DtuCmdPortPage::OnBnClickedOpenClose);
  auto *column = new QVBoxLayout(settings_box_);
  column->addLayout(form);
  column->addWidget(open_close_);
  column->addStretch(1);
  return settings_box_;
}

QWidget *CmdPortView::BuildWindowsColumn() {
  auto *column_widget = new QWidget;
  auto *column = new QVBoxLayout(column_widget);
  column->setContentsMargins(0, 0, 0, 0);

  receive_box_ = new QGroupBox;
  receive_window_ = new ReceiveLogView(kReceiveMaxLines);
  receive_window_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto *receive_layout = new QVBoxLayout(receive_box_);
  receive_layout->addWidget(receive_window_);
  receive_layout->addLayout(BuildReceiveOptions());
  column->addWidget(receive_box_, 3);

  send_box_ = new QGroupBox;
  send_window_ = new CommandInputEdit;
  connect(send_window_, &CommandInputEdit::SubmitRequested, this, [this] { SendCommands(true); });
  send_window_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  (new QVBoxLayout(send_box_))->addWidget(send_window_);
  column->addWidget(send_box_, 1);

  send_button_ = new QPushButton;
  clear_send_ = new QPushButton;
  clear_receive_ = new QPushButton;
  connect(send_button_, &QPushButton::clicked, this, [this] { SendCommands(false); });
  connect(clear_send_, &QPushButton::clicked, send_window_, &QPlainTextEdit::clear);
  connect(clear_receive_, &QPushButton::clicked, receive_window_, &ReceiveLogView::Clear);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(send_button_);
  buttons->addWidget(clear_send_);
  buttons->addWidget(clear_receive_);
  buttons->addStretch(1);
  column->addLayout(buttons);
  return column_widget;
}

QLayout *CmdPortView::BuildReceiveOptions() {
  time_stamps_ = new QCheckBox;
  hex_ = new QCheckBox;
  // Hex pairs make lines three times as long: they wrap instead of running
  // off to the right.
  connect(hex_, &QCheckBox::toggled, receive_window_, &ReceiveLogView::SetWrap);
  save_log_ = new QPushButton;
  connect(save_log_, &QPushButton::clicked, this, &CmdPortView::OnBnClickedSaveLog);
  auto *options = new QHBoxLayout;
  options->addWidget(time_stamps_);
  options->addWidget(hex_);
  options->addStretch(1);
  options->addWidget(save_log_);
  return options;
}

void CmdPortView::UpdateLanguage() {
  const DtuTextId label_ids[] = {DtuTextId::kLabelPort,     DtuTextId::kLabelBaudRate, DtuTextId::kLabelDataBits,
                                 DtuTextId::kLabelStopBits, DtuTextId::kLabelParity,   DtuTextId::kLabelFlow};
  for (int i = 0; i < setting_labels_.size(); ++i) setting_labels_[i]->setText(DtuLangText(label_ids[i]));
  // The entries that are words follow the language; the choice stays.
  RelabelList(line_settings_[3], DtuCmdPortPage::ParityItems());
  RelabelList(line_settings_[4], DtuCmdPortPage::FlowItems());
  ShowPortState();
  settings_box_->setTitle(DtuLangText(DtuTextId::kCmdPortGroup));
  receive_box_->setTitle(DtuLangText(DtuTextId::kReceiveWindow));
  send_box_->setTitle(DtuLangText(DtuTextId::kSendWindow));
  send_button_->setText(DtuLangText(DtuTextId::kSendCommand));
  clear_send_->setText(DtuLangText(DtuTextId::kClearSendData));
  clear_receive_->setText(DtuLangText(DtuTextId::kClearReceiveData));
  open_close_->setText(DtuLangText(page_->IsOpen() ? DtuTextId::kClosePort : DtuTextId::kOpenPort));
  port_list_->lineEdit()->setPlaceholderText(DtuLangText(DtuTextId::kSelectPortHint));
  time_stamps_->setText(DtuLangText(DtuTextId::kTimeStamps));
  hex_->setText(DtuLangText(DtuTextId::kHexView));
  save_log_->setText(DtuLangText(DtuTextId::kSaveLog));
}

void CmdPortView::RelabelList(QComboBox *list, const QStringList &items) {
  const QStringList shown = DtuShownListItems(items);
  for (int i = 0; i < shown.size() && i < list->count(); ++i) list->setItemText(i, shown[i]);
}

void CmdPortView::RefillPortList() {
  // The typed or chosen text survives the refill: a device that comes and
  // goes must not wipe what the user entered.
  const QString current = port_list_->currentText().isEmpty() ? page_->PortName() : port_list_->currentText();
  QSignalBlocker block(port_list_);
  port_list_->clear();
  port_list_->addItems(page_->PortListTexts());
  int index = port_list_->findText(current);
  port_list_->setCurrentIndex(index);
  port_list_->setEditText(current);
  ShowPortState();
}

void CmdPortView::ShowPortState() {
  if (port_state_ == nullptr) return;  // the list is filled before the label exists
  const QString port = page_->PortName();
  const bool gone = !port.isEmpty() && page_->PortGone(port);
  port_state_->setVisible(gone);
  if (gone) port_state_->setText(QString::fromUtf8(DtuLangText(DtuTextId::kPortGoneState)).replace(QStringLiteral("%s"), port));
}

void CmdPortView::SelectPort(const QString &path) {
  RefillPortList();
  port_list_->setCurrentIndex(port_list_->findText(path));
  port_list_->setEditText(path);
  page_->SetPortName(path);
}

TerminalOptions CmdPortView::Options() const {
  TerminalOptions options;
  options.time_stamps = time_stamps_->isChecked();
  options.hex = hex_->isChecked();
  return options;
}

void CmdPortView::AppendReceived(const QString &text) {
  // Anything the device says answers the typed lines that wait.
  unanswered_.clear();
  no_answer_.stop();
  const TerminalOptions options = Options();
  if (!options.time_stamps && !options.hex) {
    receive_window_->Append(text);  // the common road stays as cheap as it was
    return;
  }
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (lines.endsWith(QLatin1Char('\n'))) lines.chop(1);
  const QTime now = QTime::currentTime();
  QString shown;
  for (const QString &line : lines.split(QLatin1Char('\n'))) {
    shown += TerminalFormatLine(line, options, now) + QStringLiteral("\r\n");
  }
  receive_window_->Append(shown);
}

void CmdPortView::EchoSent(const QString &command) {
  if (receive_window_->HasOpenLine()) receive_window_->Append(QStringLiteral("\r\n"));
  receive_window_->Append(TerminalEchoLine(command, Options(), QTime::currentTime()) + QStringLiteral("\r\n"),
                          ReceiveLogView::kSent);
}

void CmdPortView::NoteUnanswered() {
  if (receive_window_->HasOpenLine()) receive_window_->Append(QStringLiteral("\r\n"));
  const QString note = QString::fromUtf8(DtuLangText(DtuTextId::kNoAnswerTo));
  for (const QString &line : unanswered_) {
    receive_window_->Append(QString(note).replace(QStringLiteral("%s"), line) + QStringLiteral("\r\n"),
                            ReceiveLogView::kNote);
  }
  unanswered_.clear();
}

void CmdPortView::SendCommands(bool clear_field) {
  for (const QString &command : TerminalCommands(send_window_->toPlainText())) {
    // A closed port is said once, not once per line.
    if (!page_->OnBnClickedSendCommand(command)) return;
    EchoSent(command);
    send_window_->AddToHistory(command);
    unanswered_ << command;
    no_answer_.start();
  }
  if (clear_field) send_window_->clear();
}

void CmdPortView::OnBnClickedSaveLog() {
  const QString path = QFileDialog::getSaveFileName(this, QString::fromUtf8(DtuLangText(DtuTextId::kSaveLog)),
                                                    QStringLiteral("receive-log.txt"));
  if (!path.isEmpty()) SaveLogTo(path);
}

bool CmdPortView::SaveLogTo(const QString &path) {
  QFile file(path);
  const QByteArray bytes = receive_window_->Text().toUtf8();
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()) {
    const QString where = QFileInfo(path).absoluteFilePath();
    DtuMessageBox(QString::fromUtf8(DtuLangText(DtuTextId::kLogSavedTo)).replace(QStringLiteral("%s"), where).toStdString());
    return true;
  }
  DtuWarningBox(QString::fromUtf8(DtuLangText(DtuTextId::kCannotWriteFile)).replace(QStringLiteral("%s"), path).toStdString());
  return false;
}

QString CmdPortView::ReceivedText() const { return receive_window_->Text(); }

int CmdPortView::ReceivedLineCount() const { return receive_window_->LineCount(); }
