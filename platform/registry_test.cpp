#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "tests/support/test_env.h"

using platform::Hive;
using platform::Registry;
using platform::RegType;

namespace {

TEST(Registry, ValuesKeepWriteOrderAndDefaultValue) {
  testing_support::TestEnv env;
  const QString key = "SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug";
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "", "RLX_Plug.LNSPlugInAPI"));
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "Name", "RLX_Plug"));
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "Description", "RLX_Plug UTILITY"));
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "Scope", " 2"));
  const auto values = Registry::values(Hive::LocalMachine, key);
  ASSERT_EQ(values.size(), 4);
  EXPECT_EQ(values[0].name, "");
  EXPECT_EQ(values[0].data, "RLX_Plug.LNSPlugInAPI");
  EXPECT_EQ(values[1].name, "Name");
  EXPECT_EQ(values[2].name, "Description");
  EXPECT_EQ(values[3].data, " 2");  // leading blank kept
  // Rewriting a value keeps its place.
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "name", "Other"));
  EXPECT_EQ(Registry::values(Hive::LocalMachine, key)[1].data, "Other");
  EXPECT_EQ(Registry::values(Hive::LocalMachine, key)[1].name, "Name");
}

TEST(Registry, KeysAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", "/opt/lon"));
  EXPECT_TRUE(Registry::keyExists(Hive::LocalMachine, "software\\lonworks"));
  EXPECT_EQ(Registry::value(Hive::LocalMachine, "Software\\LONWORKS", "lonworks path")->data, "/opt/lon");
  ASSERT_TRUE(Registry::createKey(Hive::LocalMachine, "software\\LONWORKS\\LCA"));
  EXPECT_EQ(Registry::subKeys(Hive::LocalMachine, "SOFTWARE"), QStringList{"LonWorks"});
  EXPECT_EQ(Registry::subKeys(Hive::LocalMachine, "SOFTWARE\\LonWorks"), QStringList{"LCA"});
}

TEST(Registry, HivesAreSeparate) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::CurrentUser, "SOFTWARE\\A", "x", "user"));
  EXPECT_FALSE(Registry::value(Hive::LocalMachine, "SOFTWARE\\A", "x").has_value());
  EXPECT_TRUE(QFileInfo::exists(Registry::hiveFile(Hive::CurrentUser)));
  EXPECT_FALSE(QFileInfo::exists(Registry::hiveFile(Hive::LocalMachine)));
}

TEST(Registry, EmptyKeysExistAndDeleteKeyRefusesKeysWithSubkeys) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::createKey(Hive::LocalMachine, "A\\B\\C"));
  EXPECT_TRUE(Registry::keyExists(Hive::LocalMachine, "A\\B"));
  EXPECT_TRUE(Registry::keyExists(Hive::LocalMachine, "A\\B\\C"));
  EXPECT_FALSE(Registry::deleteKey(Hive::LocalMachine, "A\\B"));
  EXPECT_TRUE(Registry::deleteKey(Hive::LocalMachine, "A\\B\\C"));
  EXPECT_TRUE(Registry::deleteKey(Hive::LocalMachine, "A\\B"));
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, "A\\B"));
  EXPECT_FALSE(Registry::deleteKey(Hive::LocalMachine, "A\\B"));
  ASSERT_TRUE(Registry::createKey(Hive::LocalMachine, "X\\Y\\Z"));
  EXPECT_TRUE(Registry::deleteTree(Hive::LocalMachine, "x"));
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, "X\\Y"));
}

TEST(Registry, UnusualNamesAndDataRoundTrip) {
  testing_support::TestEnv env;
  const QString key = "SOFTWARE\\Zev Products Inc\\RLX_PLUG\\2.00a\\with/slash and 100%";
  const QString data = "C:\\Program Files\\\"quoted\" dir\\ünïcödé, comma; =equals";
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "Path", data));
  EXPECT_EQ(Registry::value(Hive::LocalMachine, key, "Path")->data, data);
  EXPECT_EQ(Registry::subKeys(Hive::LocalMachine, "SOFTWARE\\Zev Products Inc\\RLX_PLUG\\2.00a"),
            QStringList{"with/slash and 100%"});
  const QString longData(5000, u'x');
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, "Long", longData));
  EXPECT_EQ(Registry::value(Hive::LocalMachine, key, "Long")->data, longData);
}

TEST(Registry, TypesAreKept) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, "K", "n", "0x10", RegType::DWord));
  EXPECT_EQ(Registry::value(Hive::LocalMachine, "K", "n")->type, RegType::DWord);
}

TEST(Registry, UnwritableHiveFailsWithoutCrashing) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, "K", "a", "1"));
  QFile::setPermissions(Registry::hiveFile(Hive::LocalMachine), QFile::ReadOwner);
  QFile::setPermissions(env.registryRoot(), QFile::ReadOwner | QFile::ExeOwner);
  if (QFileInfo(Registry::hiveFile(Hive::LocalMachine)).isWritable())
    GTEST_SKIP() << "running with privileges that ignore file permissions";
  EXPECT_FALSE(Registry::setValue(Hive::LocalMachine, "K", "b", "2"));
  EXPECT_EQ(Registry::value(Hive::LocalMachine, "K", "a")->data, "1");
  QFile::setPermissions(env.registryRoot(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(Registry, HiveThatIsAFolderReadsEmptyAndRefusesWrites) {
  testing_support::TestEnv env;
  // A hive path that cannot be a file at all: every access fails cleanly.
  QDir().mkpath(Registry::hiveFile(Hive::LocalMachine));
  EXPECT_FALSE(Registry::setValue(Hive::LocalMachine, "K", "a", "1"));
  EXPECT_FALSE(Registry::value(Hive::LocalMachine, "K", "a").has_value());
  EXPECT_TRUE(Registry::subKeys(Hive::LocalMachine, "").isEmpty());
}

TEST(Registry, GarbageHiveFileReadsAsEmpty) {
  testing_support::TestEnv env;
  QFile f(Registry::hiveFile(Hive::LocalMachine));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QByteArray junk;
  for (int i = 0; i < 4096; ++i)
    junk.append(static_cast<char>((i * 7919) & 0xFF));
  f.write(junk);
  f.close();
  EXPECT_FALSE(Registry::value(Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path").has_value());
  // Whatever the parser made of it, a write either works or fails cleanly.
  const bool written = Registry::setValue(Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", "/x");
  const auto back = Registry::value(Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path");
  EXPECT_EQ(back.has_value(), written);
  if (written) {
    EXPECT_EQ(back->data, "/x");
  }
}

// A hand-edited hive can name a group with an empty part ("a//b", a leading
// or trailing slash): a registry key never has an empty name, so such a part
// is not listed as a subkey (a caller walking the tree would go round in it).
TEST(Registry, NoSubkeyHasAnEmptyName) {
  const QByteArray hives[] = {
      "[a//b]\nv=1\n", "[/lead]\nv=1\n", "[trail/]\nv=1\n", "[General]\nx\\\\y=1\n",
      QByteArray::fromBase64("AAAAAAAAAAAAAAAAAAAAICJhLGIiLCBcIgpbO0dlbmVyYWxdCng9QFZhcldvcmtzCnYlWmVyMjBQb2R1Y3RzCiU0"
                             "MHZhbHVMb25Xb3Jrc1wlNDB2a2tra2tra2FsdWVzPUBCeXRlQXJyYXkoXDBceDEpLCAiYSxiIk8sIHgsIFZlcnNp"
                             "YW50KFwwJQo=")};
  for (const QByteArray& content : hives) {
    SCOPED_TRACE(content.toStdString());
    testing_support::TestEnv env;
    QFile f(Registry::hiveFile(Hive::LocalMachine));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QStringList keys{QString()};
    for (int i = 0; i < keys.size() && i < 50; ++i) {
      for (const QString& child : Registry::subKeys(Hive::LocalMachine, keys[i])) {
        EXPECT_FALSE(child.isEmpty()) << "under \"" << keys[i].toStdString() << '"';
        keys << (keys[i].isEmpty() ? child : keys[i] + u'\\' + child);
      }
    }
  }
}

TEST(Registry, WriteIsOnDiskWhenTheCallReturns) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", "/tree"));
  QFile f(Registry::hiveFile(Hive::LocalMachine));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().contains("/tree"));
}

}  // namespace
