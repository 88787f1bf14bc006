// lnsdb's commands for the simulated RLX routers.

#include "lnsdb_rlx_commands.h"

#include <QDateTime>
#include <QRegularExpression>

#include "lonworks/object_server/sim_database.h"
#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/clock.h"

namespace lnsdb {

namespace {

using rlxsim::DeviceState;

const Option kNetwork{QStringLiteral("--network"), QStringLiteral("N")};

QString timeText(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs); }

qint64 parseMs(const QString& text, const QString& what, qint64 min = 0) {
  bool ok = false;
  const qint64 v = text.toLongLong(&ok);
  constexpr qint64 kDay = 24LL * 3600 * 1000;
  if (!ok || v < min || v > kDay)
    throw UsageError(QStringLiteral("%1 must be a number of milliseconds from %2 to %3, not \"%4\"")
                         .arg(what)
                         .arg(min)
                         .arg(kDay)
                         .arg(text));
  return v;
}

bool parseYesNo(const QString& text, const QString& what) {
  if (text == QLatin1String("yes") || text == QLatin1String("on"))
    return true;
  if (text == QLatin1String("no") || text == QLatin1String("off"))
    return false;
  throw UsageError(QStringLiteral("%1 is yes or no, not \"%2\"").arg(what, text));
}

bool isNeuronId(const QString& text) {
  static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{12}$"));
  return hex.match(text).hasMatch();
}

lnssim::DeviceIdentity identityOf(Cli& cli, const lnssim::OpenedSystem& sys, const QString& path) {
  const auto device = cli.device(sys, path);
  const auto identity = cli.server().runtimeContext().device(lnssim::rowIdOf(device));
  if (!identity)
    throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ") + path);
  if (!rlxsim::familyOf(identity->programId))
    throw lns::LnsError(lns::kErrInvalidValue, QStringLiteral("%1 is not an RLX router").arg(path));
  return *identity;
}

template <class F>
void update(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device, F&& change) {
  rlxsim::ensureSchema(ctx.database());
  rlxsim::DeviceSession session(ctx, device);
  change(session.state(), session.now());
  session.commit();
}

int fault(Cli& cli, const Args& args) {
  const auto kind = rlxsim::faultFromName(args.positional[1]);
  if (!kind)
    throw UsageError(
        QStringLiteral("the fault is none, no-answer, failure or reset-once, not \"%1\"").arg(args.positional[1]));
  const lnssim::OpenedSystem sys = cli.system(args);
  update(cli.server().runtimeContext(), identityOf(cli, sys, args.positional[0]),
         [&](DeviceState& s, qint64) { s.fault = *kind; });
  cli.out() << args.positional[0] << ": fault " << rlxsim::faultName(*kind) << "\n";
  return kExitOk;
}

const char* const kSettings =
    "firmware X.YY | modem-internal|modem-ext1|modem-ext2 ready|not-ready|absent | phonebook yes|no | "
    "ring-mode-support yes|no | ring-mode Enable|Disable,UNIT,DELAY,INTERVAL | connect-delay MS | "
    "call-outcome connect|CAUSE | connect-speed SPEED,MODULATION,CORRECTION | reboot-time MS | hangup-time MS | "
    "redial-time MS | latency MS[,JITTER_MS] | loss PERCENT";

int setRlx(Cli& cli, const Args& args) {
  const QString setting = args.positional[1];
  const QString value = args.positional[2];
  std::function<void(DeviceState&, qint64)> change;
  if (setting == QLatin1String("firmware")) {
    if (!rlxsim::isFirmwareVersion(value))
      throw UsageError(QStringLiteral("the firmware version has the form 3.20, not \"%1\"").arg(value));
    change = [value](DeviceState& s, qint64) { s.firmware = value; };
  } else if (setting.startsWith(QLatin1String("modem-"))) {
    const auto modem = rlxsim::modemFromName(setting.mid(6));
    const auto presence = rlxsim::presenceFromName(value);
    if (!modem)
      throw UsageError(QStringLiteral("the modems are modem-internal, modem-ext1 and modem-ext2, not %1").arg(setting));
    if (!presence)
      throw UsageError(QStringLiteral("a modem is ready, not-ready or absent, not \"%1\"").arg(value));
    change = [modem, presence](DeviceState& s, qint64 now) { rlxsim::setPresence(s, *modem, *presence, now); };
  } else if (setting == QLatin1String("phonebook")) {
    const bool on = parseYesNo(value, setting);
    change = [on](DeviceState& s, qint64) { s.phonebookSupported = on; };
  } else if (setting == QLatin1String("ring-mode-support")) {
    const bool on = parseYesNo(value, setting);
    change = [on](DeviceState& s, qint64) { s.ringModeSupported = on; };
  } else if (setting == QLatin1String("ring-mode")) {
    const auto ring = rlxsim::parseRingMode(value);
    if (!ring)
      throw UsageError(QStringLiteral("the ring mode has the form Enable,5,2000,10000, not \"%1\"").arg(value));
    change = [ring](DeviceState& s, qint64) { s.ring = *ring; };
  } else if (setting == QLatin1String("connect-delay")) {
    const qint64 ms = parseMs(value, setting);
    change = [ms](DeviceState& s, qint64) { s.call.connectDelayMs = ms; };
  } else if (setting == QLatin1String("call-outcome")) {
    int outcome = 0;
    if (value != QLatin1String("connect")) {
      const auto c = rlxsim::hangupCauseFromName(value);
      if (!c)
        throw UsageError(QStringLiteral("the call outcome is connect or a hang-up cause (1 to 9, carrier-lost, ..., "
                                        "dsr-lost), not \"%1\"")
                             .arg(value));
      outcome = *c;
    }
    change = [outcome](DeviceState& s, qint64) { s.call.outcome = outcome; };
  } else if (setting == QLatin1String("connect-speed")) {
    const QStringList codes = value.split(u',');
    QList<int> v;
    for (const QString& c : codes) {
      bool ok = false;
      const int n = c.trimmed().toInt(&ok);
      if (ok && n >= 0 && n <= 255)
        v << n;
    }
    if (codes.size() != 3 || v.size() != 3)
      throw UsageError(QStringLiteral("the connect speed is three codes SPEED,MODULATION,CORRECTION such as 9,1,3, "
                                      "not \"%1\"")
                           .arg(value));
    change = [v](DeviceState& s, qint64) {
      s.call.speed = v[0];
      s.call.modulation = v[1];
      s.call.errorCorrection = v[2];
    };
  } else if (setting == QLatin1String("reboot-time")) {
    const qint64 ms = parseMs(value, setting);
    change = [ms](DeviceState& s, qint64) { s.rebootMs = ms; };
  } else if (setting == QLatin1String("hangup-time")) {
    const qint64 ms = parseMs(value, setting);
    change = [ms](DeviceState& s, qint64) { s.call.hangupMs = ms; };
  } else if (setting == QLatin1String("redial-time")) {
    const qint64 ms = parseMs(value, setting, 100);
    change = [ms](DeviceState& s, qint64) { s.call.redialMs = ms; };
  } else if (setting == QLatin1String("latency")) {
    const QStringList parts = value.split(u',');
    if (parts.size() > 2)
      throw UsageError(QStringLiteral("the latency is MS or MS,JITTER_MS, not \"%1\"").arg(value));
    const qint64 ms = parseMs(parts[0], setting);
    const qint64 jitter = parts.size() == 2 ? parseMs(parts[1], QStringLiteral("the jitter")) : 0;
    change = [ms, jitter](DeviceState& s, qint64) {
      s.channel.latencyMs = ms;
      s.channel.jitterMs = jitter;
      s.channel.messages = 0;  // the random sequence starts again
    };
  } else if (setting == QLatin1String("loss")) {
    bool ok = false;
    const int percent = value.toInt(&ok);
    if (!ok || percent < 0 || percent > 100)
      throw UsageError(QStringLiteral("the loss is a percentage from 0 to 100, not \"%1\"").arg(value));
    change = [percent](DeviceState& s, qint64) {
      s.channel.lossPercent = percent;
      s.channel.messages = 0;
    };
  } else {
    throw UsageError(
        QStringLiteral("unknown setting \"%1\"; the settings are: %2").arg(setting, QLatin1String(kSettings)));
  }
  const lnssim::OpenedSystem sys = cli.system(args);
  update(cli.server().runtimeContext(), identityOf(cli, sys, args.positional[0]), change);
  cli.out() << args.positional[0] << ": " << setting << " " << value << "\n";
  return kExitOk;
}

int dropCall(Cli& cli, const Args& args) {
  const auto modem = rlxsim::modemFromName(args.positional[1]);
  if (!modem)
    throw UsageError(QStringLiteral("the modem is internal, ext1 or ext2, not \"%1\"").arg(args.positional[1]));
  const auto c = rlxsim::hangupCauseFromName(args.positional[2]);
  if (!c)
    throw UsageError(QStringLiteral("the cause is 1 to 9 or its name (carrier-lost, ..., dsr-lost), not \"%1\"")
                         .arg(args.positional[2]));
  const lnssim::OpenedSystem sys = cli.system(args);
  update(cli.server().runtimeContext(), identityOf(cli, sys, args.positional[0]),
         [&](DeviceState& s, qint64 now) { rlxsim::hangUp(s, *modem, *c, now); });
  cli.out() << args.positional[0] << ": " << rlxsim::modemName(*modem) << " line dropped ("
            << rlxsim::hangupCauseText(*c) << ")\n";
  return kExitOk;
}

int rlxState(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  const lnssim::DeviceIdentity d = identityOf(cli, sys, args.positional[0]);
  lnssim::RuntimeContext& ctx = cli.server().runtimeContext();
  rlxsim::ensureSchema(ctx.database());
  const qint64 now = rlxsim::networkNow(ctx.database(), ctx.clock());
  const DeviceState s = rlxsim::peekState(ctx, d, now);
  QTextStream& out = cli.out();
  auto yes = [](bool b) { return b ? "yes" : "no"; };
  out << "Device: " << args.positional[0] << " ("
      << (s.family == rlxsim::Family::LonMark ? "LonMark family" : "explicit family") << ")\n"
      << "Network time: " << timeText(now) << "\n"
      << "Firmware: " << rlxsim::firmwareText(s) << "\n"
      << "Fault: " << rlxsim::faultName(s.fault) << "\n"
      << "Answers: "
      << (rlxsim::restarting(s, now) ? QStringLiteral("no, restarting until ") + timeText(s.awayUntil)
                                     : QString::fromLatin1(yes(rlxsim::answers(s, now))))
      << "\n"
      << "Phonebook support: " << yes(s.phonebookSupported) << "\nRing mode support: " << yes(s.ringModeSupported)
      << "\nRing mode: " << rlxsim::ringModeText(s.ring) << "\nInput audio: " << (s.inputMuted ? "muted" : "on")
      << "\nService pin pulses: " << s.servicePinPulses << "\nReboots: " << s.reboots << "\n"
      << "Calls: connect after " << s.call.connectDelayMs << " ms, outcome "
      << (s.call.outcome == 0 ? QStringLiteral("connect") : rlxsim::hangupCauseName(s.call.outcome)) << ", speed "
      << s.call.speed << "," << s.call.modulation << "," << s.call.errorCorrection << ", hang-up " << s.call.hangupMs
      << " ms, redial " << s.call.redialMs << " ms, reboot " << s.rebootMs << " ms\n"
      << "Channel: latency " << s.channel.latencyMs << " ms, jitter " << s.channel.jitterMs << " ms, loss "
      << s.channel.lossPercent << " %, " << s.channel.messages << " messages since set\n";
  for (int m = 0; m < rlxsim::kModemCount; ++m) {
    const rlxsim::Modem& mo = s.modems[m];
    QStringList hangups;
    for (int h : mo.stats.hangups)
      hangups << QString::number(h);
    out << "Modem " << rlxsim::modemName(m) << ": " << rlxsim::presenceName(mo.presence) << ", "
        << rlxsim::telephoneStateName(mo.state) << (mo.number.isEmpty() ? QString() : u' ' + mo.number)
        << ", auto answer " << (mo.autoAnswer ? "on" : "off") << ", dial mode " << mo.dialMode << "\n"
        << "  statistics: last cause " << mo.stats.lastCause << ", hang-ups " << hangups.join(u' ') << ", connections "
        << mo.stats.successes << ", retrains " << mo.stats.retrains << "\n";
  }
  for (int i = 0; i < rlxsim::kPhonebookEntries; ++i)
    if (!s.phonebook[i].isEmpty())
      out << "Phonebook " << i << ": " << s.phonebook[i] << "\n";
  for (const auto& [name, value] : rlxsim::outputVariables(s))
    out << "NV " << name << " = " << value << "\n";
  return kExitOk;
}

int trafficCommand(Cli& cli, const Args& args) {
  const bool clear = args.has(QStringLiteral("--clear"));
  if (!clear && args.positional.isEmpty())
    throw UsageError(QStringLiteral("name a device, or give --clear"));
  std::optional<lnssim::DeviceIdentity> device;
  if (!args.positional.isEmpty())
    device = identityOf(cli, cli.system(args), args.positional[0]);
  lnssim::SimDatabase& db = cli.server().database();
  if (clear) {
    rlxsim::clearTraffic(db, device ? std::optional<qint64>(device->rowId) : std::nullopt);
    return kExitOk;
  }
  for (const rlxsim::TrafficEntry& e : rlxsim::traffic(db, device->rowId))
    cli.out() << timeText(e.atMs) << '\t' << e.outcome << '\t' << e.object << '\t' << e.text << "\n";
  return kExitOk;
}

int clock(Cli& cli, const Args& args) {
  const QString action = args.positional.value(0, QStringLiteral("show"));
  const platform::Clock& wall = platform::SystemClock::instance();
  lnssim::SimDatabase& db = cli.server().database();
  rlxsim::ensureSchema(db);
  if (action == QLatin1String("freeze")) {
    rlxsim::freezeNetworkClock(db, wall);
  } else if (action == QLatin1String("advance")) {
    if (args.positional.size() != 2)
      throw UsageError(QStringLiteral("advance needs a number of milliseconds"));
    rlxsim::advanceNetworkClock(db, wall, parseMs(args.positional[1], QStringLiteral("advance")));
  } else if (action == QLatin1String("run")) {
    rlxsim::runNetworkClock(db, wall);
  } else if (action != QLatin1String("show")) {
    throw UsageError(QStringLiteral("the clock takes show, freeze, advance MS or run, not \"%1\"").arg(action));
  }
  if (action != QLatin1String("advance") && args.positional.size() > 1)
    throw UsageError(QStringLiteral("%1 takes no value").arg(action));
  const rlxsim::NetworkClock c = rlxsim::readNetworkClock(db, wall);
  cli.out() << "Network time " << timeText(c.nowMs) << " ("
            << (c.frozen ? QStringLiteral("frozen")
                         : QStringLiteral("running, %1 ms from the wall clock").arg(c.offsetMs))
            << ")\n";
  return kExitOk;
}

int ring(Cli& cli, const Args& args) {
  const lnssim::OpenedSystem sys = cli.system(args);
  const auto subsystem = sys.system->Subsystems()->Item(args.positional[0]);
  const qint64 subsystemId = lnssim::rowIdOf(subsystem);
  lnssim::RuntimeContext& ctx = cli.server().runtimeContext();
  lnssim::SimDatabase& db = ctx.database();
  rlxsim::ensureSchema(db);
  rlxsim::RingConfig config = rlxsim::readRingConfig(db, subsystemId);
  const QString action = args.positional.value(1);
  // A device of the subsystem by name, or a Neuron ID.
  auto neuronOf = [&](const QString& name) {
    try {
      return subsystem->AppDevices()->Item(name)->NeuronId();
    } catch (const lns::LnsError& e) {
      if (e.number() != lns::kErrNotFound)
        throw;
    }
    if (isNeuronId(name))
      return name.toUpper();
    throw UsageError(QStringLiteral("\"%1\" is neither a device of %2 nor a Neuron ID").arg(name, args.positional[0]));
  };
  const int wanted = action == QLatin1String("open") || action == QLatin1String("add-member") ? 4
                     : action == QLatin1String("remove-member")                               ? 3
                                                                                              : 2;
  if (!action.isEmpty() && args.positional.size() != wanted)
    throw UsageError(QStringLiteral("%1 takes %2 value(s)").arg(action).arg(wanted - 2));
  if (action == QLatin1String("closed")) {
    config.closed = true;
    config.endA.clear();
    config.endB.clear();
  } else if (action == QLatin1String("open")) {
    config.closed = false;
    config.endA = neuronOf(args.positional[2]);
    config.endB = neuronOf(args.positional[3]);
  } else if (action == QLatin1String("add-member")) {
    bool ok = false;
    const int unit = args.positional[2].toInt(&ok);
    if (!ok || unit < 0 || unit > 254)
      throw UsageError(QStringLiteral("a unit ID is 0 to 254, not \"%1\"").arg(args.positional[2]));
    if (!isNeuronId(args.positional[3]))
      throw UsageError(QStringLiteral("a Neuron ID is 12 hexadecimal digits, not \"%1\"").arg(args.positional[3]));
    const QString neuron = args.positional[3].toUpper();
    config.phantoms.removeIf([&](const rlxsim::RingMember& m) { return m.neuronId == neuron; });
    config.phantoms << rlxsim::RingMember{unit, neuron, 0};
  } else if (action == QLatin1String("remove-member")) {
    const QString neuron = args.positional[2].toUpper();
    if (config.phantoms.removeIf([&](const rlxsim::RingMember& m) { return m.neuronId == neuron; }) == 0)
      throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ring member %1").arg(neuron));
  } else if (!action.isEmpty()) {
    throw UsageError(QStringLiteral("the ring takes closed, open A B, add-member UNIT NEURONID or remove-member "
                                    "NEURONID, not \"%1\"")
                         .arg(action));
  }
  if (!action.isEmpty()) {
    lnssim::SimDatabase::Transaction tx(db);
    rlxsim::writeRingConfig(db, subsystemId, config);
    tx.commit();
  }
  const rlxsim::RingView view = rlxsim::buildRingView(ctx, subsystemId, rlxsim::networkNow(db, ctx.clock()));
  cli.out() << "Ring of " << args.positional[0] << ": "
            << (config.closed ? QStringLiteral("closed")
                              : QStringLiteral("open between %1 and %2").arg(config.endA, config.endB))
            << "\n";
  for (const rlxsim::RingMember& m : view.members) {
    QString name = QStringLiteral("(not in the database)");
    if (const auto d = ctx.device(m.deviceId); d && m.deviceId != 0)
      name = d->name;
    cli.out() << m.unit << '\t' << m.neuronId << '\t' << name << "\n";
  }
  return kExitOk;
}

// --- demo ----------------------------------------------------------------------

struct DemoEntry {
  int index;
  const char* number;
  const char* description;
};
constexpr DemoEntry kExplicitBook[] = {{0, "5551234", "Head office"},
                                       {1, "9,5559876", "Warehouse"},
                                       {2, "P0041223456789", ""},
                                       {5, "0800123456", "Service line"}};
constexpr DemoEntry kLonMarkBook[] = {
    {0, "5551234", "Head office"}, {1, "9,5559876", "Warehouse"}, {3, "0041223456789", ""}};
constexpr std::pair<const char*, int> kRing[] = {{"RLX-Explicit", 1}, {"RLX-LonMark", 2}, {"RLX-North", 3},
                                                 {"RLX-East", 4},     {"RLX-South", 5},   {"RLX-West", 6}};

bool hasRecord(const lns::AppDevicePtr& device, const QString& name) {
  try {
    device->Extensions()->Item(name);
    return true;
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
    return false;
  }
}

lns::LonMarkObjectPtr objectAt(const lns::AppDevicePtr& device, qint32 index) {
  auto objects = device->Interface()->LonMarkObjects();
  for (qint32 i = 1, n = objects->Count(); i <= n; ++i)
    if (auto o = objects->Item(i); o->Index() == index)
      return o;
  throw lns::LnsError(lns::kErrNotFound,
                      QStringLiteral("Object not found: LonMark object %1 of %2").arg(index).arg(device->Name()));
}

}  // namespace

QStringList ensureRlxDemo(lnssim::SimObjectServer& server) {
  QStringList report;
  const lnssim::OpenedSystem sys = lnssim::openFirstSystem(server, QStringLiteral("Demo"));
  const auto routers = sys.system->Subsystems()->Item(QStringLiteral("Routers"));
  const qint64 routersId = lnssim::rowIdOf(routers);
  const auto devices = routers->AppDevices();
  lnssim::SimDatabase& db = server.database();
  lnssim::RuntimeContext& ctx = server.runtimeContext();
  rlxsim::ensureSchema(db);
  auto identity = [&](const lns::AppDevicePtr& d) { return *ctx.device(lnssim::rowIdOf(d)); };

  for (const auto& [name, unit] : kRing) {
    if (unit <= 2)
      continue;  // the two demo devices exist already
    const QString path = QStringLiteral("Routers/") + QLatin1String(name);
    try {
      devices->Item(QString::fromLatin1(name));
      report << QStringLiteral("device %1 exists").arg(path);
    } catch (const lns::LnsError& e) {
      if (e.number() != lns::kErrNotFound)
        throw;
      lnssim::RlxDevice d;
      d.subsystemId = routersId;
      d.name = QString::fromLatin1(name);
      d.family = lnssim::RlxFamily::Explicit;
      lnssim::addRlxDevice(server, sys, d);
      report << QStringLiteral("device %1 created").arg(path);
    }
  }

  if (db.query("SELECT 1 FROM rlx_rings WHERE subsystem_id=?1").bind(1, routersId).scalarInt()) {
    report << QStringLiteral("ring of Routers exists");
  } else {
    lnssim::SimDatabase::Transaction tx(db);
    rlxsim::writeRingConfig(db, routersId, rlxsim::RingConfig{});
    for (const auto& [name, unit] : kRing) {
      const auto device = devices->Item(QString::fromLatin1(name));
      const rlxsim::RingMode mode{true, unit, 2000, 10000};
      update(ctx, identity(device), [&](DeviceState& s, qint64) { s.ring = mode; });
      if (rlxsim::familyOf(device->ProgramId()) == rlxsim::Family::LonMark) {
        objectAt(device, 6)
            ->ConfigProperties()
            ->Item(QStringLiteral("UCPT_RingMode"))
            ->SetValue(rlxsim::ringModeText(mode));
        rlxsim::clearTraffic(db, lnssim::rowIdOf(device));
      }
    }
    tx.commit();
    report << QStringLiteral("ring of Routers created");
  }

  const auto explicitDevice = devices->Item(QStringLiteral("RLX-Explicit"));
  if (hasRecord(explicitDevice, QStringLiteral("ZevExplicitPhonebook0"))) {
    report << QStringLiteral("phonebook of Routers/RLX-Explicit exists");
  } else {
    lnssim::SimDatabase::Transaction tx(db);
    auto records = explicitDevice->Extensions();
    QStringList numbers(rlxsim::kPhonebookEntries), descriptions(rlxsim::kPhonebookEntries);
    for (const DemoEntry& e : kExplicitBook) {
      numbers[e.index] = QString::fromLatin1(e.number);
      descriptions[e.index] = QString::fromLatin1(e.description);
    }
    for (int i = 0; i < rlxsim::kPhonebookEntries; ++i) {
      auto r = records->Add(QStringLiteral("ZevExplicitPhonebook%1").arg(i));
      r->SetField(1, numbers[i]);
      r->SetField(2, descriptions[i]);
      r->SetField(3, numbers[i]);
    }
    if (!hasRecord(explicitDevice, QStringLiteral("ZevExplicitResync")))
      records->Add(QStringLiteral("ZevExplicitResync"))->SetField(1, QString());
    update(ctx, identity(explicitDevice), [&](DeviceState& s, qint64) {
      for (int i = 0; i < rlxsim::kPhonebookEntries; ++i)
        s.phonebook[i] = numbers[i];
    });
    tx.commit();
    report << QStringLiteral("phonebook of Routers/RLX-Explicit created");
  }

  const auto lonMark = devices->Item(QStringLiteral("RLX-LonMark"));
  if (hasRecord(lonMark, QStringLiteral("ZevPhoneBook0"))) {
    report << QStringLiteral("phonebook of Routers/RLX-LonMark exists");
  } else {
    lnssim::SimDatabase::Transaction tx(db);
    auto records = lonMark->Extensions();
    auto dialStrings = objectAt(lonMark, 4)->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
    const qint32 count = dialStrings->ElementCount();
    for (qint32 i = 0; i < count; ++i) {
      QString description;
      for (const DemoEntry& e : kLonMarkBook)
        if (e.index == i)
          description = QString::fromLatin1(e.description);
      records->Add(QStringLiteral("ZevPhoneBook%1").arg(i))->SetField(1, description);
    }
    for (const DemoEntry& e : kLonMarkBook)
      dialStrings->SetElement(e.index, QString::fromLatin1(e.number));
    update(ctx, identity(lonMark), [&](DeviceState& s, qint64) {
      for (const DemoEntry& e : kLonMarkBook)
        s.phonebook[e.index] = QString::fromLatin1(e.number);
    });
    rlxsim::clearTraffic(db, lnssim::rowIdOf(lonMark));
    tx.commit();
    report << QStringLiteral("phonebook of Routers/RLX-LonMark created");
  }
  return report;
}

void registerRlxDeviceCommands(CommandRegistry& r) {
  r.add({QStringLiteral("fault"),
         QStringLiteral("[--network N] DEVICEPATH none|no-answer|failure|reset-once"),
         QStringLiteral("makes an RLX router fail on demand: silent (\"Message Timeout\"), failing in the data server "
                        "(\"Message Failed\"), asking for a data-server reset once; none ends the fault"),
         {kNetwork},
         2,
         2,
         fault});
  r.add({QStringLiteral("set-rlx"),
         QStringLiteral("[--network N] DEVICEPATH SETTING VALUE"),
         QStringLiteral("changes a setting of an RLX router: ") + QLatin1String(kSettings),
         {kNetwork},
         3,
         3,
         setRlx});
  r.add({QStringLiteral("drop-call"),
         QStringLiteral("[--network N] DEVICEPATH internal|ext1|ext2 CAUSE"),
         QStringLiteral("drops a modem's call with a hang-up cause (1 to 9 or carrier-lost, ..., dsr-lost)"),
         {kNetwork},
         3,
         3,
         dropCall});
  r.add({QStringLiteral("rlx-state"),
         QStringLiteral("[--network N] DEVICEPATH"),
         QStringLiteral("shows what an RLX router holds: settings, faults, modems, statistics, phonebook"),
         {kNetwork},
         1,
         1,
         rlxState});
  r.add({QStringLiteral("traffic"),
         QStringLiteral("[--network N] DEVICEPATH | --clear [DEVICEPATH]"),
         QStringLiteral("lists the requests an RLX router received, oldest first: network time, outcome, LonMark "
                        "object and the request text, tab-separated; --clear forgets them"),
         {kNetwork, {QStringLiteral("--clear"), QString()}},
         0,
         1,
         trafficCommand});
  r.add({QStringLiteral("clock"),
         QStringLiteral("[show|freeze|advance MS|run]"),
         QStringLiteral("shows, freezes, advances or restarts the network clock the simulated devices live by"),
         {},
         0,
         2,
         clock});
  r.add({QStringLiteral("ring"),
         QStringLiteral("[--network N] SUBSYSTEM [closed | open A B | add-member UNIT NEURONID | remove-member "
                        "NEURONID]"),
         QStringLiteral("shows or sets up the ring of a subsystem's RLX routers: its shape, the ends of an open ring "
                        "(device names or Neuron IDs), members the database does not hold"),
         {kNetwork},
         1,
         4,
         ring});
}

}  // namespace lnsdb
