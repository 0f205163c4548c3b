#include "app/workbench/workbench_texts.h"

#include <QHeaderView>
#include <QTableWidget>

#include "base/dtu_lang.h"
#include "pages/dtu_page_catalog.h"

QString WbText(DtuTextId id) { return QString::fromUtf8(DtuLangText(id)); }

QString WbFormat(DtuTextId id, const QStringList &values) {
  const QString text = WbText(id);
  QString out;
  int next = 0;
  for (int i = 0; i < text.size(); ++i) {
    const bool place = text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd');
    if (!place) {
      out += text[i];
      continue;
    }
    out += next < values.size() ? values[next] : QString();
    ++next;
    ++i;
  }
  return out;
}

QString WbPageTitle(const std::string &name) {
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.cli_name != nullptr && name == row.cli_name) return WbText(row.tree_text);
  }
  return QString::fromStdString(name);
}

QTableWidget *WbReadOnlyTable(int rows, int columns) {
  auto *table = new QTableWidget(rows, columns);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setWordWrap(false);
  return table;
}
