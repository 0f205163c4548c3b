#include "app/views/cmd_port/receive_log_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

ReceiveLogView::ReceiveLogView(int max_lines, QWidget *parent)
    : QAbstractScrollArea(parent), max_lines_(std::max(1, max_lines)) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  verticalScrollBar()->setSingleStep(1);
}

void ReceiveLogView::Append(const QString &text, Kind kind) {
  if (text.isEmpty()) {
    return;
  }
  if (open_line_.isEmpty()) open_kind_ = kind;
  QScrollBar *bar = verticalScrollBar();
  const bool follow = bar->value() >= bar->maximum();
  int start = 0;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
      continue;
    }
    open_line_ += QStringView(text).mid(start, i - start);
    if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
      ++i;  // "\r\n" is one line end
    }
    start = i + 1;
    widest_ = std::max(widest_, static_cast<int>(open_line_.size()));
    if (closed_rows_columns_ >= 0) closed_rows_ += RowsOf(open_line_);
    lines_.push_back(std::move(open_line_));
    kinds_.push_back(open_kind_);
    open_line_.clear();
    open_kind_ = kind;
  }
  open_line_ += QStringView(text).mid(start);
  if (static_cast<int>(lines_.size()) > max_lines_) {
    DropOldest(static_cast<int>(lines_.size()) - max_lines_);
  }
  UpdateScrollRange(follow);
  viewport()->update();
}

void ReceiveLogView::DropOldest(int count) {
  if (closed_rows_columns_ >= 0) {
    for (int i = 0; i < count; ++i) closed_rows_ -= RowsOf(lines_[static_cast<size_t>(i)]);
  }
  lines_.erase(lines_.begin(), lines_.begin() + count);
  kinds_.erase(kinds_.begin(), kinds_.begin() + count);
  // The selection moves with its lines; a selection that scrolled out is gone.
  if (anchor_ >= 0) {
    anchor_ -= count;
    cursor_ -= count;
    if (std::max(anchor_, cursor_) < 0) {
      anchor_ = cursor_ = -1;
    } else {
      anchor_ = std::max(anchor_, 0);
      cursor_ = std::max(cursor_, 0);
    }
  }
}

void ReceiveLogView::Clear() {
  lines_.clear();
  kinds_.clear();
  open_line_.clear();
  closed_rows_columns_ = -1;
  widest_ = 0;
  anchor_ = cursor_ = -1;
  UpdateScrollRange(true);
  viewport()->update();
}

int ReceiveLogView::LineCount() const {
  return static_cast<int>(lines_.size()) + (open_line_.isEmpty() ? 0 : 1);
}

const QString &ReceiveLogView::LineAt(int row) const {
  return row < static_cast<int>(lines_.size()) ? lines_[static_cast<size_t>(row)] : open_line_;
}

QString ReceiveLogView::Text() const {
  QString text;
  for (const QString &line : lines_) {
    text += line;
    text += QLatin1Char('\n');
  }
  return text + open_line_;
}

QString ReceiveLogView::SelectedText() const {
  if (anchor_ < 0) {
    return QString();
  }
  const int last = std::min(std::max(anchor_, cursor_), LineCount() - 1);
  QStringList rows;
  for (int row = std::min(anchor_, cursor_); row <= last; ++row) {
    rows << LineAt(row);
  }
  return rows.join(QLatin1Char('\n'));
}

void ReceiveLogView::SelectAll() {
  anchor_ = LineCount() > 0 ? 0 : -1;
  cursor_ = LineCount() - 1;
  viewport()->update();
}

ReceiveLogView::Kind ReceiveLogView::KindAt(int line) const {
  return line < static_cast<int>(kinds_.size()) ? kinds_[static_cast<size_t>(line)] : open_kind_;
}

void ReceiveLogView::SetWrap(bool wrap) {
  if (wrap_ == wrap) return;
  wrap_ = wrap;
  setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  UpdateScrollRange(true);
  viewport()->update();
}

int ReceiveLogView::Columns() const {
  return std::max(8, (viewport()->width() - 8) / std::max(1, QFontMetrics(font()).averageCharWidth()));
}

int ReceiveLogView::RowsOf(const QString &line) const {
  if (!wrap_ || line.isEmpty()) return 1;
  const int columns = Columns();
  return (static_cast<int>(line.size()) + columns - 1) / columns;
}

int ReceiveLogView::ClosedRows() const {
  const int columns = wrap_ ? Columns() : 0;
  if (closed_rows_columns_ != columns) {
    closed_rows_ = 0;
    for (const QString &line : lines_) closed_rows_ += RowsOf(line);
    closed_rows_columns_ = columns;
  }
  return closed_rows_;
}

int ReceiveLogView::TotalRows() const {
  if (!wrap_) return LineCount();
  return ClosedRows() + (open_line_.isEmpty() ? 0 : RowsOf(open_line_));
}

int ReceiveLogView::LineAtRow(int row, int *line_first_row) const {
  if (!wrap_) {
    *line_first_row = row;
    return row;
  }
  int first = 0;
  for (int line = 0; line < LineCount(); ++line) {
    const int rows = RowsOf(LineAt(line));
    if (row < first + rows) {
      *line_first_row = first;
      return line;
    }
    first += rows;
  }
  *line_first_row = first;
  return LineCount();
}

int ReceiveLogView::LineHeight() const { return std::max(1, QFontMetrics(font()).lineSpacing()); }

int ReceiveLogView::VisibleRows() const { return std::max(1, viewport()->height() / LineHeight()); }

int ReceiveLogView::RowAt(int y) const {
  int first_row = 0;
  return LineAtRow(verticalScrollBar()->value() + std::max(0, y) / LineHeight(), &first_row);
}

void ReceiveLogView::UpdateScrollRange(bool follow) {
  QScrollBar *bar = verticalScrollBar();
  bar->setPageStep(VisibleRows());
  bar->setRange(0, std::max(0, TotalRows() - VisibleRows()));
  if (follow) {
    bar->setValue(bar->maximum());
  }
  QScrollBar *hbar = horizontalScrollBar();
  hbar->setPageStep(viewport()->width());
  // Measuring every line would cost a text layout per line; the fixed font
  // makes the character count a good enough width.
  const int widest_px = wrap_ ? 0 : widest_ * QFontMetrics(font()).averageCharWidth();
  hbar->setRange(0, std::max(0, widest_px - viewport()->width() + 8));
}

void ReceiveLogView::resizeEvent(QResizeEvent *event) {
  QAbstractScrollArea::resizeEvent(event);
  QScrollBar *bar = verticalScrollBar();
  UpdateScrollRange(bar->value() >= bar->maximum());
}

QColor ReceiveLogView::KindColour(Kind kind) const {
  switch (kind) {
    case kSent:
      return QColor(0x1f, 0x5f, 0xbf);  // blue: what this side wrote
    case kNote:
      return QColor(0xb0, 0x60, 0x00);  // amber: what the window noticed
    default:
      return palette().text().color();
  }
}

void ReceiveLogView::paintEvent(QPaintEvent *) {
  QPainter painter(viewport());
  const int height = LineHeight();
  const int ascent = QFontMetrics(font()).ascent();
  const int x = 4 - horizontalScrollBar()->value();
  const int sel_low = std::min(anchor_, cursor_);
  const int sel_high = std::max(anchor_, cursor_);
  const int columns = wrap_ ? Columns() : 0;
  int line_first_row = 0;
  int line = LineAtRow(verticalScrollBar()->value(), &line_first_row);
  int skip = verticalScrollBar()->value() - line_first_row;  // rows of the first line above the view
  int top = 0;
  for (; line < LineCount() && top < viewport()->height(); ++line, skip = 0) {
    const QString &text = LineAt(line);
    const bool selected = anchor_ >= 0 && line >= sel_low && line <= sel_high;
    painter.setPen(selected ? palette().highlightedText().color() : KindColour(KindAt(line)));
    for (int row = skip; row < RowsOf(text) && top < viewport()->height(); ++row, top += height) {
      if (selected) painter.fillRect(QRect(0, top, viewport()->width(), height), palette().highlight());
      painter.drawText(x, top + ascent, wrap_ ? text.mid(row * columns, columns) : text);
    }
  }
}

void ReceiveLogView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  const int row = RowAt(event->position().toPoint().y());
  anchor_ = cursor_ = row < LineCount() ? row : -1;
  viewport()->update();
}

void ReceiveLogView::mouseMoveEvent(QMouseEvent *event) {
  if (anchor_ < 0 || !(event->buttons() & Qt::LeftButton)) {
    return;
  }
  cursor_ = std::clamp(RowAt(event->position().toPoint().y()), 0, std::max(0, LineCount() - 1));
  viewport()->update();
}

void ReceiveLogView::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(SelectedText());
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}
