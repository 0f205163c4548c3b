#include "app/page_host.h"

#include <QGridLayout>
#include <QLabel>

#include "app/views/cmd_port_view.h"
#include "app/views/data_port_view.h"
#include "app/views/devinfo_view.h"
#include "app/views/dlt645_view.h"
#include "app/views/mqtt_aliyun_view.h"
#include "app/views/mqtt_onenet_view.h"
#include "app/views/mqtt_view.h"
#include "app/views/net_view.h"
#include "app/views/tcp_udp_view.h"
#include "app/views/virtual_serial_view.h"
#include "app/views/work_mode_view.h"
#include "base/dtu_lang.h"
#include "pages/dtu_cmd_port_page.h"
#include "pages/dtu_data_port.h"
#include "pages/dtu_devinfo.h"
#include "pages/dtu_dlt645.h"
#include "pages/dtu_mqtt.h"
#include "pages/dtu_mqtt_aliyun.h"
#include "pages/dtu_mqtt_onenet.h"
#include "pages/dtu_net.h"
#include "pages/dtu_tcp_udp.h"
#include "pages/dtu_work_mode.h"
#include "pages/virtual_serial_tool.h"

namespace {

// Tree texts of the pages that are not built yet; their placeholders show them.
constexpr int kTextModbus = 7;
constexpr int kTextBhu = 16;
constexpr int kCodeVirtualSerial = 15;

}  // namespace

DtuPageHost::DtuPageHost(QWidget *parent) : QWidget(parent) {
  auto *layout = new QGridLayout(this);
  layout->setContentsMargins(2, 2, 2, 3);
  BuildLogic();
  BuildViews();
}

DtuPageHost::~DtuPageHost() {
  // Views go first: they hold pointers to the page logic below.
  for (const HostedView &hosted : hosted_) {
    delete hosted.view;
  }
  hosted_.clear();
}

void DtuPageHost::BuildLogic() {
  // The order in which the answer handlers' page references come to be.
  cmd_port_ = std::make_unique<DtuCmdPortPage>();
  data_port_ = std::make_unique<DtuDataPort>();
  devinfo_ = std::make_unique<DtuDevinfo>();
  net_ = std::make_unique<DtuNet>();
  work_mode_ = std::make_unique<DtuWorkMode>();
  tcp_udp_ = std::make_unique<DtuTcpUdp>();
  mqtt_ = std::make_unique<DtuMqtt>();
  mqtt_aliyun_ = std::make_unique<DtuMqttAliyun>();
  mqtt_onenet_ = std::make_unique<DtuMqttOnenet>();
  dlt645_ = std::make_unique<DtuDLT645>();
  virtual_serial_ = std::make_unique<VirtualSerialTool>();
}

template <typename View, typename Page>
View *DtuPageHost::HostView(Page *page) {
  auto *view = new View(page);
  Host(view, [view] { view->UpdateLanguage(); });
  return view;
}

void DtuPageHost::Host(QWidget *view, std::function<void()> update_language) {
  // Every page sits in the same cell; only the visible one takes space.
  static_cast<QGridLayout *>(layout())->addWidget(view, 0, 0);
  view->hide();
  hosted_.append({view, std::move(update_language)});
}

QWidget *DtuPageHost::Placeholder(int title_id) {
  auto *label = new QLabel;
  label->setAlignment(Qt::AlignCenter);
  label->setEnabled(false);
  Host(label, [label, title_id] { label->setText(DtuLangText(title_id)); });
  return label;
}

void DtuPageHost::BuildViews() {
  // Creation order of the windows: command port, data port, Modbus, device
  // information, network, work mode, TCP/UDP, MQTT, Aliyun, OneNET, business
  // packets, virtual serial.
  cmd_port_view_ = HostView<CmdPortView>(cmd_port_.get());
  data_port_view_ = HostView<DataPortView>(data_port_.get());
  modbus_view_ = Placeholder(kTextModbus);
  devinfo_view_ = HostView<DevinfoView>(devinfo_.get());
  net_view_ = HostView<NetView>(net_.get());
  work_mode_view_ = HostView<WorkModeView>(work_mode_.get());
  tcp_udp_view_ = HostView<TcpUdpView>(tcp_udp_.get());
  mqtt_view_ = HostView<MqttView>(mqtt_.get());
  aliyun_view_ = HostView<MqttAliyunView>(mqtt_aliyun_.get());
  onenet_view_ = HostView<MqttOnenetView>(mqtt_onenet_.get());
  bhu_view_ = Placeholder(kTextBhu);
  dlt645_view_ = HostView<Dlt645View>(dlt645_.get());
  virtual_serial_view_ = HostView<VirtualSerialView>(virtual_serial_.get());
}

void DtuPageHost::UpdateLanguage() {
  for (const HostedView &hosted : hosted_) {
    hosted.update_language();
  }
}

QWidget *DtuPageHost::PageForCode(int code) const {
  switch (code) {
    case 2:
    case 3:
      return data_port_view_;
    case 4:
      return modbus_view_;
    case 6:
      return dlt645_view_;
    case 5:
    case 16:
      return nullptr;
    case 7:
      return devinfo_view_;
    case 8:
      return net_view_;
    case 9:
      return work_mode_view_;
    case 10:
      return tcp_udp_view_;
    case 11:
      return mqtt_view_;
    case 12:
      return aliyun_view_;
    case 13:
      return onenet_view_;
    case 14:
      return bhu_view_;
    case 15:
      return virtual_serial_view_;
    default:
      return cmd_port_view_;
  }
}

void DtuPageHost::ShowPage(int code) {
  for (const HostedView &hosted : hosted_) {
    hosted.view->hide();
  }
  virtual_serial_->SetOnView(false);
  if (QWidget *page = PageForCode(code)) {
    page->show();
  }
  if (code == kCodeVirtualSerial) {
    // Received serial text now goes to the cloud link instead of the pages,
    // and the page reloads its account from the file.
    virtual_serial_->SetOnView(true);
  }
}

QList<QWidget *> DtuPageHost::Pages() const {
  QList<QWidget *> pages;
  for (const HostedView &hosted : hosted_) {
    pages.append(hosted.view);
  }
  return pages;
}

QWidget *DtuPageHost::VisiblePage() const {
  for (const HostedView &hosted : hosted_) {
    if (!hosted.view->isHidden()) {
      return hosted.view;
    }
  }
  return nullptr;
}
