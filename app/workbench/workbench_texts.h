// What the workbench's views share: their texts in the current language (a
// table text, one with its %s and %d filled in order, a page's tree text by
// varnokctl's name) and the look of their read-only tables.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include "base/dtu_text_id.h"

QString WbText(DtuTextId id);
QString WbFormat(DtuTextId id, const QStringList &values);
QString WbPageTitle(const std::string &name);

class QTableWidget;
// A table of whole rows to read and select, not to edit, one line a row.
QTableWidget *WbReadOnlyTable(int rows, int columns);
