#include "phonebook/fphonebook.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "device_protocol/reply_text.h"
#include "host/mmain.h"
#include "phonebook/fprint.h"
#include "phonebook/listing.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

namespace phonebook {

namespace {

// The form's measures are kept in twips; 15 twips make one pixel.
constexpr int Px(int twips) { return (twips + 7) / 15; }

constexpr int kFrameHeight = 40;

QString Blanks(int n) { return QString(n, u' '); }

QAction* Item(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QAction* Divide(QMenu* menu, const char* name) {
  QAction* action = menu->addSeparator();
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

bool MainWindowVisible(bool explicitFamily) {
  if (window_support::MainWindowLink* link = window_support::MainWindowOf(explicitFamily))
    if (QWidget* w = link->window(); w && w->isVisible())
      return true;
  if (PlugInWindow* w = ExistingWindow(explicitFamily ? WindowId::fMainExplicit : WindowId::fMain))
    return w->widget() && w->widget()->isVisible();
  return false;
}

}  // namespace

const QString fPhoneBook::kFormatString =
    QStringLiteral("<Index|<Number") + Blanks(50) + QStringLiteral("|<Description") + Blanks(34);

fPhoneBook::fPhoneBook(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fPhoneBook"));
  setWindowTitle(QStringLiteral("Phonebook"));
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  setSizeGripEnabled(true);

  MenuBar = new QMenuBar(this);
  MenuBar->setObjectName(QStringLiteral("MenuBar"));
  MenuBar->setNativeMenuBar(false);
  MenuFile = MenuBar->addMenu(QStringLiteral("&File"));
  MenuFile->setObjectName(QStringLiteral("MenuFile"));
  MenuSave = Item(MenuFile, "MenuSave", QStringLiteral("&Save"));
  Divider = Divide(MenuFile, "Divider");
  MenuPrint = Item(MenuFile, "MenuPrint", QStringLiteral("&Print"));
  MenuPrintFile = Item(MenuFile, "MenuPrintFile", QStringLiteral("Print to File"));
  Divider2 = Divide(MenuFile, "Divider2");
  MenuExit = Item(MenuFile, "MenuExit", QStringLiteral("&Exit"));
  MenuEdit = MenuBar->addMenu(QStringLiteral("&Edit"));
  MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
  MenuClear = Item(MenuEdit, "MenuClear", QStringLiteral("&Clear Phonebook"));
  Separator = Divide(MenuEdit, "Separator");
  MenuResync = MenuEdit->addMenu(QStringLiteral("&Resync Phonebook"));
  MenuResync->setObjectName(QStringLiteral("MenuResync"));
  MenuResync->menuAction()->setObjectName(QStringLiteral("MenuResync"));
  MenuResyncDatabase = Item(MenuResync, "MenuResyncDatabase", QStringLiteral("&Database Values"));
  MenuResyncDevice = Item(MenuResync, "MenuResyncDevice", QStringLiteral("&Device Values"));

  connect(MenuSave, &QAction::triggered, this, &fPhoneBook::MenuSave_Click);
  connect(MenuPrint, &QAction::triggered, this, &fPhoneBook::MenuPrint_Click);
  connect(MenuPrintFile, &QAction::triggered, this, &fPhoneBook::MenuPrintFile_Click);
  connect(MenuExit, &QAction::triggered, this, &fPhoneBook::MenuExit_Click);
  connect(MenuClear, &QAction::triggered, this, &fPhoneBook::MenuClear_Click);
  connect(MenuResyncDatabase, &QAction::triggered, this, &fPhoneBook::MenuResyncDatabase_Click);
  connect(MenuResyncDevice, &QAction::triggered, this, &fPhoneBook::MenuResyncDevice_Click);

  Frame1 = new QFrame(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setFrameShape(QFrame::StyledPanel);
  LabelDevice = new QLabel(Frame1);
  LabelDevice->setObjectName(QStringLiteral("LabelDevice"));
  LabelDevice->setGeometry(Px(240), 0, 600, kFrameHeight);
  QFont bold = LabelDevice->font();
  bold.setBold(true);
  LabelDevice->setFont(bold);

  MSFlexGrid = new PhonebookGrid(this);
  MSFlexGrid->SetFormatString(kFormatString);
  TextPhonebook = new PhonebookOverlay(this);
  TextPhonebook->SetKeyHandler(this);
  connect(TextPhonebook, &QLineEdit::textChanged, this, &fPhoneBook::OverlayTextChanged);
  connect(MSFlexGrid, &PhonebookGrid::CellSelectedByMouse, this, &fPhoneBook::PlaceOverlay);
  connect(MSFlexGrid, &PhonebookGrid::Scrolled, this, &fPhoneBook::GridScrolled);

  setMinimumSize(320, 200);
  // Wide enough for the index and number columns and most of the description.
  resize(qMin(MSFlexGrid->verticalHeader()->width() + MSFlexGrid->columnWidth(0) + MSFlexGrid->columnWidth(1) +
                  MSFlexGrid->verticalScrollBar()->sizeHint().width() + Px(125) + 4,
              900),
         520);
  SetFamily(MMain.ExplicitFamily != 0);
}

fPhoneBook::~fPhoneBook() {
  TextPhonebook->SetKeyHandler(nullptr);
  if (ExistingWindow(WindowId::fPhoneBook) == this)
    ForgetWindow(WindowId::fPhoneBook);
}

// --- Opening ----------------------------------------------------------------------

void fPhoneBook::SetFamily(bool explicitFamily) {
  explicit_ = explicitFamily;
  // Resynchronisation is offered for the explicit family only.
  MenuResync->menuAction()->setVisible(explicit_);
  Separator->setVisible(explicit_);
}

void fPhoneBook::GetObjects(lns::AppDevicePtr Device, lns::LonMarkObjectPtr LonMarkObject,
                            lns::LonMarkObjectPtr LonMarkObjectPB, lns::ConfigPropertyPtr ConfigPropertyPB) {
  platform::BusyCursor busy;
  SetFamily(false);
  device_ = std::move(Device);
  lonMarkObject_ = std::move(LonMarkObject);
  phonebookObject_ = std::move(LonMarkObjectPB);
  directory_ = DirectoryOf(phonebookObject_, std::move(ConfigPropertyPB));
  try {
    LabelDevice->setText(device_->Name());
  } catch (const lns::LnsError&) {
  }
  QString error;
  FillGrid(LoadLonMarkRows(device_, directory_, &error, &unreadNumbers_));
  if (!error.isEmpty())
    platform::msgBox(error, platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0, this);
}

void fPhoneBook::GetDeviceObject(lns::AppDevicePtr device) {
  platform::BusyCursor busy;
  SetFamily(true);
  device_ = std::move(device);
  LabelDevice->setText(device_->Name());
  FillGrid(LoadExplicitRows(device_, true));
}

void fPhoneBook::ProcessDeviceCommand(lns::AppDevicePtr, PlugInCommand&) {
  // The editor is opened on a directory object only.
}

void fPhoneBook::ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand&) {
  try {
    lns::AppDevicePtr device;
    lns::ConfigPropertyPtr dialString;
    {
      platform::BusyCursor busy;
      device = object->Device();
      dialString = object->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
      // A directory seen for the first time (or in an older database, which
      // holds Directory #1's records only) gets its records first.
      const LonMarkDirectory directory = DirectoryOf(object, dialString);
      auto records = device->Extensions();
      if (!RecordExists(*records, directory.RecordName(0)))
        CreateDescriptionRecords(this, device, directory);
    }
    GetObjects(device, object, object, dialString);
  } catch (const lns::LnsError& e) {
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     this);
  }
}

// --- Grid ------------------------------------------------------------------------------

void fPhoneBook::FillGrid(const GridRows& rows) {
  TextPhonebook->hide();
  MSFlexGrid->setUpdatesEnabled(false);
  MSFlexGrid->ClearRows();
  MSFlexGrid->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < rows.size(); ++i) {
    MSFlexGrid->SetTextMatrix(i + 1, 0, QString::number(i));
    MSFlexGrid->SetTextMatrix(i + 1, 1, rows.at(i).number);
    MSFlexGrid->SetTextMatrix(i + 1, 2, rows.at(i).description);
  }
  MSFlexGrid->setUpdatesEnabled(true);
  MSFlexGrid->SetRow(1);
  MSFlexGrid->SetCol(1);
}

void fPhoneBook::FillGridKeepingCell(const GridRows& rows) {
  const int row = MSFlexGrid->Row();
  const int col = MSFlexGrid->Col();
  FillGrid(rows);
  MSFlexGrid->SetRow(row);
  MSFlexGrid->SetCol(col);
}

GridRows fPhoneBook::GridContents() const {
  GridRows rows;
  for (int r = 1; r < MSFlexGrid->Rows(); ++r)
    rows.append({MSFlexGrid->TextMatrix(r, 1), MSFlexGrid->TextMatrix(r, 2)});
  return rows;
}

void fPhoneBook::RebuildEmptyGrid(int entries) { FillGrid(GridRows(entries)); }

void fPhoneBook::HideForWork() {
  TextPhonebook->hide();
  MSFlexGrid->hide();
  repaint();
}

void fPhoneBook::ShowAfterWork(bool toFirstCell) {
  MSFlexGrid->show();
  if (toFirstCell) {
    MSFlexGrid->SetRow(1);
    MSFlexGrid->SetCol(1);
  }
  repaint();
  if (isVisible())
    PlaceOverlay();
}

void fPhoneBook::Activate() {
  if (MSFlexGrid->rowCount() == 0)
    return;
  MSFlexGrid->SetRow(1);
  MSFlexGrid->SetCol(1);
  PlaceOverlay();
}

// --- The overlay ------------------------------------------------------------------------

void fPhoneBook::PlaceOverlay() {
  TextPhonebook->hide();
  if (MSFlexGrid->rowCount() == 0 || !MSFlexGrid->isVisible())
    return;
  TextPhonebook->setGeometry(OverlayGeometry(MSFlexGrid->CurrentCellRect()));
  const int col = MSFlexGrid->Col();
  const QString text = MSFlexGrid->Text();
  settingText_ = true;
  TextPhonebook->setText(text);
  settingText_ = false;
  // What the cell holds is where validation starts from.
  if (col == 1)
    LastValidNumber = text;
  else
    LastValidDescription = text;
  TextPhonebook->setAccessibleName(MSFlexGrid->TextMatrix(0, col));
  TextPhonebook->setAccessibleDescription(QStringLiteral("Entry ") + MSFlexGrid->TextMatrix(MSFlexGrid->Row(), 0));
  TextPhonebook->show();
  TextPhonebook->raise();
  if (CaretToStart) {
    TextPhonebook->setCursorPosition(0);
    CaretToStart = false;
  } else if (!CaretToEnd) {
    TextPhonebook->selectAll();
  } else {
    TextPhonebook->setCursorPosition(static_cast<int>(text.size()));
    CaretToEnd = false;
  }
  TextPhonebook->setFocus(Qt::OtherFocusReason);
  PlacedTextLength = static_cast<qint16>(text.size());
  CaretPosition = static_cast<qint16>(TextPhonebook->hasSelectedText() ? TextPhonebook->selectionStart()
                                                                       : TextPhonebook->cursorPosition());
}

bool fPhoneBook::OverlayKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const int row = MSFlexGrid->Row();
  const int col = MSFlexGrid->Col();
  const int rows = MSFlexGrid->Rows();
  if (key == Qt::Key_Backtab)
    modifiers |= Qt::ShiftModifier;
  const bool shiftAlone =
      (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == Qt::ShiftModifier;
  switch (key) {
    case Qt::Key_Left:
      if (col == 2 && CaretPosition == 0) {
        MSFlexGrid->SetCol(1);
        CaretToEnd = true;
        PlaceOverlay();
        return true;
      }
      return false;
    case Qt::Key_Right:
      if (col == 1 && CaretPosition == PlacedTextLength) {
        MSFlexGrid->SetCol(2);
        CaretToStart = true;
        PlaceOverlay();
        return true;
      }
      return false;
    case Qt::Key_Up:
      if (row != 1)
        MSFlexGrid->SetRow(row - 1);
      PlaceOverlay();
      return true;
    case Qt::Key_Down:
      if (row < rows - 1)
        MSFlexGrid->SetRow(row + 1);
      PlaceOverlay();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (row < rows - 1) {
        MSFlexGrid->SetRow(row + 1);
        MSFlexGrid->SetCol(1);
      }
      PlaceOverlay();
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (shiftAlone && col == 1) {
        if (row != 1)
          MSFlexGrid->SetRow(row - 1);
        MSFlexGrid->SetCol(2);
      } else if (shiftAlone && col == 2) {
        MSFlexGrid->SetCol(1);
      } else if (col == 2) {
        MSFlexGrid->SetCol(1);
        if (row < rows - 1)
          MSFlexGrid->SetRow(row + 1);
      } else {
        MSFlexGrid->SetCol(2);
      }
      PlaceOverlay();
      return true;
    case Qt::Key_Escape: return true;  // the editor is not closed by Escape
    default: return false;
  }
}

bool fPhoneBook::OverlayKeyPress(const QString& text) {
  const QChar c = text.front();
  if (c == QChar(13) || c == QChar(9))
    return true;
  PhonebookModified = true;
  return false;
}

void fPhoneBook::OverlayKeyUp() {
  CaretPosition = static_cast<qint16>(TextPhonebook->hasSelectedText() ? TextPhonebook->selectionStart()
                                                                       : TextPhonebook->cursorPosition());
}

void fPhoneBook::OverlayTextChanged(const QString& text) {
  if (settingText_)
    return;
  // Every change the editor did not make itself is the operator's, also one
  // without a character key (Delete, pasting, an input method, a screen
  // reader setting the text), so closing never drops it without asking.
  PhonebookModified = true;
  MSFlexGrid->SetText(text);
  ValidateOverlay(false);
}

QRect fPhoneBook::OverlayGeometry(const QRect& cell) const {
  const QPoint grid = MSFlexGrid->pos();
  return {grid.x() + cell.x() + Px(40), grid.y() + cell.y() + Px(15), cell.width() - Px(40), cell.height() - Px(10)};
}

void fPhoneBook::GridScrolled() {
  if (!TextPhonebook->isVisible())
    return;
  const QRect cell = MSFlexGrid->CurrentCellRectInView();
  if (cell.isNull())
    TextPhonebook->hide();  // it keeps the focus; the next key brings the cell back
  else
    TextPhonebook->setGeometry(OverlayGeometry(cell));
}

void fPhoneBook::ShowOverlayOverCell() {
  if (MSFlexGrid->rowCount() == 0 || !MSFlexGrid->isVisible())
    return;
  TextPhonebook->setGeometry(OverlayGeometry(MSFlexGrid->CurrentCellRect()));
  TextPhonebook->show();
  TextPhonebook->raise();
}

void fPhoneBook::SetOverlayText(const QString& text, int caret) {
  settingText_ = true;
  TextPhonebook->setText(text);
  settingText_ = false;
  MSFlexGrid->SetText(text);
  TextPhonebook->setCursorPosition(caret);
}

void fPhoneBook::Refuse() {
  platform::ui().beep();
  TextPhonebook->setFocus(Qt::OtherFocusReason);
}

bool fPhoneBook::ValidateOverlay(bool fromFocusChange) {
  using A = Verdict::Action;
  const QString text = TextPhonebook->text();
  if (MSFlexGrid->Col() == 1) {
    switch (ValidateNumber(text).action) {
      case A::Accept: LastValidNumber = text; return true;
      case A::RestoreBeep:
        SetOverlayText(LastValidNumber, static_cast<int>(LastValidNumber.size()));
        platform::ui().beep();
        return true;
      case A::Refuse: SetOverlayText(LastValidNumber, static_cast<int>(LastValidNumber.size())); break;
      case A::EmptyRefuse: SetOverlayText(QString(), 0); break;
    }
  } else {
    if (ValidateDescription(text).action == A::Accept) {
      LastValidDescription = text;
      return true;
    }
    SetOverlayText(LastValidDescription, static_cast<int>(LastValidDescription.size()));
  }
  if (fromFocusChange)
    platform::ui().beep();
  else
    Refuse();
  return false;
}

bool fPhoneBook::OverlayValidate() {
  // The editor hiding its own overlay is not the operator leaving the cell.
  if (!TextPhonebook->isVisible())
    return true;
  return ValidateOverlay(true);
}

void fPhoneBook::OverlayLostFocus() { TextPhonebook->hide(); }

// --- Window ---------------------------------------------------------------------------------

void fPhoneBook::LayOut() {
  if (isMinimized())
    return;
  const int menuHeight = MenuBar->sizeHint().height();
  MenuBar->setGeometry(0, 0, width(), menuHeight);
  const int clientWidth = width();
  const int clientHeight = height() - menuHeight;
  Frame1->setGeometry(-Px(50), menuHeight, clientWidth + Px(100), kFrameHeight);
  MSFlexGrid->setGeometry(Px(60), menuHeight + kFrameHeight + Px(60), clientWidth - Px(125), clientHeight - Px(750));
}

void fPhoneBook::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOut();
  if (TextPhonebook->isVisible())
    PlaceOverlay();
}

void fPhoneBook::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous())
    return;
  LayOut();
  Activate();
}

void fPhoneBook::keyPressEvent(QKeyEvent* event) {
  // Escape does not close the editor (closing asks about unsaved changes).
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void fPhoneBook::reject() { close(); }

void fPhoneBook::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closing_)
    return;
  closing_ = true;
  {
    platform::BusyCursor busy;
    if (PhonebookModified &&
        platform::msgBox(QStringLiteral("Save Changes to phonebook?"), platform::MsgButtons::YesNo,
                         QStringLiteral("Save Changes?"), platform::MsgIcon::None, 0, this) == platform::IdYes) {
      Save();
      if (PhonebookModified) {
        // The save did not take every row (the router or the database
        // failed, or the operator stopped it): the editor stays, with the
        // rows still unsaved in front of the operator.
        event->ignore();
        if (!isVisible())
          platform::ui().showModeless(this);
        closing_ = false;
        return;
      }
    }
    PhonebookModified = false;
    if (!MainWindowVisible(false) && !MainWindowVisible(true)) {
      // Opened directly by a director: closing the editor ends the plug-in.
      RunShutdown();
    } else if (PhonebookListChanged) {
      for (bool family : {false, true})
        if (MainWindowVisible(family))
          if (window_support::MainWindowLink* link = window_support::MainWindowOf(family))
            link->refillPhoneList();
    }
  }
  closing_ = false;
}

// --- Menus ----------------------------------------------------------------------------------

QString fPhoneBook::Send(const QString& request) {
  if (send_)
    return send_(request);
  if (window_support::MainWindowLink* link = window_support::MainWindowOf(true))
    return link->link().Send(request);
  return QString::fromLatin1(device_protocol::kMessageFailed);
}

void fPhoneBook::MenuSave_Click() {
  platform::BusyCursor busy;
  Save();
}

void fPhoneBook::Save() {
  if (!device_)
    return;
  try {
    if (!explicit_)
      SaveLonMark();
    else if (DatabaseOnlySave())
      SaveExplicitDatabaseOnly();
    else
      SaveExplicit();
  } catch (const lns::LnsError& e) {
    // The database failed under the save: say so, and keep the edits.
    MSFlexGrid->show();
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     this);
    if (isVisible())
      PlaceOverlay();
  }
}

void fPhoneBook::SaveLonMark() {
  platform::BusyCursor busy;
  HideForWork();
  GridRows rows = GridContents();
  const QString error = phonebook::SaveLonMark(device_, directory_, rows, unreadNumbers_);
  // A number typed where none could be read has been written over it.
  for (auto it = unreadNumbers_.begin(); it != unreadNumbers_.end();)
    it = *it < rows.size() && !rows.at(*it).number.isEmpty() ? unreadNumbers_.erase(it) : std::next(it);
  FillGridKeepingCell(rows);
  if (!error.isEmpty())
    platform::msgBox(error, platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0, this);
  // Rows the router or the database did not take are still unsaved: closing
  // asks about them, and the next save tries them again.
  PhonebookModified = !error.isEmpty();
  PhonebookListChanged = true;
  ShowAfterWork(false);
}

void fPhoneBook::SaveExplicit() {
  platform::BusyCursor busy;
  HideForWork();
  GridRows rows = GridContents();
  const ExplicitSaveResult result = phonebook::SaveExplicit(
      device_, rows, [this](const QString& r) { return Send(r); }, this);
  FillGrid(rows);
  // A save stopped at a failed store keeps the rows after it as typed; they
  // are still unsaved, and closing asks about them.
  PhonebookModified = result.stopped && result.unsavedRowsRemain;
  PhonebookListChanged = true;
  ShowAfterWork(true);
}

void fPhoneBook::SaveExplicitDatabaseOnly() {
  platform::BusyCursor busy;
  HideForWork();
  GridRows rows = GridContents();
  phonebook::SaveExplicitDatabaseOnly(device_, rows);
  FillGrid(rows);
  PhonebookModified = false;
  PhonebookListChanged = true;
  ShowAfterWork(true);
}

void fPhoneBook::MenuExit_Click() { close(); }

void fPhoneBook::MenuClear_Click() {
  if (platform::msgBox(QStringLiteral("Are you sure you want to clear the phonebook?"), platform::MsgButtons::YesNo,
                       QStringLiteral("Warning!"), platform::MsgIcon::None, 0, this) != platform::IdYes)
    return;
  if (!device_)
    return;
  platform::BusyCursor busy;
  try {
    if (explicit_) {
      HideForWork();
      GridRows rows = GridContents();
      bool erased = false;
      const bool complete = ClearExplicit(
          device_, rows, [this](const QString& r) { return Send(r); }, this, &erased);
      if (erased) {
        FillGrid(rows);
        PhonebookListChanged = true;
      }
      if (complete || erased)
        PhonebookModified = false;
      ShowAfterWork(true);
    } else {
      HideForWork();
      GridRows rows = GridContents();
      ClearLonMark(device_, directory_, rows, this, &unreadNumbers_);
      FillGrid(rows);
      PhonebookListChanged = true;
      PhonebookModified = false;
      ShowAfterWork(true);
    }
  } catch (const lns::LnsError& e) {
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     this);
    ShowAfterWork(false);
  }
}

void fPhoneBook::MenuResyncDatabase_Click() {
  RunResync(QStringLiteral("Are you sure you want to resynchronize the phonebook using the Database values?"),
            &ResyncFromDatabase);
}

void fPhoneBook::MenuResyncDevice_Click() {
  RunResync(QStringLiteral("All descriptions will be lost!\rAre you sure you want to resynchronize the "
                           "phonebook using the Device values?"),
            &ResyncFromDevice);
}

void fPhoneBook::RunResync(const QString& question, ResyncOperation resync) {
  if (platform::msgBox(question, platform::MsgButtons::YesNo, QStringLiteral("Warning!"), platform::MsgIcon::None, 0,
                       this) != platform::IdYes)
    return;
  if (!device_ || !explicit_)
    return;
  platform::BusyCursor busy;
  HideForWork();
  RebuildEmptyGrid(kExplicitEntryCount);
  GridRows rows;
  try {
    resync(
        device_, rows, [this](const QString& r) { return Send(r); }, this);
  } catch (const lns::LnsError& e) {
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     this);
    rows = LoadExplicitRows(device_, false);
  }
  FillGrid(rows);
  PhonebookListChanged = true;
  PhonebookModified = false;
  ShowAfterWork(true);
}

// --- Printing ----------------------------------------------------------------------------------

ListingSource fPhoneBook::Source() const {
  ListingSource source;
  source.explicitFamily = explicit_;
  source.device = device_;
  source.directory = directory_;
  source.headingObject = phonebookObject_;
  return source;
}

void fPhoneBook::MenuPrint_Click() {
  if (PhonebookModified) {
    if (platform::msgBox(QStringLiteral("Must save changes to phonebook before printing. Do you wish to update the "
                                        "phonebook now?"),
                         platform::MsgButtons::YesNo, QStringLiteral("Save Changes?"), platform::MsgIcon::None, 0,
                         this) != platform::IdYes)
      return;
    MenuSave_Click();
  }
  OpenPrintDialog();
}

void fPhoneBook::OpenPrintDialog() {
  fPrint dialog(this);
  if (explicit_)
    dialog.GetDevice(device_);
  else
    dialog.GetObjects(device_, phonebookObject_, directory_.dialString, phonebookObject_);
  platform::ui().showModal(&dialog);
  // Coming back to the editor activates it again.
  if (isVisible())
    Activate();
}

void fPhoneBook::MenuPrintFile_Click() {
  if (PhonebookModified &&
      platform::msgBox(QStringLiteral("To print the latest version of your phone book you must first save it. Do you "
                                      "wish to update the phonebook now?"),
                       platform::MsgButtons::YesNo, QStringLiteral("Save Changes?"), platform::MsgIcon::None, 0,
                       this) == platform::IdYes)
    MenuSave_Click();
  platform::BusyCursor busy;
  PrintToFile(Source(), this);
}

}  // namespace phonebook
