// The page tree the window shows: every item in its place, under its parent,
// with the code it has always carried. The expectation is written out here,
// not taken from the catalog the tree is built from.
#include <QTreeWidgetItemIterator>

#include "app_fixture.h"

namespace {

struct TreeItem {
  QString text;
  QString parent;  // empty: the root item
  int code;
};

std::vector<TreeItem> WindowTree(QTreeWidget *tree) {
  std::vector<TreeItem> items;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    QTreeWidgetItem *parent = (*it)->parent();
    items.push_back({(*it)->text(0), parent ? parent->text(0) : QString(), (*it)->data(0, Qt::UserRole).toInt()});
  }
  return items;
}

}  // namespace

TEST_F(MainWindowTest, TreeHoldsEveryPageInItsPlaceUnderItsParentWithItsCode) {
  const TreeItem expected[] = {
      {"DTU Config Tool", "", 0},
      {"Config Port", "DTU Config Tool", 1},
      {"Data Port-RS485", "DTU Config Tool", 2},
      {"UART Params", "Data Port-RS485", 3},
      {"Modbus Params", "Data Port-RS485", 4},
      {"Modbus Cache", "Data Port-RS485", 5},
      {"DL/T645 Meter", "Data Port-RS485", 6},
      {"Device Info", "DTU Config Tool", 7},
      {"Network Info", "DTU Config Tool", 8},
      {"Work Mode", "DTU Config Tool", 9},
      {"TCP/UDP Mode", "Work Mode", 10},
      {"MQTT Mode", "Work Mode", 11},
      {"Aliyun MQTT", "Work Mode", 12},
      {"OneNET MQTT", "Work Mode", 13},
      {"BHU", "DTU Config Tool", 14},
      {"Virtual Serial", "DTU Config Tool", 15},
      {"Help", "DTU Config Tool", 16},
  };
  const std::vector<TreeItem> items = WindowTree(window_->PageTree());
  ASSERT_EQ(items.size(), std::size(expected));
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].text, expected[i].text) << i;
    EXPECT_EQ(items[i].parent, expected[i].parent) << i;
    EXPECT_EQ(items[i].code, expected[i].code) << i;
  }
}
