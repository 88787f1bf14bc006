#include "lonworks/xif32bin/xfb.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "tests/support/test_env.h"

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Xif32bin, CompilesOurInterfaceFilesAndTheBinaryFormReadsBack) {
  testing_support::TestEnv env;
  const QString src = testing_support::TestEnv::sourceDir() + "/resources/xif/Rlxtlc32.xif";
  const QString out = env.scratch() + "/Rlxtlc32.XFB";
  QString why;
  ASSERT_EQ(xif32bin::Compile(src, out, &why), 0) << why.toStdString();
  const auto back = xif32bin::DecodeXfb(readAll(out));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->programId, "800060325B080932");
  EXPECT_EQ(back->objects.size(), 7);
  EXPECT_EQ(back->objects[1].name, "Internal Modem");
  EXPECT_FALSE(back->variables.isEmpty());
  EXPECT_FALSE(back->properties.isEmpty());
  EXPECT_FALSE(xif32bin::DecodeXfb("XFB1garbage").has_value());
  EXPECT_FALSE(xif32bin::DecodeXfb(readAll(src)).has_value());
}

TEST(Xif32bin, ProgramReportsMissingAndMalformedInput) {
  testing_support::TestEnv env;
  const QString tool = testing_support::TestEnv::binDir() + "/XIF32BIN";
  QProcess p;
  p.start(tool, {env.scratch() + "/missing file.xif", env.scratch() + "/out.XFB"});
  ASSERT_TRUE(p.waitForFinished());
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_FALSE(p.readAllStandardError().isEmpty());
  EXPECT_FALSE(QFile::exists(env.scratch() + "/out.XFB"));

  const QString bad = env.scratch() + "/dir with \"quotes\"/bad.xif";
  QDir().mkpath(QFileInfo(bad).path());
  QFile f(bad);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("File: bad\nx\ny\n\n80:00:60:32:5B:08:09:32\n*\nOBJECT not-a-number\n*\n");
  f.close();
  p.start(tool, {bad, env.scratch() + "/bad.XFB"});
  ASSERT_TRUE(p.waitForFinished());
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardError().contains("bad.xif"));

  p.start(tool, {testing_support::TestEnv::sourceDir() + "/resources/xif/Rlxtlc20.xif",
                 env.scratch() + "/dir with \"quotes\"/Rlxtlc20.XFB"});
  ASSERT_TRUE(p.waitForFinished());
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(QFile::exists(env.scratch() + "/dir with \"quotes\"/Rlxtlc20.XFB"));

  p.start(tool, {"only-one-argument"});
  ASSERT_TRUE(p.waitForFinished());
  EXPECT_EQ(p.exitCode(), 2);
}

}  // namespace
