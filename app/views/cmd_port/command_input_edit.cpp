#include "app/views/cmd_port/command_input_edit.h"

#include <QKeyEvent>
#include <QTextBlock>

CommandInputEdit::CommandInputEdit(QWidget *parent) : QPlainTextEdit(parent) {}

void CommandInputEdit::AddToHistory(const QString &command) {
  if (!command.isEmpty() && (history_.isEmpty() || history_.last() != command)) {
    history_ << command;
    if (history_.size() > kHistoryMax) history_.removeFirst();
  }
  walk_ = -1;
  draft_.clear();
}

bool CommandInputEdit::WalkHistory(int step) {
  if (history_.isEmpty()) return false;
  if (walk_ < 0) {
    if (step > 0) return false;  // already at the draft
    draft_ = toPlainText();
    walk_ = static_cast<int>(history_.size());
  }
  const int next = walk_ + step;
  if (next < 0) return true;  // stays on the oldest
  walk_ = next;
  if (walk_ >= history_.size()) {
    walk_ = -1;
    setPlainText(draft_);
  } else {
    setPlainText(history_[walk_]);
  }
  moveCursor(QTextCursor::End);
  return true;
}

void CommandInputEdit::keyPressEvent(QKeyEvent *event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
    emit SubmitRequested();
    return;
  }
  if (enter) {
    insertPlainText(QStringLiteral("\n"));
    return;
  }
  const QTextCursor cursor = textCursor();
  if (event->key() == Qt::Key_Up && cursor.block() == document()->firstBlock() && WalkHistory(-1)) return;
  if (event->key() == Qt::Key_Down && cursor.block() == document()->lastBlock() && WalkHistory(+1)) return;
  QPlainTextEdit::keyPressEvent(event);
}
