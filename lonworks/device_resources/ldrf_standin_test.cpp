#include "lonworks/device_resources/ldrf_standin.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <functional>

#include "tests/support/test_env.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(LdrfStandIn, LanguageFileStrings) {
  testing_support::TestEnv env;
  lonworks::LdrfStandInFactory factory;
  const QString path = env.scratch() + "/Zev.enu";
  write(path, "LDRF-LANGUAGE 1\n; comment\n9=Internal Modem\n10=External Modem #1\n96=Directory #1\nEND\n");
  auto general = factory.createGeneral();
  auto lang = factory.createLangRsrc();
  qint32 h = 0;
  ASSERT_EQ(general->OpenFile(path, 2, 0, 0, h), 0);
  QString text;
  EXPECT_EQ(lang->GetResourceString(h, 10, text), 0);
  EXPECT_EQ(text, "External Modem #1");
  EXPECT_NE(lang->GetResourceString(h, 11, text), 0);
  EXPECT_EQ(general->CloseFile(h), 0);
  EXPECT_NE(lang->GetResourceString(h, 9, text), 0);
  EXPECT_NE(general->CloseFile(h), 0);
}

TEST(LdrfStandIn, MissingTruncatedOrGarbageLanguageFilesDoNotOpen) {
  testing_support::TestEnv env;
  lonworks::LdrfStandInFactory factory;
  auto general = factory.createGeneral();
  qint32 h = 0;
  EXPECT_NE(general->OpenFile(env.scratch() + "/none.enu", 2, 0, 0, h), 0);
  write(env.scratch() + "/cut.enu", "LDRF-LANGUAGE 1\n9=Internal Modem\n10=Exter");
  EXPECT_NE(general->OpenFile(env.scratch() + "/cut.enu", 2, 0, 0, h), 0);
  write(env.scratch() + "/junk.enu", QByteArray("\x00\xff\x13garbage\n=\n", 13));
  EXPECT_NE(general->OpenFile(env.scratch() + "/junk.enu", 2, 0, 0, h), 0);
  write(env.scratch() + "/badline.enu", "LDRF-LANGUAGE 1\nnot a string line\nEND\n");
  EXPECT_NE(general->OpenFile(env.scratch() + "/badline.enu", 2, 0, 0, h), 0);
}

TEST(LdrfStandIn, CatalogAddRemoveRefreshPersist) {
  testing_support::TestEnv env;
  lonworks::LdrfStandInFactory factory;
  const QString root = env.scratch() + "/Types";
  QDir().mkpath(root);
  auto cat = factory.createCatalog();
  qint32 value = 0, h = 0, v1, n, v3, v4, v5, v6;
  ASSERT_EQ(cat->OpenCatalog(root, value, h), 0);
  ASSERT_EQ(cat->GetCatalogInfo(h, v1, n, v3, v4, v5, v6), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(cat->CatalogAddDir(h, "C:\\Lon\\types\\User\\Zev\\"), 0);
  EXPECT_NE(cat->CatalogAddDir(h, "c:\\lon\\TYPES\\user\\zev"), 0);  // already listed
  EXPECT_EQ(cat->CatalogRefresh(h), 0);
  EXPECT_EQ(cat->CloseCatalog(h), 0);

  auto again = factory.createCatalog();
  ASSERT_EQ(again->OpenCatalog(root, value, h), 0);
  ASSERT_EQ(again->GetCatalogInfo(h, v1, n, v3, v4, v5, v6), 0);
  EXPECT_EQ(n, 1);
  QString dir;
  EXPECT_EQ(again->CatalogGetDir(h, 0, dir), 0);
  EXPECT_EQ(dir, "C:\\Lon\\types\\User\\Zev\\");
  EXPECT_NE(again->CatalogGetDir(h, 1, dir), 0);
  EXPECT_EQ(again->CatalogRmvDir(h, "C:\\LON\\types\\User\\Zev"), 0);
  EXPECT_NE(again->CatalogRmvDir(h, "C:\\LON\\types\\User\\Zev"), 0);
  again->CloseCatalog(h);
}

TEST(LdrfStandIn, CatalogInMissingFolderFails) {
  testing_support::TestEnv env;
  lonworks::LdrfStandInFactory factory;
  auto cat = factory.createCatalog();
  qint32 value = 0, h = 0;
  EXPECT_NE(cat->OpenCatalog(env.scratch() + "/NoSuchTypes", value, h), 0);
}

// Files that are not plain files in place of the language file or the
// catalog: a FIFO (opening it would wait for a writer for ever), a link to an
// endless device, a folder, a file far too large. Each is refused at once.
TEST(LdrfStandIn, SpecialFilesAreRefusedWithoutBlockingOrEndlessReading) {
  testing_support::TestEnv env;
  lonworks::LdrfStandInFactory factory;
  auto general = factory.createGeneral();
  auto catalog = factory.createCatalog();
  const QString dir = env.scratch();
  struct Case {
    const char* name;
    std::function<bool(const QString&)> make;
  };
  const Case cases[] = {
      {"fifo", [](const QString& p) { return mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }},
      {"device-link", [](const QString& p) { return QFile::link("/dev/zero", p); }},
      {"folder", [](const QString& p) { return QDir().mkpath(p); }},
      {"oversized",
       [](const QString& p) {
         QFile f(p);
         return f.open(QIODevice::WriteOnly) && f.write("LDRF-LANGUAGE 1\n") > 0 && f.resize(64 * 1024 * 1024);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QElapsedTimer t;
    t.start();
    const QString language = dir + "/" + c.name + ".enu";
    ASSERT_TRUE(c.make(language));
    qint32 h = 0;
    EXPECT_NE(general->OpenFile(language, 2, 0, 0, h), 0);

    const QString root = dir + "/" + c.name;
    ASSERT_TRUE(QDir().mkpath(root));
    ASSERT_TRUE(c.make(root + "/ldrf.cat"));
    qint32 value = 0, handle = 0;
    EXPECT_NE(catalog->OpenCatalog(root, value, handle), 0);
    EXPECT_LT(t.elapsed(), 2000);
  }
}

}  // namespace
