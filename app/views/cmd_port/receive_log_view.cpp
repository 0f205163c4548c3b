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

void ReceiveLogView::Append(const QString &text) {
  if (text.isEmpty()) {
    return;
  }
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
    lines_.push_back(std::move(open_line_));
    open_line_.clear();
  }
  open_line_ += QStringView(text).mid(start);
  if (static_cast<int>(lines_.size()) > max_lines_) {
    DropOldest(static_cast<int>(lines_.size()) - max_lines_);
  }
  UpdateScrollRange(follow);
  viewport()->update();
}

void ReceiveLogView::DropOldest(int count) {
  lines_.erase(lines_.begin(), lines_.begin() + count);
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
  open_line_.clear();
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

int ReceiveLogView::LineHeight() const { return std::max(1, QFontMetrics(font()).lineSpacing()); }

int ReceiveLogView::VisibleRows() const { return std::max(1, viewport()->height() / LineHeight()); }

int ReceiveLogView::RowAt(int y) const { return verticalScrollBar()->value() + std::max(0, y) / LineHeight(); }

void ReceiveLogView::UpdateScrollRange(bool follow) {
  QScrollBar *bar = verticalScrollBar();
  bar->setPageStep(VisibleRows());
  bar->setRange(0, std::max(0, LineCount() - VisibleRows()));
  if (follow) {
    bar->setValue(bar->maximum());
  }
  QScrollBar *hbar = horizontalScrollBar();
  hbar->setPageStep(viewport()->width());
  // Measuring every line would cost a text layout per line; the fixed font
  // makes the character count a good enough width.
  const int widest_px = widest_ * QFontMetrics(font()).averageCharWidth();
  hbar->setRange(0, std::max(0, widest_px - viewport()->width() + 8));
}

void ReceiveLogView::resizeEvent(QResizeEvent *event) {
  QAbstractScrollArea::resizeEvent(event);
  QScrollBar *bar = verticalScrollBar();
  UpdateScrollRange(bar->value() >= bar->maximum());
}

void ReceiveLogView::paintEvent(QPaintEvent *) {
  QPainter painter(viewport());
  const int height = LineHeight();
  const int ascent = QFontMetrics(font()).ascent();
  const int first = verticalScrollBar()->value();
  const int last = std::min(LineCount(), first + VisibleRows() + 1);
  const int x = 4 - horizontalScrollBar()->value();
  const int sel_low = std::min(anchor_, cursor_);
  const int sel_high = std::max(anchor_, cursor_);
  for (int row = first; row < last; ++row) {
    const int top = (row - first) * height;
    const bool selected = anchor_ >= 0 && row >= sel_low && row <= sel_high;
    if (selected) {
      painter.fillRect(QRect(0, top, viewport()->width(), height), palette().highlight());
    }
    painter.setPen(selected ? palette().highlightedText().color() : palette().text().color());
    painter.drawText(x, top + ascent, LineAt(row));
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
