// lnsdb's commands over the Object Server.

#include "lnsdb_cli.h"
#include "lnsdb_rlx_commands.h"
#include "lonworks/object_server/sim_database.h"

namespace lnsdb {

namespace {

const Option kNetwork{QStringLiteral("--network"), QStringLiteral("N")};
const Option kElement{QStringLiteral("--element"), QStringLiteral("I")};

qint32 parseNumber(const QString& text, const QString& what) {
  bool ok = false;
  const qint32 v = text.toInt(&ok);
  if (!ok)
    throw UsageError(QStringLiteral("%1 \"%2\" is not a number").arg(what, text));
  return v;
}

QString tabbed(const QStringList& fields) { return fields.join(u'\t'); }

// "SUBSYSTEM/DEVICE" or "SUBSYSTEM/DEVICE/OBJECT": the variables of the device's
// interface or of the object.
std::shared_ptr<lns::NetworkVariables> variablesAt(Cli& cli, const lnssim::OpenedSystem& sys, const QString& path) {
  if (path.count(u'/') == 2)
    return cli.lonMarkObject(sys, path)->NetworkVariables();
  return cli.device(sys, path)->Interface()->NetworkVariables();
}

int createNetwork(Cli& cli, const Args& args) {
  auto& server = cli.server(true);
  const QString name = args.positional[0];
  server.createNetwork(name);
  const lnssim::OpenedSystem sys = lnssim::openFirstSystem(server, name);
  for (const QString& sub : args.values(QStringLiteral("--subsystem")))
    server.createSubsystem(sys.systemId, sub);
  cli.out() << "Created network " << name << "\n";
  return kExitOk;
}

int addSubsystem(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  cli.server().createSubsystem(sys.systemId, args.positional[0]);
  cli.out() << "Created subsystem " << args.positional[0] << "\n";
  return kExitOk;
}

int addDevice(Cli& cli, const Args& args) {
  const QString family = args.value(QStringLiteral("--family"));
  lnssim::RlxDevice d;
  if (family == QLatin1String("lonmark"))
    d.family = lnssim::RlxFamily::LonMark;
  else if (family == QLatin1String("explicit"))
    d.family = lnssim::RlxFamily::Explicit;
  else
    throw UsageError(family.isEmpty() ? QStringLiteral("--family lonmark|explicit is required")
                                      : QStringLiteral("--family must be lonmark or explicit, not \"%1\"").arg(family));
  if (args.has(QStringLiteral("--handle")))
    d.handle = parseNumber(args.value(QStringLiteral("--handle")), QStringLiteral("handle"));
  d.neuronId = args.value(QStringLiteral("--neuron-id"));
  if (args.has(QStringLiteral("--firmware")))
    d.firmware = args.value(QStringLiteral("--firmware"));
  d.name = args.positional[1];
  const lnssim::OpenedSystem sys = cli.system(args);
  d.subsystemId = lnssim::rowIdOf(sys.system->Subsystems()->Item(args.positional[0]).get());
  cli.server().database();  // opened by system()
  const qint64 id = lnssim::addRlxDevice(cli.server(), sys, d);
  const auto device = sys.system->Subsystems()->Item(args.positional[0])->AppDevices()->Item(d.name);
  cli.out() << "Created device " << args.positional[0] << '/' << d.name << " (handle " << device->Handle()
            << ", Neuron ID " << device->NeuronId() << ", program identifier " << device->ProgramId() << ")\n";
  (void)id;
  return kExitOk;
}

int demo(Cli& cli, const Args&) {
  QStringList report = lnssim::ensureDemoNetwork(cli.server(true));
  report << ensureRlxDemo(cli.server());
  bool created = false;
  for (const QString& line : report) {
    cli.out() << line << "\n";
    created = created || line.endsWith(QLatin1String("created"));
  }
  cli.out() << (created ? "The demo network is ready: configure Routers/RLX-LonMark, "
                          "Routers/RLX-LonMark/Internal Modem or Routers/RLX-Explicit.\n"
                        : "The demo network exists already; nothing was changed.\n");
  return kExitOk;
}

void listRecords(Cli& cli, const lns::AppDevicePtr& device) {
  auto records = device->Extensions();
  const qint32 n = records->Count();
  for (qint32 i = 1; i <= n; ++i) {
    auto r = records->Item(i);
    cli.out() << tabbed({r->Name(), r->Field(1), r->Field(2), r->Field(3)}) << "\n";
  }
}

void listApps(Cli& cli, const QString& scope, const QString& owner, const lns::ComponentAppsPtr& apps) {
  const qint32 n = apps->Count();
  for (qint32 i = 1; i <= n; ++i) {
    auto a = apps->Item(i);
    cli.out() << tabbed({scope, owner, a->Name(), a->ProgramId(), QString::number(a->ObjectType()),
                         QString::number(a->CommandCode()), a->CommandText(), a->Version(), a->ManufacturerId(),
                         a->DefaultAction() ? QStringLiteral("default") : QString()})
              << "\n";
  }
}

int list(Cli& cli, const Args& args) {
  const QString what = args.positional[0];
  const bool needsPath = what == QLatin1String("objects") || what == QLatin1String("records");
  if (needsPath != (args.positional.size() == 2))
    throw UsageError(needsPath ? QStringLiteral("list %1 needs a device path").arg(what)
                               : QStringLiteral("list %1 takes no device path").arg(what));
  if (what == QLatin1String("networks")) {
    auto networks = cli.server().Networks();
    for (qint32 i = 1, n = networks->Count(); i <= n; ++i)
      cli.out() << networks->Item(i)->Name() << "\n";
    return kExitOk;
  }
  if (what == QLatin1String("interfaces")) {
    auto nis = cli.server().NetworkInterfaces();
    for (qint32 i = 1, n = nis->Count(); i <= n; ++i)
      cli.out() << nis->Item(i)->Name() << "\n";
    return kExitOk;
  }
  const lnssim::OpenedSystem sys = cli.system(args);
  if (what == QLatin1String("subsystems") || what == QLatin1String("devices")) {
    auto subsystems = sys.system->Subsystems();
    for (qint32 i = 1, n = subsystems->Count(); i <= n; ++i) {
      auto sub = subsystems->Item(i);
      if (what == QLatin1String("subsystems")) {
        cli.out() << sub->Name() << "\n";
        continue;
      }
      auto devices = sub->AppDevices();
      for (qint32 j = 1, m = devices->Count(); j <= m; ++j) {
        auto d = devices->Item(j);
        cli.out() << tabbed(
                         {sub->Name() + u'/' + d->Name(), QString::number(d->Handle()), d->ProgramId(), d->NeuronId()})
                  << "\n";
      }
    }
    return kExitOk;
  }
  if (what == QLatin1String("objects")) {
    auto objects = cli.device(sys, args.positional[1])->Interface()->LonMarkObjects();
    for (qint32 i = 1, n = objects->Count(); i <= n; ++i) {
      auto o = objects->Item(i);
      cli.out() << tabbed({QString::number(o->Index()), o->Name(), o->DisplayName()}) << "\n";
    }
    return kExitOk;
  }
  if (what == QLatin1String("records")) {
    listRecords(cli, cli.device(sys, args.positional[1]));
    return kExitOk;
  }
  if (what == QLatin1String("templates")) {
    auto templates = sys.system->DeviceTemplates();
    for (qint32 i = 1, n = templates->Count(); i <= n; ++i) {
      auto t = templates->Item(i);
      cli.out() << tabbed({t->Name(), t->ProgramId()}) << "\n";
    }
    return kExitOk;
  }
  if (what == QLatin1String("apps")) {
    listApps(cli, QStringLiteral("1"), QStringLiteral("Object Server"), cli.server().componentApps());
    listApps(cli, QStringLiteral("2"), sys.system->Name(), sys.system->ComponentApps());
    auto templates = sys.system->DeviceTemplates();
    for (qint32 i = 1, n = templates->Count(); i <= n; ++i) {
      auto t = templates->Item(i);
      listApps(cli, QStringLiteral("3"), t->Name(), t->ComponentApps());
      auto objects = t->Interface()->LonMarkObjects();
      for (qint32 j = 1, m = objects->Count(); j <= m; ++j) {
        auto o = objects->Item(j);
        listApps(cli, QStringLiteral("4"), t->Name() + u'/' + o->Name(), o->ComponentApps());
      }
    }
    return kExitOk;
  }
  throw UsageError(QStringLiteral("cannot list \"%1\"").arg(what));
}

int show(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  const QString path = args.positional[0];
  auto d = cli.device(sys, path);
  const bool offNet = sys.system->MgmtMode() == 1;
  QTextStream& out = cli.out();
  out << "Device: " << path << "\nHandle: " << d->Handle() << "\nProgram identifier: " << d->ProgramId()
      << "\nNeuron ID: " << d->NeuronId() << "\n";
  auto valueOf = [&](auto&& read) -> QString {
    try {
      return read();
    } catch (const lns::LnsError& e) {
      return QStringLiteral("<") + e.description() + u'>';
    }
  };
  auto objects = d->Interface()->LonMarkObjects();
  for (qint32 i = 1, n = objects->Count(); i <= n; ++i) {
    auto o = objects->Item(i);
    out << "Object " << o->Index() << ": " << o->Name() << "\n";
    auto nvs = o->NetworkVariables();
    for (qint32 j = 1, m = nvs->Count(); j <= m; ++j) {
      auto nv = nvs->Item(j);
      out << "  NV " << nv->Name() << " = "
          << (offNet ? QStringLiteral("<off-net>") : valueOf([&] { return nv->Value(); })) << "\n";
    }
    auto cps = o->ConfigProperties();
    for (qint32 j = 1, m = cps->Count(); j <= m; ++j) {
      auto cp = cps->Item(j);
      out << "  CP " << cp->Name();
      if (cp->ElementCount() > 1)
        out << "[" << cp->ElementCount() << "]";
      out << " = " << valueOf([&] { return cp->Value(); }) << "\n";
    }
  }
  auto records = d->Extensions();
  for (qint32 i = 1, n = records->Count(); i <= n; ++i) {
    auto r = records->Item(i);
    out << "Record " << tabbed({r->Name(), r->Field(1), r->Field(2), r->Field(3)}) << "\n";
  }
  return kExitOk;
}

int records(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  listRecords(cli, cli.device(sys, args.positional[0]));
  return kExitOk;
}

int setMode(Cli& cli, const Args& args) {
  const QString mode = args.positional[0];
  qint32 value = 0;
  if (mode == QLatin1String("off-net"))
    value = 1;
  else if (mode != QLatin1String("on-net"))
    throw UsageError(QStringLiteral("the mode is on-net or off-net, not \"%1\"").arg(mode));
  const lnssim::OpenedSystem sys = cli.system(args);
  cli.server().setMgmtMode(sys.systemId, value);
  cli.out() << "Network " << sys.network->Name() << " is " << mode << "\n";
  return kExitOk;
}

int addInterface(Cli& cli, const Args& args) {
  cli.server(true).addNetworkInterface(args.positional[0]);
  cli.out() << "Created network interface " << args.positional[0] << "\n";
  return kExitOk;
}

int setNv(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  variablesAt(cli, sys, args.positional[0])->Item(args.positional[1])->SetValue(args.positional[2]);
  return kExitOk;
}

int getNv(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  cli.out() << variablesAt(cli, sys, args.positional[0])->Item(args.positional[1])->Value() << "\n";
  return kExitOk;
}

int setCp(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  auto cp = cli.lonMarkObject(sys, args.positional[0])->ConfigProperties()->Item(args.positional[1]);
  if (args.has(kElement.name))
    cp->SetElement(parseNumber(args.value(kElement.name), QStringLiteral("element")), args.positional[2]);
  else
    cp->SetValue(args.positional[2]);
  return kExitOk;
}

int getCp(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  auto cp = cli.lonMarkObject(sys, args.positional[0])->ConfigProperties()->Item(args.positional[1]);
  if (args.has(kElement.name))
    cli.out() << cp->Element(parseNumber(args.value(kElement.name), QStringLiteral("element"))) << "\n";
  else
    cli.out() << cp->Value() << "\n";
  return kExitOk;
}

int setRecord(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  auto records = cli.device(sys, args.positional[0])->Extensions();
  auto& db = cli.server().database();
  lnssim::SimDatabase::Transaction tx(db);
  lns::ExtensionRecordPtr record;
  try {
    record = records->Item(args.positional[1]);
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
    record = records->Add(args.positional[1]);
  }
  for (int f = 1; f <= 3; ++f)
    record->SetField(f, args.positional[1 + f]);
  tx.commit();
  return kExitOk;
}

}  // namespace

void registerObjectServerCommands(CommandRegistry& r) {
  r.add({QStringLiteral("create-network"),
         QStringLiteral("NAME [--subsystem NAME]..."),
         QStringLiteral("creates a network with its system and subsystems (and the database when missing)"),
         {{QStringLiteral("--subsystem"), QStringLiteral("NAME"), true}},
         1,
         1,
         createNetwork});
  r.add({QStringLiteral("add-subsystem"),
         QStringLiteral("[--network N] NAME"),
         QStringLiteral("adds a subsystem to the network's system"),
         {kNetwork},
         1,
         1,
         addSubsystem});
  r.add({QStringLiteral("add-device"),
         QStringLiteral("[--network N] SUBSYSTEM NAME --family lonmark|explicit [--neuron-id HEX] [--handle N] "
                        "[--firmware X.YY]"),
         QStringLiteral("adds an RLX device of either family with its whole interface"),
         {kNetwork,
          {QStringLiteral("--family"), QStringLiteral("lonmark|explicit")},
          {QStringLiteral("--neuron-id"), QStringLiteral("HEX")},
          {QStringLiteral("--handle"), QStringLiteral("N")},
          {QStringLiteral("--firmware"), QStringLiteral("X.YY")}},
         2,
         2,
         addDevice});
  r.add({QStringLiteral("demo"),
         QString(),
         QStringLiteral("makes the network Demo with Routers/RLX-LonMark and Routers/RLX-Explicit; adds only what is "
                        "missing"),
         {},
         0,
         0,
         demo});
  r.add({QStringLiteral("list"),
         QStringLiteral("[--network N] networks|interfaces|subsystems|devices|objects DEVICEPATH|records "
                        "DEVICEPATH|templates|apps"),
         QStringLiteral("lists items, one a line, fields separated by tabs"),
         {kNetwork},
         1,
         2,
         list});
  r.add({QStringLiteral("show"),
         QStringLiteral("[--network N] DEVICEPATH"),
         QStringLiteral("shows a device: identity, objects, variables, properties, records"),
         {kNetwork},
         1,
         1,
         show});
  r.add({QStringLiteral("records"),
         QStringLiteral("[--network N] DEVICEPATH"),
         QStringLiteral("prints the device's extension records: name and the three fields, tab-separated"),
         {kNetwork},
         1,
         1,
         records});
  r.add({QStringLiteral("set-mode"),
         QStringLiteral("[--network N] on-net|off-net"),
         QStringLiteral("sets the management mode of the network's system"),
         {kNetwork},
         1,
         1,
         setMode});
  r.add({QStringLiteral("add-interface"),
         QStringLiteral("NAME"),
         QStringLiteral("adds a network interface for remote work"),
         {},
         1,
         1,
         addInterface});
  r.add({QStringLiteral("set-nv"),
         QStringLiteral("[--network N] DEVICEPATH[/OBJECT] NV VALUE"),
         QStringLiteral("writes a network variable (it reaches the device)"),
         {kNetwork},
         3,
         3,
         setNv});
  r.add({QStringLiteral("get-nv"),
         QStringLiteral("[--network N] DEVICEPATH[/OBJECT] NV"),
         QStringLiteral("reads a network variable from the device"),
         {kNetwork},
         2,
         2,
         getNv});
  r.add({QStringLiteral("set-cp"),
         QStringLiteral("[--network N] DEVICEPATH/OBJECT CP [--element I] VALUE"),
         QStringLiteral("writes a configuration property, or one element of it"),
         {kNetwork, kElement},
         3,
         3,
         setCp});
  r.add({QStringLiteral("get-cp"),
         QStringLiteral("[--network N] DEVICEPATH/OBJECT CP [--element I]"),
         QStringLiteral("reads a configuration property (an array as quoted texts), or one element"),
         {kNetwork, kElement},
         2,
         2,
         getCp});
  r.add({QStringLiteral("set-record"),
         QStringLiteral("[--network N] DEVICEPATH NAME F1 F2 F3"),
         QStringLiteral("writes the three fields of an extension record, adding it when missing"),
         {kNetwork},
         5,
         5,
         setRecord});
}

}  // namespace lnsdb
