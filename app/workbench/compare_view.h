// The compare view of Compare with File: per page and field, the device's
// value and the file's, differences highlighted, and either side taken for
// the selected field:
//  - the device's value goes into the configuration file in use (the page's
//    Read Local, the field, its Save to Local);
//  - the file's value goes into the page's field in the window (the page
//    otherwise shows the device's values), for that page's Set to write.
#pragma once

#include <QWidget>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/workbench/workbench_run.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

class CompareView : public QWidget {
  Q_OBJECT

 public:
  explicit CompareView(QWidget *parent = nullptr);

  // Shows what a finished Compare with File saw.
  void Show(const WorkbenchRun &run);
  void UpdateLanguage();

  // The fields that differ, as "page field" (varnokctl's names).
  std::vector<std::string> Differences() const;
  // Takes a side for the field of a row; false (the view says why) when it
  // could not.
  bool TakeDevice(int row);
  bool TakeFile(int row);
  // The row of a page's field, -1 when it is not listed.
  int RowOf(const std::string &page, const std::string &field) const;

  QTableWidget *Table() const { return table_; }
  QPushButton *TakeDeviceButton() const { return take_device_; }
  QPushButton *TakeFileButton() const { return take_file_; }
  QCheckBox *OnlyDifferences() const { return only_differences_; }
  QString Outcome() const;

 private:
  struct Row {
    int page;   // index into pages_
    int field;  // index into its fields
    enum class Taken { kNone, kDevice, kFile } taken = Taken::kNone;
  };
  void Fill();
  void FillRow(int row);
  void UpdateFilter();
  void ShowPageValues(int page);
  QString PageTitle(int page) const;
  QString Shown(int page, const std::string &field, const std::string &value) const;

  const WorkbenchRun *run_ = nullptr;
  std::vector<WorkbenchComparedPage> pages_;
  std::vector<Row> rows_;
  QTableWidget *table_;
  QCheckBox *only_differences_;
  QPushButton *take_device_;
  QPushButton *take_file_;
  QLabel *hint_;
  QLabel *outcome_;
};
