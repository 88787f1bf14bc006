#pragma once
// fPhoneBook: the phonebook editor. A grid of entries (index, number,
// description) with a text box that floats over the current cell, the File
// menu (save, print, print to file, exit) and the Edit menu (clear, and for
// the explicit family resynchronisation from the database or the device).
//
// Opened three ways: modally from fMain (GetObjects) or fMainExplicit
// (GetDeviceObject), or directly on a directory LonMark object by a director
// (ProcessLonMarkObjectCommand, shown through the plug-in's Visible); closing
// it in that last case ends the plug-in.

#include <QDialog>

#include "host/lns/lns.h"
#include "host/plugin_window.h"
#include "phonebook/phonebook_grid.h"
#include "phonebook/phonebook_store.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;

namespace phonebook {

struct ListingSource;

class fPhoneBook : public QDialog, public PlugInWindow, private PhonebookOverlay::KeyHandler {
  Q_OBJECT
 public:
  // The grid's columns: index, number (50 blanks of room), description (34).
  static const QString kFormatString;

  explicit fPhoneBook(QWidget* parent = nullptr);
  ~fPhoneBook() override;

  // --- Opening -------------------------------------------------------------
  // From fMain: the device, the modem object, the phonebook object and its
  // UCPT_DialString property; fills the grid (LonMark family).
  void GetObjects(lns::AppDevicePtr Device, lns::LonMarkObjectPtr LonMarkObject, lns::LonMarkObjectPtr LonMarkObjectPB,
                  lns::ConfigPropertyPtr ConfigPropertyPB);
  // From fMainExplicit: the device; fills the grid from the database copy and
  // resets every LoadedNumber (explicit family).
  void GetDeviceObject(lns::AppDevicePtr device);
  // How explicit-family requests reach the device (the main window's control).
  void SetSender(MessageSender send) { send_ = std::move(send); }

  // PlugInWindow: opened directly on a directory LonMark object.
  WindowId id() const override { return WindowId::fPhoneBook; }
  QWidget* widget() override { return this; }
  BorderStyle borderStyle() const override { return BorderStyle::Sizable; }
  void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) override;
  void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand& command) override;
  bool EndPlugIn() override { return false; }

  // --- The editor's operations ----------------------------------------------
  void PlaceOverlay();
  // Save for the window's family (explicit: database only while DatabaseOnlySave holds).
  void Save();
  void MenuSave_Click();
  void MenuPrint_Click();
  void MenuPrintFile_Click();
  void MenuExit_Click();
  void MenuClear_Click();
  void MenuResyncDatabase_Click();
  void MenuResyncDevice_Click();
  // Asks the question, then rewrites the grid from the resynchronisation.
  using ResyncOperation = bool (*)(const lns::AppDevicePtr&, GridRows&, const MessageSender&, QWidget*);
  void RunResync(const QString& question, ResyncOperation resync);

  bool explicitFamily() const { return explicit_; }
  const lns::AppDevicePtr& device() const { return device_; }

  // --- Window state ----------------------------------------------------------
  bool PhonebookModified = false;
  bool PhonebookListChanged = false;
  bool CaretToStart = false;
  bool CaretToEnd = false;
  qint16 PlacedTextLength = 0;
  qint16 CaretPosition = 0;
  QString LastValidDescription;
  QString LastValidNumber;

  // --- Controls -----------------------------------------------------------------
  PhonebookGrid* MSFlexGrid = nullptr;
  PhonebookOverlay* TextPhonebook = nullptr;
  QFrame* Frame1 = nullptr;
  QLabel* LabelDevice = nullptr;
  QMenuBar* MenuBar = nullptr;
  QMenu* MenuFile = nullptr;
  QAction* MenuSave = nullptr;
  QAction* Divider = nullptr;
  QAction* MenuPrint = nullptr;
  QAction* MenuPrintFile = nullptr;
  QAction* Divider2 = nullptr;
  QAction* MenuExit = nullptr;
  QMenu* MenuEdit = nullptr;
  QAction* MenuClear = nullptr;
  QAction* Separator = nullptr;
  QMenu* MenuResync = nullptr;
  QAction* MenuResyncDatabase = nullptr;
  QAction* MenuResyncDevice = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  // PhonebookOverlay::KeyHandler
  bool OverlayKeyDown(int key, Qt::KeyboardModifiers modifiers) override;
  bool OverlayKeyPress(const QString& text) override;
  void OverlayKeyUp() override;
  bool OverlayValidate() override;
  void OverlayLostFocus() override;

  void OverlayTextChanged(const QString& text);
  // The grid scrolled: the overlay moves with its cell, or hides while the
  // cell is out of view.
  void GridScrolled();
  // The overlay over the current cell again, its text and caret as they were.
  void ShowOverlayOverCell() override;
  QRect OverlayGeometry(const QRect& cell) const;
  // Validates the overlay's text for the current column; false when refused.
  bool ValidateOverlay(bool fromFocusChange);
  void SetOverlayText(const QString& text, int caret);
  void Refuse();
  void LayOut();

  // The window's family and its menus; called when the editor is filled.
  void SetFamily(bool explicitFamily);
  // Grid contents.
  void FillGrid(const GridRows& rows);
  // The same, staying on the current cell.
  void FillGridKeepingCell(const GridRows& rows);
  GridRows GridContents() const;
  void RebuildEmptyGrid(int entries);
  void HideForWork();
  void ShowAfterWork(bool toFirstCell);
  // Row 1, column 1 current and the overlay placed (the window's activation).
  void Activate();

  // The operations of each family.
  void SaveLonMark();
  void SaveExplicit();
  void SaveExplicitDatabaseOnly();
  void OpenPrintDialog();
  // What the listings are made from: the stored phonebook of this device.
  ListingSource Source() const;

  QString Send(const QString& request);

  bool explicit_ = false;
  lns::AppDevicePtr device_;
  lns::LonMarkObjectPtr lonMarkObject_;    // the modem object of fMain, or the opened object
  lns::LonMarkObjectPtr phonebookObject_;  // the object whose UCPT_DialString holds the numbers
  LonMarkDirectory directory_;             // its numbers and the records of their descriptions
  // LonMark family: the entries whose number could not be read when the grid
  // was filled. Their empty cells are not saved over the device's numbers.
  QSet<int> unreadNumbers_;
  MessageSender send_;

  bool settingText_ = false;  // the overlay's text is being set by the editor
  bool closing_ = false;
};

}  // namespace phonebook
