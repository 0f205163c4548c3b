// The Help page: what the tool does, how to start (a port, or the dtu-sim
// simulator), where the configuration file and the log go, the terminal's
// keys, the command line and the version, in the current language.
#pragma once

#include <QWidget>

#include <vector>

class QLabel;

class HelpView : public QWidget {
  Q_OBJECT

 public:
  explicit HelpView(QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  QLabel *title_;
  std::vector<QLabel *> paragraphs_;
};
