#include "phonebook/phonebook_grid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTimer>

namespace phonebook {

namespace {

// Room a cell leaves around its text, in pixels.
constexpr int kCellMargin = 8;

Qt::Alignment AlignmentOf(QChar c) {
  switch (c.unicode()) {
    case u'^': return Qt::AlignHCenter | Qt::AlignVCenter;
    case u'>': return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

PhonebookGrid::PhonebookGrid(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("MSFlexGrid"));
  setAccessibleName(QStringLiteral("Phonebook"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  // The overlay keeps the keyboard; the grid is worked with the mouse.
  setFocusPolicy(Qt::NoFocus);
  setCornerButtonEnabled(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionsClickable(false);
  verticalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kCellMargin);

  // The corner above the index column carries the index column's heading.
  if (auto* corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
    corner->installEventFilter(this);

  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scrolled(); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scrolled(); });
  connect(this, &QTableWidget::cellPressed, this, [this](int, int) { emit CellSelectedByMouse(); });
}

void PhonebookGrid::SetFormatString(const QString& format) {
  format_ = format;
  const QStringList parts = format.split(u'|');
  const QFontMetrics cells(font());
  const QFontMetrics headings(horizontalHeader()->font());
  QStringList labels;
  QList<Qt::Alignment> alignments;
  QList<int> widths;
  for (const QString& part : parts) {
    QChar align = u'<';
    QString text = part;
    if (!text.isEmpty() && (text.front() == u'<' || text.front() == u'^' || text.front() == u'>')) {
      align = text.front();
      text.remove(0, 1);
    }
    labels << text.trimmed();
    alignments << AlignmentOf(align);
    widths << qMax(cells.horizontalAdvance(text), headings.horizontalAdvance(text.trimmed())) + kCellMargin;
  }
  indexHeading_ = labels.value(0);
  const int dataColumns = qMax<qsizetype>(0, labels.size() - 1);
  setColumnCount(dataColumns);
  for (int c = 0; c < dataColumns; ++c) {
    auto* heading = new QTableWidgetItem(labels.at(c + 1));
    heading->setTextAlignment(alignments.at(c + 1));
    setHorizontalHeaderItem(c, heading);
    setColumnWidth(c, widths.at(c + 1));
  }
  verticalHeader()->setDefaultAlignment(alignments.value(0, Qt::AlignLeft | Qt::AlignVCenter));
  horizontalHeader()->setDefaultAlignment(alignments.value(1, Qt::AlignLeft | Qt::AlignVCenter));
  verticalHeader()->setFixedWidth(widths.value(0, 0));
  if (auto* corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
    corner->update();
}

void PhonebookGrid::ClearRows() { setRowCount(0); }

int PhonebookGrid::Row() const {
  if (currentRow() >= 0)
    return currentRow() + 1;
  return rowCount() > 0 ? 1 : 0;
}

int PhonebookGrid::Col() const { return currentColumn() >= 0 ? currentColumn() + 1 : 1; }

void PhonebookGrid::SetRow(int row) {
  if (row < 1 || row > rowCount())
    return;
  setCurrentCell(row - 1, Col() - 1);
}

void PhonebookGrid::SetCol(int col) {
  if (col < 1 || col > columnCount() || rowCount() == 0)
    return;
  setCurrentCell(Row() - 1, col - 1);
}

QString PhonebookGrid::TextMatrix(int row, int col) const {
  if (row == 0) {
    if (col == 0)
      return indexHeading_;
    const QTableWidgetItem* heading = horizontalHeaderItem(col - 1);
    return heading ? heading->text() : QString();
  }
  if (col == 0) {
    const QTableWidgetItem* index = verticalHeaderItem(row - 1);
    return index ? index->text() : QString();
  }
  const QTableWidgetItem* cell = item(row - 1, col - 1);
  return cell ? cell->text() : QString();
}

void PhonebookGrid::SetTextMatrix(int row, int col, const QString& text) {
  if (row < 1 || row > rowCount() || col < 0 || col > columnCount())
    return;
  if (col == 0) {
    if (QTableWidgetItem* index = verticalHeaderItem(row - 1))
      index->setText(text);
    else
      setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
    return;
  }
  if (QTableWidgetItem* cell = item(row - 1, col - 1)) {
    if (cell->text() != text)
      cell->setText(text);
    return;
  }
  if (!text.isEmpty())
    setItem(row - 1, col - 1, new QTableWidgetItem(text));
}

QRect PhonebookGrid::CurrentCellRect() {
  const QModelIndex index = model()->index(Row() - 1, Col() - 1);
  if (!index.isValid())
    return {};
  scrollTo(index);
  return visualRect(index).translated(viewport()->pos());
}

QRect PhonebookGrid::CurrentCellRectInView() const {
  const QModelIndex index = model()->index(Row() - 1, Col() - 1);
  if (!index.isValid())
    return {};
  const QRect cell = visualRect(index);
  if (!viewport()->rect().contains(cell))
    return {};
  return cell.translated(viewport()->pos());
}

bool PhonebookGrid::eventFilter(QObject* watched, QEvent* event) {
  auto* corner = qobject_cast<QAbstractButton*>(watched);
  if (corner && event->type() == QEvent::Paint) {
    QStyleOptionHeader option;
    // Drawn like the headings beside it (the corner itself is disabled).
    option.initFrom(horizontalHeader());
    option.rect = corner->rect();
    option.text = indexHeading_;
    option.textAlignment = verticalHeader()->defaultAlignment();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised;
    QPainter painter(corner);
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

// --- PhonebookOverlay ----------------------------------------------------------------

PhonebookOverlay::PhonebookOverlay(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("TextPhonebook"));
  setFrame(false);
  hide();
}

bool PhonebookOverlay::event(QEvent* event) {
  // Tab and Shift+Tab move between the cells, not between the controls.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QLineEdit::event(event);
}

void PhonebookOverlay::keyPressEvent(QKeyEvent* event) {
  if (handler_ && !isVisible())
    handler_->ShowOverlayOverCell();
  if (handler_) {
    if (handler_->OverlayKeyDown(event->key(), event->modifiers())) {
      event->accept();
      return;
    }
    if (!event->text().isEmpty() && handler_->OverlayKeyPress(event->text())) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void PhonebookOverlay::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (handler_)
    handler_->OverlayKeyUp();
}

void PhonebookOverlay::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A menu opening (also from the keyboard, through the menu bar) or another
  // window coming up is not the operator leaving the cell: the overlay stays,
  // and takes the focus back when the menu closes.
  if (!handler_ || event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason ||
      event->reason() == Qt::ActiveWindowFocusReason)
    return;
  if (!handler_->OverlayValidate()) {
    // Refused: the focus comes back once the change under way is done.
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
    return;
  }
  handler_->OverlayLostFocus();
}

}  // namespace phonebook
