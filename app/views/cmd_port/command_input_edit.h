// The command port's send field, as a terminal's input line: Enter sends,
// Shift+Enter adds a line break, Up and Down walk the commands sent in this
// session (the newest 100). Up works on the first line of the field, Down on
// the last, so a multi-line text can still be edited with the arrow keys.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

class CommandInputEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kHistoryMax = 100;

  explicit CommandInputEdit(QWidget *parent = nullptr);

  // Remembers a sent command (consecutive repeats once) and ends any walk.
  void AddToHistory(const QString &command);
  const QStringList &History() const { return history_; }

 signals:
  // Enter was pressed: send what the field holds.
  void SubmitRequested();

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  bool WalkHistory(int step);  // -1 older, +1 newer; false when nothing to walk

  QStringList history_;  // oldest first
  int walk_ = -1;        // index into history_ while walking, -1 at the draft
  QString draft_;        // what the field held before the walk began
};
