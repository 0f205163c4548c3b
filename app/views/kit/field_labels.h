// The window's label of a field named by its page ("Server", "BaudRate", ...)
// and the entries of lists the pages give as fixed English words ("None",
// "OFF"), both in the current language. In English a label is the field's
// name exactly as the page spells it; in Chinese it is the name's twin from
// the text table. A name without a twin is its own label in both languages.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "base/dtu_text_id.h"

QString DtuFieldLabel(const char *field_name);
// A declared label wins over the name (pages/kit/dtu_field_def.h, Labelled).
QString DtuFieldLabel(const char *field_name, const std::optional<DtuTextId> &declared);
// Each entry in the current language; entries without a twin stay as given.
QStringList DtuShownListItems(const QStringList &items);
