#include "host/automation_dispatch.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>

#include "tests/support/log_capture.h"
#include "tests/support/plugin_fixture.h"

using namespace automation;
using testing_support::FakeWindow;
using testing_support::PlugInFixture;

namespace {

const QString kDirector = QStringLiteral(":1.10");
const QString kOther = QStringLiteral(":1.11");

class Dispatch : public PlugInFixture {
 protected:
  Reply call(const QString& sender, const QString& path, const QString& iface, const QString& member,
             const QString& signature, const QVariantList& args = {}) {
    return dispatcher_.dispatch(Call{sender, path, iface, member, signature, args});
  }
  QString create(const QString& sender = kDirector) {
    const Reply r = call(sender, kFactoryPath, kFactoryInterface, "CreateObject", "");
    EXPECT_FALSE(r.isError()) << r.errorName.toStdString();
    return r.values.value(0).value<QDBusObjectPath>().path();
  }
  Reply get(const QString& path, const QString& name, const QString& sender = kDirector) {
    return call(sender, path, kPropertiesInterface, "Get", "ss", {kObjectInterface, name});
  }
  Reply set(const QString& path, const QString& name, const QVariant& value, const QString& sender = kDirector) {
    return call(sender, path, kPropertiesInterface, "Set", "ssv",
                {kObjectInterface, name, QVariant::fromValue(QDBusVariant(value))});
  }
  Reply send(const QString& path, qint32 command, qint16 type, const QString& name) {
    return call(kDirector, path, kObjectInterface, "SendCommand", "ins",
                {QVariant::fromValue(command), QVariant::fromValue(type), name});
  }
  static QVariant value(const Reply& r) { return r.values.value(0).value<QDBusVariant>().variant(); }

  Dispatcher dispatcher_;
};

TEST_F(Dispatch, FactoryCreatesNumberedObjectsAndTellsOfNewOwners) {
  QStringList owners;
  dispatcher_.onNewOwner = [&owners](const QString& owner) { owners << owner; };
  EXPECT_EQ(create(), "/RLX_Plug/LNSPlugInAPI/1");
  EXPECT_EQ(create(), "/RLX_Plug/LNSPlugInAPI/2");
  EXPECT_EQ(create(kOther), "/RLX_Plug/LNSPlugInAPI/3");
  EXPECT_EQ(owners, (QStringList{kDirector, kOther}));
  EXPECT_EQ(MMain.DirectorCount, 3);
  EXPECT_EQ(dispatcher_.liveObjects(), 3);

  const Reply withArgs = call(kDirector, kFactoryPath, kFactoryInterface, "CreateObject", "i", {5});
  EXPECT_EQ(withArgs.errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(call(kDirector, kFactoryPath, kFactoryInterface, "Destroy", "").errorName, dbus_error::kUnknownMethod);
  EXPECT_EQ(call(kDirector, kFactoryPath, "org.example.Nothing", "CreateObject", "").errorName,
            dbus_error::kUnknownInterface);
  // Without an interface the member is found all the same.
  EXPECT_FALSE(call(kDirector, kFactoryPath, "", "CreateObject", "").isError());
  const Reply all = call(kDirector, kFactoryPath, kPropertiesInterface, "GetAll", "s", {kFactoryInterface});
  EXPECT_FALSE(all.isError());
  EXPECT_TRUE(qdbus_cast<QVariantMap>(all.values.value(0)).isEmpty());
  EXPECT_EQ(MMain.DirectorCount, 4);
}

TEST_F(Dispatch, PropertiesThroughTheStandardInterface) {
  const QString path = create();
  EXPECT_EQ(value(get(path, "Name")).toString(), "RLX_Plug");
  EXPECT_EQ(value(get(path, "Visible")).metaType().id(), QMetaType::Bool);
  EXPECT_EQ(value(get(path, "Height")).metaType().id(), QMetaType::Int);

  Reply r = set(path, "Version", QStringLiteral("9.99"));
  EXPECT_EQ(r.errorName, "RLX_Plug.Error.E20002");
  EXPECT_EQ(r.errorMessage, "Attempt to write to read-only property");
  EXPECT_EQ(value(get(path, "Version")).toString(), "2.10b");

  // fMain has a fixed border.
  EXPECT_EQ(set(path, "Height", qint32(200)).errorName, "RLX_Plug.Error.E20002");
  EXPECT_FALSE(set(path, "NetworkInterfaceName", QStringLiteral("NI-1")).isError());
  EXPECT_EQ(value(get(path, "NetworkInterfaceName")).toString(), "NI-1");

  // Values of the wrong type are refused before anything runs.
  EXPECT_EQ(set(path, "Visible", qint32(1)).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(set(path, "Height", QStringLiteral("200")).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(set(path, "Height", qint64(200)).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(set(path, "networkName", true).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(MMain.CurrentNetworkName, "");

  EXPECT_EQ(get(path, "Colour").errorName, dbus_error::kUnknownProperty);
  EXPECT_EQ(get(path, "name").errorName, dbus_error::kUnknownProperty);
  EXPECT_EQ(set(path, "Colour", true).errorName, dbus_error::kUnknownProperty);
  EXPECT_EQ(call(kDirector, path, kPropertiesInterface, "Get", "ss", {"org.example.Other", "Name"}).errorName,
            dbus_error::kUnknownProperty);
  EXPECT_EQ(call(kDirector, path, kPropertiesInterface, "Get", "s", {kObjectInterface}).errorName,
            dbus_error::kUnknownMethod);

  const Reply all = call(kDirector, path, kPropertiesInterface, "GetAll", "s", {kObjectInterface});
  ASSERT_FALSE(all.isError());
  const QVariantMap map = qdbus_cast<QVariantMap>(all.values.value(0));
  EXPECT_EQ(map.size(), 14);
  EXPECT_EQ(map.value("ManufacturerName").toString(), "Zev Prodcucts Inc");
  EXPECT_EQ(map.value("NetworkInterfaceName").toString(), "NI-1");
}

TEST_F(Dispatch, MethodsAndTheirErrors) {
  const QString path = create();
  OpenDemoDirectly();
  EXPECT_FALSE(send(path, 13, 7, "Routers/RLX-LonMark").isError());
  ASSERT_EQ(window(WindowId::fMain)->opens.size(), 1u);

  Reply r = send(path, 14, 7, "Routers/RLX-LonMark");
  EXPECT_EQ(r.errorName, "RLX_Plug.Error.E20003");
  EXPECT_EQ(r.errorMessage, "Command not supported");
  // An error of the Object Server keeps its own source.
  const lns::ObjectServerPtr server = MMain.ObjectServer;
  MMain.ObjectServer.reset();
  r = set(path, "Remote", true);
  EXPECT_TRUE(r.errorName.startsWith("LcaObjectServer.Error.E")) << r.errorName.toStdString();
  EXPECT_EQ(r.errorMessage, "The Object Server is not available");
  MMain.ObjectServer = server;
  EXPECT_EQ(send(path, 13, 5, "x").errorName, "RLX_Plug.Error.E20004");
  r = send(path, 13, 7, "Routers/Nothing");
  EXPECT_EQ(r.errorName, "RLX_Plug.Error.E20005");
  EXPECT_EQ(r.errorMessage, "Object not found");

  EXPECT_EQ(call(kDirector, path, kObjectInterface, "SendCommand", "iis", {13, 7, "x"}).errorName,
            dbus_error::kInvalidArgs);
  EXPECT_EQ(call(kDirector, path, kObjectInterface, "SendCommand", "", {}).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(call(kDirector, path, kObjectInterface, "Release", "s", {"x"}).errorName, dbus_error::kInvalidArgs);
  EXPECT_EQ(call(kDirector, path, kObjectInterface, "Explode", "").errorName, dbus_error::kUnknownMethod);
  EXPECT_EQ(call(kDirector, path, "org.example.Other", "SendCommand", "ins", {13, 7, "x"}).errorName,
            dbus_error::kUnknownInterface);
  // The interface may be left out.
  EXPECT_FALSE(call(kDirector, path, "", "SendCommand", "ins",
                    {QVariant::fromValue(qint32(13)), QVariant::fromValue(qint16(7)), "Routers/RLX-LonMark"})
                   .isError());
  EXPECT_EQ(window(WindowId::fMain)->opens.size(), 2u);
}

TEST_F(Dispatch, BadInputKeepsTheServerServing) {
  const QString path = create();
  const QString huge(1 << 20, u'N');
  Reply r = set(path, "networkName", huge);
  EXPECT_EQ(r.errorName, "RLX_Plug.Error.E20005");
  EXPECT_EQ(r.errorMessage,
            "The network name is 1048576 characters long; no LNS name or path is longer than 4096 characters");
  // An error text that quotes what the director sent is cut short in the reply.
  const QDBusMessage call = QDBusMessage::createMethodCall("a.b", "/", "a.b", "m");
  const QString text = "Cannot open the network " + QString(10000, u'M');
  EXPECT_EQ(ReplyMessage(call, Reply::error("RLX_Plug.Error.E20006", text)).errorMessage(), text.left(8192) + "...");
  EXPECT_EQ(ReplyMessage(call, Reply::error("RLX_Plug.Error.E20006", "short")).errorMessage(), "short");
  r = set(path, "networkName", QString());
  EXPECT_TRUE(r.errorMessage.startsWith("Cannot open the network : ")) << r.errorMessage.toStdString();
  EXPECT_FALSE(set(path, "networkName", QStringLiteral("Demo")).isError());
  EXPECT_EQ(value(get(path, "networkName")).toString(), "Demo");
  for (const QString& name : {QString(1 << 20, u'/'), QString(1 << 20, u':'), QStringLiteral(":"), QString()})
    EXPECT_EQ(send(path, 13, 28, name).errorName, "RLX_Plug.Error.E20005");
  EXPECT_EQ(value(get(path, "Name")).toString(), "RLX_Plug");
}

TEST_F(Dispatch, ObjectsBelongToTheConnectionThatCreatedThem) {
  const QString mine = create();
  const Reply r = get(mine, "Name", kOther);
  EXPECT_EQ(r.errorName, dbus_error::kAccessDenied);
  EXPECT_EQ(call(kOther, mine, kObjectInterface, "Release", "").errorName, dbus_error::kAccessDenied);
  EXPECT_EQ(MMain.DirectorCount, 1);

  for (const QString& path : {QStringLiteral("/RLX_Plug/LNSPlugInAPI/99"), QStringLiteral("/RLX_Plug/LNSPlugInAPI/01"),
                              QStringLiteral("/RLX_Plug/LNSPlugInAPI/1x"), QStringLiteral("/RLX_Plug/LNSPlugInAPI"),
                              QStringLiteral("/RLX_Plug/LNSPlugInAPI/"), QStringLiteral("/elsewhere")})
    EXPECT_EQ(get(path, "Name").errorName, dbus_error::kUnknownObject) << path.toStdString();
}

TEST_F(Dispatch, ReleaseAndConnectionsGoingAway) {
  const QString a = create();
  const QString b = create();
  const QString other = create(kOther);
  EXPECT_FALSE(call(kDirector, a, kObjectInterface, "Release", "").isError());
  EXPECT_EQ(get(a, "Name").errorName, dbus_error::kUnknownObject);
  EXPECT_EQ(MMain.DirectorCount, 2);

  dispatcher_.releaseOwnedBy(kDirector);
  EXPECT_EQ(get(b, "Name").errorName, dbus_error::kUnknownObject);
  EXPECT_FALSE(get(other, "Name", kOther).isError());
  EXPECT_EQ(MMain.DirectorCount, 1);
  EXPECT_FALSE(dispatcher_.owns(kDirector));
  EXPECT_EQ(window(WindowId::fMain)->endPlugInCalls, 0);

  dispatcher_.releaseOwnedBy(kOther);  // the last one, window hidden: the plug-in ends
  EXPECT_EQ(MMain.DirectorCount, 0);
  EXPECT_EQ(window(WindowId::fMain)->endPlugInCalls, 1);
  EXPECT_EQ(dispatcher_.liveObjects(), 0);
}

TEST_F(Dispatch, AnObjectReleasedDuringItsOwnCallGoesWhenTheCallReturns) {
  const QString path = create();
  OpenDemoDirectly();
  FakeWindow* main = window(WindowId::fMain);
  int countDuringCall = -1;
  // The window waits for the operator, letting events in: the director's
  // connection goes away meanwhile.
  main->onOpen = [&] {
    dispatcher_.releaseOwnedBy(kDirector);
    countDuringCall = MMain.DirectorCount;
  };
  const Reply r = send(path, 13, 7, "Routers/RLX-LonMark");
  EXPECT_FALSE(r.isError());
  EXPECT_EQ(countDuringCall, 1);  // still alive while its call ran
  EXPECT_EQ(MMain.DirectorCount, 0);
  EXPECT_EQ(main->endPlugInCalls, 1);
  EXPECT_EQ(get(path, "Name").errorName, dbus_error::kUnknownObject);
}

TEST_F(Dispatch, IntrospectionDescribesFactoryAndObjects) {
  const QString factory = dispatcher_.introspect(kFactoryPath);
  EXPECT_TRUE(factory.contains("<interface name=\"RLX_Plug.Factory\">"));
  EXPECT_TRUE(factory.contains("<method name=\"CreateObject\">"));
  EXPECT_TRUE(factory.contains("type=\"o\" direction=\"out\""));
  EXPECT_TRUE(factory.contains("<node name=\"LNSPlugInAPI\"/>"));

  const QString path = create();
  create();
  EXPECT_EQ(dispatcher_.introspect(kObjectsPath), "  <node name=\"1\"/>\n  <node name=\"2\"/>\n");
  const QString object = dispatcher_.introspect(path);
  EXPECT_TRUE(object.contains("<interface name=\"RLX_Plug._LNSPlugInAPI\">"));
  EXPECT_TRUE(object.contains("<arg name=\"commandId\" type=\"i\" direction=\"in\"/>"));
  EXPECT_TRUE(object.contains("<arg name=\"objectClassId\" type=\"n\" direction=\"in\"/>"));
  EXPECT_TRUE(object.contains("<arg name=\"objectName\" type=\"s\" direction=\"in\"/>"));
  EXPECT_TRUE(object.contains("<method name=\"Release\"/>"));
  const QStringList expected = {
      "Visible b",   "networkName s",    "NetworkInterfaceName s", "Remote b",     "Height i",  "Width i", "Left i",
      "Minimized b", "ManufacturerID s", "ManufacturerName s",     "LcaVersion s", "Version s", "Top i",   "Name s"};
  QStringList found;
  QRegularExpression property("<property name=\"(\\w+)\" type=\"(\\w)\" access=\"readwrite\"/>");
  for (auto it = property.globalMatch(object); it.hasNext();) {
    const auto m = it.next();
    found << m.captured(1) + u' ' + m.captured(2);
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(dispatcher_.introspect("/RLX_Plug/LNSPlugInAPI/7"), "");
}

// The diagnosis an operator switches on (QT_LOGGING_RULES="rlx.*=true"): one
// director session, the lines it leaves with the rules given.
class Diagnosis : public Dispatch {
 protected:
  QStringList session(const QString& rules) {
    lns_.server->databaseLocation = lonworks_ + "/Database/lns.db";
    testing_support::LogCapture log(rules);
    const QString path = create();
    set(path, "networkName", QStringLiteral("Demo"));
    set(path, "networkName", QStringLiteral("Nope"));
    send(path, 13, 7, "Routers/RLX-LonMark");
    call(kDirector, path, kObjectInterface, "Release", "");
    return log.lines();
  }
};

TEST_F(Diagnosis, IsSilentByDefault) { EXPECT_EQ(session(QString()), QStringList()); }

TEST_F(Diagnosis, NamesTheRegistryTheNetworkDatabaseAndEachDirectorCallWithItsAnswer) {
  const QStringList lines = session("rlx.*=true");
  const QString root = qEnvironmentVariable("RLX_REGISTRY_ROOT");
  const QString object = "on /RLX_Plug/LNSPlugInAPI/1 from " + kDirector;
  // Each expected line, in order, by its beginning (the times vary).
  const QStringList expected = {
      "rlx.director: CreateObject() on /RLX_Plug from " + kDirector + " -> /RLX_Plug/LNSPlugInAPI/1 (",
      "rlx.network: opened the network Demo in the database " + lonworks_ + "/Database/lns.db locally",
      "rlx.director: Set(\"RLX_Plug._LNSPlugInAPI\", \"networkName\", \"Demo\") " + object + " -> done (",
      "rlx.network: Cannot open the network Nope: Object not found: Nope. Database tried: " + lonworks_ +
          "/Database/lns.db (registry " + root + ")",
      "rlx.director: Set(\"RLX_Plug._LNSPlugInAPI\", \"networkName\", \"Nope\") " + object +
          " -> error RLX_Plug.Error.E20006: Cannot open the network Nope: ",
      "rlx.director: SendCommand(13, 7, \"Routers/RLX-LonMark\") " + object + " -> done (",
      "rlx.director: Release() " + object + " -> done (",
  };
  qsizetype at = 0;
  for (const QString& line : expected) {
    while (at < lines.size() && !lines[at].startsWith(line))
      ++at;
    EXPECT_LT(at, lines.size()) << "no line " << line.toStdString() << " in order in\n"
                                << lines.join('\n').toStdString();
  }
  EXPECT_TRUE(lines.contains("rlx.registry: registry root: " + root + " (RLX_REGISTRY_ROOT)"))
      << lines.join('\n').toStdString();
  EXPECT_TRUE(lines.contains("rlx.registry: LonWorks tree: " + lonworks_ +
                             " (HKEY_LOCAL_MACHINE\\SOFTWARE\\LonWorks, \"LonWorks Path\", registry " + root + ")"))
      << lines.join('\n').toStdString();
}

TEST(AutomationErrorNames, CarryTheNumber) {
  EXPECT_EQ(ErrorName(20005), "RLX_Plug.Error.E20005");
  EXPECT_EQ(ErrorName(4017), "RLX_Plug.Error.E4017");
  EXPECT_EQ(ErrorName(-2147221504), "RLX_Plug.Error.E_2147221504");
}

TEST(ErrorNames, AnErrorNamesItsSource) {
  EXPECT_EQ(ErrorName(20005), "RLX_Plug.Error.E20005");
  EXPECT_EQ(ErrorName(-5, "LcaObjectServer"), "LcaObjectServer.Error.E_5");
  EXPECT_EQ(ErrorName(12, "Lca Object Server"), "RLX_Plug.Error.E12");  // not a name element
}

}  // namespace
