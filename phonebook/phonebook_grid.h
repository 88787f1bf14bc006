#pragma once
// The phonebook editor's grid and its edit overlay.
//
// PhonebookGrid speaks in the grid coordinates the editor works with: row 0
// is the fixed header row, column 0 the fixed index column, entry i is row
// i + 1, its number column 1 and its description column 2. Underneath, the
// header row is the table's horizontal header and the index column its
// vertical header, so both stay in view while the cells scroll.
//
// PhonebookOverlay (the control TextPhonebook) is the single-line text box
// that floats over the current cell. It hands its keys to the editor before
// handling them itself (including Tab and Shift+Tab, which would otherwise
// move the focus).

#include <QLineEdit>
#include <QTableWidget>

namespace phonebook {

class PhonebookGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit PhonebookGrid(QWidget* parent = nullptr);

  // "<Index|<Number   ...|<Description   ...": one column per part; the
  // leading character is the alignment ("<" left, "^" centre, ">" right), the
  // text (blanks included) sets the column's width and, trimmed, its heading.
  void SetFormatString(const QString& format);
  QString FormatString() const { return format_; }

  // Rows including the header row.
  int Rows() const { return rowCount() + 1; }
  // Header row only.
  void ClearRows();

  // The current cell (row >= 1, column 1 or 2).
  int Row() const;
  int Col() const;
  void SetRow(int row);
  void SetCol(int col);

  QString TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, const QString& text);
  // The current cell's text.
  QString Text() const { return TextMatrix(Row(), Col()); }
  void SetText(const QString& text) { SetTextMatrix(Row(), Col(), text); }

  // The current cell in the grid's own coordinates (pixels), after bringing it into view.
  QRect CurrentCellRect();
  // The same without scrolling; a null rectangle when the cell is not wholly in view.
  QRect CurrentCellRectInView() const;

 signals:
  // The operator pressed the mouse on a cell (it is the current cell now).
  void CellSelectedByMouse();
  // The visible part of the grid moved.
  void Scrolled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString format_;
  QString indexHeading_;
};

class PhonebookOverlay : public QLineEdit {
  Q_OBJECT
 public:
  // What the editor does with a key before the text box sees it.
  struct KeyHandler {
    virtual ~KeyHandler() = default;
    // Key down: true when the key was consumed.
    virtual bool OverlayKeyDown(int key, Qt::KeyboardModifiers modifiers) = 0;
    // A character key: true when it was swallowed.
    virtual bool OverlayKeyPress(const QString& text) = 0;
    virtual void OverlayKeyUp() = 0;
    // The focus is about to leave for another widget: false refuses.
    virtual bool OverlayValidate() = 0;
    virtual void OverlayLostFocus() = 0;
    // A key arrived while the overlay was hidden (the grid scrolled its cell
    // away): the overlay goes back over the current cell before the key is
    // handled, so typing never lands in a cell out of view.
    virtual void ShowOverlayOverCell() = 0;
  };

  explicit PhonebookOverlay(QWidget* parent = nullptr);
  void SetKeyHandler(KeyHandler* handler) { handler_ = handler; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  KeyHandler* handler_ = nullptr;
};

}  // namespace phonebook
