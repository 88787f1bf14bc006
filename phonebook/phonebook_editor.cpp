#include "phonebook/phonebook_editor.h"

#include "host/plugin_window.h"
#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_store.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"

namespace phonebook {

namespace {

// The editor exists once: when a director's direct opening shows it already,
// that one comes to the front.
bool RaiseShownEditor() {
  auto* shown = dynamic_cast<fPhoneBook*>(ExistingWindow(WindowId::fPhoneBook));
  if (!shown || !shown->isVisible())
    return false;
  shown->raise();
  shown->activateWindow();
  return true;
}

void ReportDatabaseError(QWidget* owner, const lns::LnsError& e) {
  platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                   owner);
}

}  // namespace

void OpenEditorLonMark(QWidget* owner, const lns::AppDevicePtr& device, const lns::LonMarkObjectPtr& modemObject,
                       const lns::LonMarkObjectPtr& phonebookObject, const lns::ConfigPropertyPtr& dialString) {
  if (RaiseShownEditor())
    return;
  fPhoneBook editor(owner);
  try {
    editor.GetObjects(device, modemObject, phonebookObject, dialString);
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(owner, e);
    return;
  }
  platform::ui().showModal(&editor);
}

void OpenEditorExplicit(QWidget* owner, const lns::AppDevicePtr& device) {
  if (RaiseShownEditor())
    return;
  fPhoneBook editor(owner);
  try {
    editor.GetDeviceObject(device);
    if (!DatabaseOnlySave() && ResyncMarkerValue(device) == QLatin1String("1"))
      platform::msgBox(QStringLiteral("The phonebook database may be out of sync with the device!\rIt is recommended "
                                      "you resync the phonebook."),
                       platform::MsgButtons::Ok, QStringLiteral("Notice!"), platform::MsgIcon::None, 0, owner);
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(owner, e);
    return;
  }
  platform::ui().showModal(&editor);
}

void RegisterPhoneBookWindow() {
  RegisterWindow(WindowId::fPhoneBook, []() -> PlugInWindow* { return new fPhoneBook; });
}

}  // namespace phonebook
