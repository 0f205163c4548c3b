// The TCP/UDP page's widgets: two halves, each with its own Read and Set;
// product key and secret show only for the maker's cloud.
#pragma once

#include <QWidget>

class DtuTcpUdp;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TcpUdpView : public QWidget {
  Q_OBJECT

 public:
  explicit TcpUdpView(DtuTcpUdp *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  // Labels in the order type, server address, server port, product key,
  // product secret.
  struct HalfWidgets {
    QGroupBox *group;
    QComboBox *type;
    QLabel *labels[5];
    QLineEdit *key;
    QLineEdit *secret;
    QPushButton *set;
    QPushButton *read;
  };
  void BuildHalf(int half, HalfWidgets &w);
  void ApplyVisibility();

  DtuTcpUdp *page_;
  PageFieldBinder *binder_;
  HalfWidgets halves_[2];
  QPushButton *save_local_;
  QPushButton *read_local_;
};
