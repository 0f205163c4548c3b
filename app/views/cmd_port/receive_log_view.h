// The command port's receive window: a read-only list of text lines that
// keeps only the newest ones. Appending costs the same however full the window
// is (lines are kept in a deque and only the visible ones are drawn), so a
// chatty device never slows the window down. Lines can be selected with the
// mouse (whole lines) and copied with Ctrl+C; Ctrl+A selects everything.
// Each line has a kind that gives its colour (received, sent, a note), and
// long lines can wrap at the window's edge instead of running off it.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <deque>

class ReceiveLogView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum Kind : unsigned char { kReceived, kSent, kNote };

  explicit ReceiveLogView(int max_lines, QWidget *parent = nullptr);

  // Appends text; "\r\n", "\r" and "\n" end lines. Text after the last line
  // end stays open and the next append continues it (a line keeps the kind
  // of the text that opened it).
  void Append(const QString &text, Kind kind = kReceived);
  void Clear();
  // Long lines continue on the next rows instead of under the horizontal bar.
  void SetWrap(bool wrap);
  bool Wraps() const { return wrap_; }
  // The kind of a line (0 is the oldest kept).
  Kind KindAt(int line) const;

  // Complete lines plus the open one (if it holds anything).
  int LineCount() const;
  // True when text after the last line end waits for more.
  bool HasOpenLine() const { return !open_line_.isEmpty(); }
  // Every line joined with "\n" (a closed last line ends with "\n").
  QString Text() const;
  QString SelectedText() const;
  void SelectAll();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

 private:
  const QString &LineAt(int row) const;
  // The line under a point of the viewport.
  int RowAt(int y) const;
  int LineHeight() const;
  int VisibleRows() const;
  void UpdateScrollRange(bool follow);
  void DropOldest(int count);
  // Wrapping: characters a row holds, rows a line takes, all rows, and the
  // line (and its first row) at a row.
  int Columns() const;
  int RowsOf(const QString &line) const;
  int TotalRows() const;
  // The rows of the closed lines, kept as lines come and go, so a line
  // appended to a full wrapped log does not walk all of it; counted afresh
  // when the row width changes.
  int ClosedRows() const;
  int LineAtRow(int row, int *line_first_row) const;
  QColor KindColour(Kind kind) const;

  int max_lines_;
  std::deque<QString> lines_;  // closed lines, oldest first
  std::deque<Kind> kinds_;     // the kind of each closed line
  QString open_line_;          // text after the last line end
  Kind open_kind_ = kReceived;
  bool wrap_ = false;
  int widest_ = 0;             // longest line seen (characters), for the horizontal bar
  mutable int closed_rows_ = 0;            // rows of lines_ at closed_rows_columns_
  mutable int closed_rows_columns_ = -1;   // -1: to be counted
  int anchor_ = -1;            // selection: rows anchor_..cursor_ (inclusive)
  int cursor_ = -1;
};
