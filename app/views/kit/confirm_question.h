// Asks before a dangerous action: a question box with Yes and No, No being
// the default, so that Enter or Escape never triggers the action.
#pragma once

class QString;
class QWidget;

// True only when the user chose Yes.
bool DtuAskYesNo(QWidget *parent, const QString &question);
