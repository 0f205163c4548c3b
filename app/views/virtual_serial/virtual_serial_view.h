// The virtual serial page's widgets: the account and product groups, the
// device tree, the exchange log, the send field and the link buttons. Every
// action goes to VirtualSerialTool; the widgets follow its signals.
#pragma once

#include <QPointer>
#include <QWidget>

class FleetApplyDialog;

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class ReceiveLogView;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class VirtualSerialTool;

class VirtualSerialView : public QWidget {
  Q_OBJECT

 public:
  explicit VirtualSerialView(VirtualSerialTool *tool, QWidget *parent = nullptr);
  void UpdateLanguage();
  // The fleet apply's dialog while it is open, else null.
  FleetApplyDialog *FleetDialog() const;

 private:
  QWidget *BuildAccountGroup();
  QWidget *BuildProductGroup();
  QWidget *BuildDeviceColumn();
  QWidget *BuildExchangeColumn();
  QLineEdit *NewField(int field, const char *name, QWidget *parent);
  QPushButton *NewButton(const char *name, void (VirtualSerialTool::*action)(), QWidget *parent);
  void ShowField(int field);
  void ShowLabels();
  void RebuildTree();
  void OnTreeItemChanged(QTreeWidgetItem *item);
  void EnableButtons();
  void ApplyFileToTicked();

  VirtualSerialTool *tool_;
  QLineEdit *fields_[5] = {};  // the line fields, by VirtualSerialTool::Field
  QPlainTextEdit *send_ = nullptr;
  ReceiveLogView *log_ = nullptr;
  QTreeWidget *tree_ = nullptr;
  QGroupBox *account_ = nullptr;
  QGroupBox *product_ = nullptr;
  QLabel *username_label_ = nullptr;
  QLabel *password_label_ = nullptr;
  QLabel *device_id_label_ = nullptr;
  QLabel *tip_ = nullptr;
  QPushButton *login_ = nullptr;
  QPushButton *refresh_ = nullptr;
  QPushButton *connect_ = nullptr;
  QPushButton *disconnect_ = nullptr;
  QPushButton *send_button_ = nullptr;
  QPushButton *apply_file_ = nullptr;
  QPointer<FleetApplyDialog> fleet_dialog_;
  bool rebuilding_tree_ = false;
};
