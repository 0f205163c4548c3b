#include "app/shell/app_icon.h"

#include <QPainter>

QPixmap VarnokAppIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x1f, 0x6f, 0xb2));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(size * 2 / 3);
  painter.setFont(font);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("V"));
  return pixmap;
}

QIcon VarnokAppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(VarnokAppIconPixmap(size));
  return icon;
}
