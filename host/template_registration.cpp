#include "template_registration.h"

#include <QFileInfo>
#include <functional>

#include "host/cregistry.h"
#include "host/device_resources.h"
#include "host/fregtemplate.h"
#include "host/functions.h"
#include "host/lns/lns.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "host/walkdir.h"
#include "platform/ui_services.h"
#include "platform/win_path.h"
#include "platform/window_finder.h"

namespace template_registration {

namespace {

using platform::ui;

// Runs one step; an LNS failure (or any other) is passed over.
template <class F>
void step(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

QString withSeparator(const QString& dir) {
  if (dir.endsWith(u'\\') || dir.endsWith(u'/'))
    return dir;
  return dir + (dir.contains(u'\\') ? u'\\' : u'/');
}

// Compiles the XIF into its binary form next to it when that is missing.
// Returns x, or "" when the tool failed (after telling the operator).
QString makeXfb(const QString& x) {
  const QString stem = x.left(x.size() - 3);
  if (platform::WinPath::isFile(stem + QStringLiteral("XFB")))
    return x;
  const QString tool = device_resources::LonWorksPath() + QStringLiteral("\\bin\\XIF32BIN");
  const int rc = functions::ExecCmd(platform::WinPath::resolve(tool), {x, stem + QStringLiteral("XFB")});
  QString result = x;
  if (rc != 0) {
    platform::msgBox(
        QStringLiteral("The file ") + stem +
            QStringLiteral("XFB cannot be found.  Please copy it into the same directory as the XIF file."),
        platform::MsgButtons::Ok, QStringLiteral("Cannot Export Database"), platform::MsgIcon::Critical);
    result.clear();
  }
  functions::WaitUntil([] { return !platform::windowFinder().exists(QStringLiteral("XIF32BIN")); }, 100);
  platform::windowFinder().postClose(QStringLiteral("Finished - XIF32BIN"));
  return result;
}

void importIgnoringErrors(const lns::DeviceTemplatePtr& t, const QString& x) {
  step([&] { t->ImportXif(x); });
}

// Finds or adds the template of the row and gives it its interface file.
lns::DeviceTemplatePtr templateStep(PlugInCommand& r, const lns::SystemPtr& system) {
  lns::DeviceTemplatePtr t;
  lns::DeviceTemplatesPtr templates;
  step([&] { templates = system->DeviceTemplates(); });
  if (!templates)
    return nullptr;
  step([&] {
    t = templates->ItemByProgramId(r.ProgramId);
    t->SetName(r.TemplateName);
  });
  if (!t) {
    step([&] {
      const QString name =
          FreeName(r.TemplateName, [&](const QString& n) { return templates->ItemByName(n) != nullptr; });
      t = templates->Add(name, 1);
    });
  }
  if (!t)
    return nullptr;

  QString xifDir;
  step([&] { xifDir = system->ImportDirectory(); });
  const QString D = withSeparator(xifDir);
  QString x = WalkDir::FindProgramIdFile(D, r.ProgramId);
  if (!x.isEmpty())
    x = makeXfb(x);
  bool imported = false;
  if (!x.isEmpty()) {
    try {
      t->ImportXif(x);
      imported = true;
    } catch (const lns::LnsError& e) {
      platform::msgBox(
          QStringLiteral("Could not import the external interface file ") + x + QStringLiteral(".  ") + e.description(),
          platform::MsgButtons::Ok, registration::kPlugInName, platform::MsgIcon::Information);
    } catch (const std::exception& e) {
      platform::msgBox(QStringLiteral("Could not import the external interface file ") + x + QStringLiteral(".  ") +
                           QString::fromLocal8Bit(e.what()),
                       platform::MsgButtons::Ok, registration::kPlugInName, platform::MsgIcon::Information);
    }
  }
  if (!imported) {
    // The operator has to supply the file; the loop ends only when it is there.
    do {
      platform::msgBox(QStringLiteral("Copy the external interface file (XIF and XFB versions) for the ") +
                           r.TemplateName + QStringLiteral(" device type into the directory ") + xifDir +
                           QStringLiteral(" and click OK"),
                       platform::MsgButtons::Ok, registration::kPlugInName, platform::MsgIcon::Information);
      x = WalkDir::FindProgramIdFile(D, r.ProgramId);
    } while (x.isEmpty());
    if (WalkDir::ReadXifProgramId(x) == r.ProgramId)
      importIgnoringErrors(t, x);
  }
  return t;
}

lns::ComponentAppsPtr collectionFor(PlugInCommand& r, const lns::SystemPtr& system) {
  lns::ComponentAppsPtr apps;
  switch (r.RegistrationScope) {
    case 1: step([&] { apps = MMain.ObjectServer->componentApps(); }); break;
    case 2: step([&] { apps = system->ComponentApps(); }); break;
    case 3:
    case 4: {
      const lns::DeviceTemplatePtr t = templateStep(r, system);
      if (!t)
        break;
      if (r.RegistrationScope == 3)
        step([&] { apps = t->ComponentApps(); });
      else
        step([&] { apps = t->Interface()->LonMarkObjects()->Item(r.LonMarkObjectName)->ComponentApps(); });
      break;
    }
    default: break;
  }
  return apps;
}

void registerRow(PlugInCommand& r, const lns::SystemPtr& system) {
  const lns::ComponentAppsPtr apps = collectionFor(r, system);
  ui().processEvents();
  if (!apps)
    return;
  lns::ComponentAppPtr app;
  step([&] {
    const qint32 count = apps->Count();
    for (qint32 i = 1; i <= count && !app; ++i) {
      const lns::ComponentAppPtr m = apps->Item(i);
      if (m->ProgramId() == registration::kProgId && m->CommandCode() == r.CommandId && m->ObjectType() == r.ObjectType)
        app = m;
    }
  });
  if (!app) {
    step([&] {
      const QString name = FreeName(r.PlugInName, [&](const QString& n) {
        try {
          apps->Item(n);
          return true;
        } catch (const lns::LnsError&) {
          return false;
        }
      });
      app = apps->Add(name, registration::kProgId, r.ObjectType);
    });
  }
  if (!app)
    return;
  step([&] { app->SetCommandCode(r.CommandId); });
  step([&] { app->SetCommandText(r.CommandText); });
  step([&] { app->SetVersion(registration::kVersion); });
  step([&] { app->SetManufacturerId(registration::kManufacturerId); });
  step([&] { app->SetDefaultAction(false); });
}

}  // namespace

QString FreeName(const QString& base, const std::function<bool(const QString&)>& taken) {
  QString name = base;
  for (int n = 1; n < 1000 && taken(name); ++n)
    name = base + QStringLiteral(" (") + QString::number(n) + u')';
  if (taken(name))
    name = base + QStringLiteral(" (1000)");
  return name;
}

void RegisterCommands() {
  fRegTemplate dialog;
  // Nobody there to choose (no display): nothing is registered.
  if (!ui().awaitOperator(&dialog))
    return;
  ui().showModeless(&dialog);
  fRegTemplate::fRegTemplateLoaded = true;
  // Wait for the operator's choice, sleeping in the event loop. Closing the
  // dialog any other way than OK ends the registration without registering
  // anything.
  functions::WaitUntil([&dialog] { return !fRegTemplate::fRegTemplateLoaded || !dialog.isVisible(); }, 250);
  if (!dialog.accepted()) {
    fRegTemplate::fRegTemplateLoaded = false;
    return;
  }

  const platform::Pointer remembered = ui().pointer();
  ui().setPointer(platform::Pointer::Hourglass);
  const lns::SystemPtr system = MMain.CurrentSystem;
  const int last = MMain.RegisterAllTemplates ? 6 : 5;
  for (int row = 0; row <= last; ++row) {
    if (!system && MMain.PlugInCommandTable[row].RegistrationScope != 1) {
      ui().processEvents();
      continue;
    }
    registerRow(MMain.PlugInCommandTable[row], system);
  }
  ui().setPointer(remembered);
}

}  // namespace template_registration
