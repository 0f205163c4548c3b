#include "app/fleet/fleet_apply_start.h"

#include <QFileInfo>

#include "app/fleet/fleet_apply_dialog.h"
#include "app/views/kit/confirm_question.h"
#include "app/workbench/workbench_texts.h"
#include "base/dtu_message.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

namespace {

FleetApplyRequest RequestFor(const VirtualSerialTool &tool) {
  using Tool = VirtualSerialTool;
  FleetApplyRequest request;
  request.file = QFileInfo(QString::fromStdString(DtuPageConfigPath())).absoluteFilePath();
  for (const Tool::DeviceRow &device : tool.Devices()) {
    if (device.checked) request.imeis << QString::fromStdString(device.imei);
  }
  request.username = tool.FieldText(Tool::kUsername);
  request.password = tool.FieldText(Tool::kPassword);
  request.product_key = tool.FieldText(Tool::kProductKey);
  request.product_secret = tool.FieldText(Tool::kProductSecret);
  request.platform = PlatformSettingsLoad(tool.ConfigPath());
  return request;
}

// The IMEIs of the question: all of a few, the first ones of many.
QString ImeiList(const QStringList &imeis) {
  constexpr int kNamed = 10;
  if (imeis.size() <= kNamed) return imeis.join(QStringLiteral(", "));
  return imeis.mid(0, kNamed).join(QStringLiteral(", ")) + QStringLiteral(", … (+%1)").arg(imeis.size() - kNamed);
}

}  // namespace

FleetApplyDialog *FleetApplyAskAndStart(QWidget *parent, const VirtualSerialTool &tool) {
  FleetApplyRequest request = RequestFor(tool);
  if (request.imeis.isEmpty()) {
    DtuWarningBox(WbText(DtuTextId::kFleetNoneTicked).toStdString());
    return nullptr;
  }
  const QString question =
      WbFormat(DtuTextId::kFleetAsk, {QString::number(request.imeis.size()), request.file, ImeiList(request.imeis)});
  if (!DtuAskYesNo(parent, question)) return nullptr;
  auto *dialog = new FleetApplyDialog(std::make_unique<FleetApplyRun>(std::move(request)), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}
