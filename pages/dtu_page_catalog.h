// The page catalog: every item of the window's page tree, in tree order,
// with the page logic object behind it. The window builds its tree from it,
// the page host constructs the logic objects in its order, and varnokctl
// finds its pages (read/set, --help, backup, apply) in it.
//
// Each page family fills it from its own folder: one registration, in any
// .cpp of the folder (pages/<family>/<family>_pages.cpp by custom),
//
//   DTU_PAGE_FAMILY(mqtt, {DtuPageCode::kMqtt, DtuTextId::kTreeMqttMode, DtuPageCode::kWorkMode,
//                          DtuPageCode::kMqtt, "mqtt", &DtuMakePage<DtuMqtt>});
//
// The rows stand in the order of their codes, which is the tree's order and
// the construction order; a row comes after its parent. pages/CMakeLists.txt
// keeps every family folder's registration in every program that uses the
// catalog (a folder under pages/ other than kit/ is a family and registers).
// A page that is not a family of this folder (a test's own page) registers
// the same way from its own source file, linked into its program.
// How to add a page, whole: docs/ARCHITECTURE.md.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"

class DtuPage;

// The code each tree item carries; ShowPage takes it. The numbers are the
// ones the window has always used; a page registered from elsewhere takes a
// number of its own above these (its place in the tree: after every smaller
// code).
enum class DtuPageCode : int {
  kNone = -1,  // no page: a parent of top-level items, or an item that shows nothing
  kRoot = 0,
  kCmdPort = 1,
  kDataPort = 2,
  kUartParams = 3,
  kModbus = 4,
  kModbusCache = 5,
  kDlt645 = 6,
  kDevinfo = 7,
  kNet = 8,
  kWorkMode = 9,
  kTcpUdp = 10,
  kMqtt = 11,
  kMqttAliyun = 12,
  kMqttOnenet = 13,
  kBhu = 14,
  kVirtualSerial = 15,
  kHelp = 16,
};

// True for the codes above (kNone excluded) and every registered code; any
// other code shows the command port page.
bool DtuPageCodeKnown(int code);

using DtuPageFactory = std::unique_ptr<QObject> (*)();

template <class Page>
std::unique_ptr<QObject> DtuMakePage() {
  return std::make_unique<Page>();
}

struct DtuPageCatalogRow {
  DtuPageCode code;
  DtuTextId tree_text;
  DtuPageCode parent;    // kNone: the root item itself
  DtuPageCode shows;     // the page this item shows: itself, another item's page, or kNone
  const char *cli_name;  // varnokctl's name of the page; null: not reachable from varnokctl
  DtuPageFactory make;   // null: no logic object; the item shows another's page or none (`shows`)
};

// Every registered row, in the order of their codes.
const std::vector<DtuPageCatalogRow> &DtuPageCatalog();
// The row of a code, or null.
const DtuPageCatalogRow *DtuPageCatalogFind(DtuPageCode code);
// The page a code shows: the row's `shows`, the code itself for a known code
// without a row, the command port for an unknown code.
DtuPageCode DtuPageShownBy(int code);

// Adds a family's rows to the catalog (DTU_PAGE_FAMILY does it while the
// program starts); a row whose code is already there is left out, with a
// line in the log. Returns the number of rows added.
int DtuRegisterPages(const std::vector<DtuPageCatalogRow> &rows);

// Pages that work together when one host holds them all (the window): once
// every page object is built, the host calls each family's join with its
// lookup of the objects by code. A page made alone (varnokctl) is joined to
// nobody.
using DtuPageLookup = std::function<QObject *(DtuPageCode)>;
using DtuPageJoin = void (*)(const DtuPageLookup &logic);
// Registers a join (while the program starts, beside the family's rows);
// returns the number of joins so far.
int DtuRegisterPageJoin(DtuPageJoin join);
const std::vector<DtuPageJoin> &DtuPageJoins();

// One family's registration. `family` names the folder; the constant it
// defines is what pages/CMakeLists.txt refers to, so the linker keeps the
// registration with it.
#define DTU_PAGE_FAMILY(family, ...)       \
  extern const int kDtuPageFamily_##family; \
  const int kDtuPageFamily_##family = DtuRegisterPages({__VA_ARGS__})
