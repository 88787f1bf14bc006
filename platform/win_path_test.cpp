#include "platform/win_path.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/test_env.h"

using platform::WinPath;

namespace {

TEST(WinPath, ComponentsMatchExistingEntriesWithoutRegardToCase) {
  testing_support::TestEnv env;
  const QString root = env.scratch();
  ASSERT_TRUE(QDir().mkpath(root + "/types/User/Zev"));
  EXPECT_EQ(WinPath::resolve(root + "\\types\\user\\ZEV\\Zev.enu"), root + "/types/User/Zev/Zev.enu");
  EXPECT_EQ(WinPath::diskName(root + "\\TYPES\\user"), "User");
  EXPECT_TRUE(WinPath::isDir(root + "\\types\\USER\\zev\\"));
  EXPECT_EQ(WinPath::diskName(root + "\\types\\none"), "");
}

TEST(WinPath, DoubledSeparatorsFoldAndMissingPartsKeepTheirSpelling) {
  testing_support::TestEnv env;
  const QString root = env.scratch();
  ASSERT_TRUE(QDir().mkpath(root + "/types"));
  EXPECT_EQ(WinPath::resolve(root + "\\TYPES\\\\New\\File.txt"), root + "/types/New/File.txt");
}

TEST(WinPath, MakeDirsReusesFoldersThatDifferOnlyInCase) {
  testing_support::TestEnv env;
  const QString root = env.scratch();
  ASSERT_TRUE(QDir().mkpath(root + "/Types/USER"));
  ASSERT_TRUE(WinPath::makeDirs(root + "\\types\\user\\ZEV"));
  QDir types(root + "/Types");
  EXPECT_EQ(types.entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"USER"});
  EXPECT_EQ(QDir(root + "/Types/USER").entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"ZEV"});
  EXPECT_EQ(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Types"});
}

TEST(WinPath, UnusualNames) {
  testing_support::TestEnv env;
  const QString root = env.scratch() + "/Lon Works \"quoted\" ünï";
  ASSERT_TRUE(QDir().mkpath(root + "/Import"));
  EXPECT_EQ(WinPath::resolve(root + "\\import\\x.xif"), root + "/Import/x.xif");
  const QString deep = root + "/" + QString(200, u'd') + "/" + QString(200, u'e');
  ASSERT_TRUE(WinPath::makeDirs(deep));
  EXPECT_TRUE(WinPath::isDir(deep.toUpper().replace(root.toUpper(), root)));
}

TEST(WinPath, JoinDoesNotDoubleSeparators) {
  EXPECT_EQ(WinPath::join("C:\\a\\", "b"), "C:\\a\\b");
  EXPECT_EQ(WinPath::join("C:\\a", "b"), "C:\\a\\b");
}

}  // namespace
