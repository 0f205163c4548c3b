// The workbench's texts in the current language: a table text, one with its
// %s and %d filled in order, and a page's tree text by varnokctl's name.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include "base/dtu_text_id.h"

QString WbText(DtuTextId id);
QString WbFormat(DtuTextId id, const QStringList &values);
QString WbPageTitle(const std::string &name);
