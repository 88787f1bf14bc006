#include "lonworks/device_resources/ldrf_standin.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

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

}  // namespace
