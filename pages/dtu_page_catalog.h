// The page catalog: every item of the window's page tree, in tree order,
// with the page logic object behind it. The window builds its tree from it,
// the page host constructs the logic objects in its order, and varnokctl
// finds its pages (read/set, --help) in it.
//
// How to add a page (the whole list, with the files beyond these five, is in
// docs/ARCHITECTURE.md):
//  1. pages/<family>/dtu_<page>.h/.cpp: the logic class (a DtuPage for
//     read/set pages), its fields, answer handlers and payload codecs. Answer
//     handlers are member functions attached from one {key, handler} table,
//     the page reference a member: see pages/kit/dtu_page_answers.h.
//  2. One row in kDtuPageCatalog (pages/dtu_page_catalog.cpp): its code, tree
//     text, parent item, varnokctl name (null when varnokctl has none) and
//     DtuMakePage<DtuYourPage>. The row's place is the tree's order and the
//     construction order; a page code that is not an enumerator below yet
//     gets one.
//  3. app/views/<family>/<page>_view.h/.cpp: the widget view, with UpdateLanguage().
//  4. One row in kDtuPageViews (app/shell/page_views.cpp): the code and
//     DtuMakeView<YourView, DtuYourPage>, plus shown/hidden hooks if the
//     page must act when it comes into view or leaves it.
//  5. Its texts: new rows at the end of base/dtu_lang_table.cpp, named at the
//     end of base/dtu_text_id.h.
// Tests pick the files up by themselves (tests/<layer>/*.cpp).
#pragma once

#include <QObject>

#include <memory>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"

class DtuPage;

// The code each tree item carries; ShowPage takes it. The numbers are the
// ones the window has always used.
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

// True for the codes above (kNone excluded); any other code shows the
// command port page.
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

const std::vector<DtuPageCatalogRow> &DtuPageCatalog();
// The row of a code, or null.
const DtuPageCatalogRow *DtuPageCatalogFind(DtuPageCode code);
// The page a code shows: the row's `shows`, the code itself for a known code
// without a row, the command port for an unknown code.
DtuPageCode DtuPageShownBy(int code);
