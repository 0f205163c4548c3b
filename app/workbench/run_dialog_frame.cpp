#include "app/workbench/run_dialog_frame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WbRunFrame WbBuildRunFrame(QDialog *dialog, QWidget *middle) {
  WbRunFrame frame{new QLabel, new QLabel, new QPushButton, new QPushButton, new QPushButton};
  frame.heading->setWordWrap(true);
  frame.summary->setWordWrap(true);
  frame.summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  frame.save_report->setEnabled(false);
  frame.close->setEnabled(false);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton *button : {frame.cancel, frame.save_report, frame.close}) buttons->addWidget(button);
  auto *layout = new QVBoxLayout(dialog);
  layout->addWidget(frame.heading);
  layout->addWidget(middle, 1);
  layout->addWidget(frame.summary);
  layout->addLayout(buttons);
  QObject::connect(frame.close, &QPushButton::clicked, dialog, &QDialog::accept);
  return frame;
}
