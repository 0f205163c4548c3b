// The page rectangle inside the tab area: owns every page logic object (built
// in the order the answer handlers expect) and every page view, and shows one
// page at a time by page code.
#pragma once

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class CmdPortView;
class DtuCmdPortPage;
class DtuDataPort;
class DtuDevinfo;
class DtuDLT645;
class DtuMqtt;
class DtuMqttAliyun;
class DtuMqttOnenet;
class DtuNet;
class DtuTcpUdp;
class DtuWorkMode;
class VirtualSerialTool;

class DtuPageHost : public QWidget {
  Q_OBJECT

 public:
  explicit DtuPageHost(QWidget *parent = nullptr);
  ~DtuPageHost() override;

  // Hides every page, clears the remote mode, then shows the page of the
  // code (none for 5, 6 and 16; the command port for 0, 1 and unknown codes).
  // Code 15 (Virtual Serial) also sets the remote mode.
  void ShowPage(int code);
  // Re-labels the pages in the order the window has always used.
  void UpdateLanguage();

  // The page shown for a code, null when the code shows none.
  QWidget *PageForCode(int code) const;
  QList<QWidget *> Pages() const;
  QWidget *VisiblePage() const;

  DtuCmdPortPage *CmdPortPage() const { return cmd_port_.get(); }
  DtuDataPort *DataPortPage() const { return data_port_.get(); }
  DtuDevinfo *DevinfoPage() const { return devinfo_.get(); }
  DtuNet *NetPage() const { return net_.get(); }
  DtuWorkMode *WorkModePage() const { return work_mode_.get(); }
  DtuTcpUdp *TcpUdpPage() const { return tcp_udp_.get(); }
  DtuMqtt *MqttPage() const { return mqtt_.get(); }
  DtuMqttAliyun *MqttAliyunPage() const { return mqtt_aliyun_.get(); }
  DtuMqttOnenet *MqttOnenetPage() const { return mqtt_onenet_.get(); }
  DtuDLT645 *Dlt645Page() const { return dlt645_.get(); }
  VirtualSerialTool *VirtualSerialPage() const { return virtual_serial_.get(); }
  CmdPortView *CmdPortPageView() const { return cmd_port_view_; }

 private:
  struct HostedView {
    QWidget *view;
    std::function<void()> update_language;
  };
  void Host(QWidget *view, std::function<void()> update_language);
  QWidget *Placeholder(int title_id);
  template <typename View, typename Page>
  View *HostView(Page *page);
  void BuildLogic();
  void BuildViews();

  // Page logic, in construction order; destroyed in reverse order. The
  // Modbus, Modbus cache, DL/T 645 and business packet pages are not built
  // yet: their places in the tab area hold placeholders.
  std::unique_ptr<DtuCmdPortPage> cmd_port_;
  std::unique_ptr<DtuDataPort> data_port_;
  std::unique_ptr<DtuDevinfo> devinfo_;
  std::unique_ptr<DtuNet> net_;
  std::unique_ptr<DtuWorkMode> work_mode_;
  std::unique_ptr<DtuTcpUdp> tcp_udp_;
  std::unique_ptr<DtuMqtt> mqtt_;
  std::unique_ptr<DtuMqttAliyun> mqtt_aliyun_;
  std::unique_ptr<DtuMqttOnenet> mqtt_onenet_;
  std::unique_ptr<DtuDLT645> dlt645_;
  std::unique_ptr<VirtualSerialTool> virtual_serial_;

  CmdPortView *cmd_port_view_ = nullptr;
  QWidget *data_port_view_ = nullptr;
  QWidget *modbus_view_ = nullptr;
  QWidget *devinfo_view_ = nullptr;
  QWidget *net_view_ = nullptr;
  QWidget *work_mode_view_ = nullptr;
  QWidget *tcp_udp_view_ = nullptr;
  QWidget *mqtt_view_ = nullptr;
  QWidget *aliyun_view_ = nullptr;
  QWidget *onenet_view_ = nullptr;
  QWidget *bhu_view_ = nullptr;
  QWidget *virtual_serial_view_ = nullptr;
  QWidget *dlt645_view_ = nullptr;
  QList<HostedView> hosted_;
};
