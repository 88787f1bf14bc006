#include "phonebook/listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>

#include "host/cregistry.h"
#include "host/registration.h"
#include "phonebook/testing/phonebook_fixture.h"

using namespace phonebook;

namespace {

const QDateTime kNow(QDate(2026, 3, 9), QTime(14, 5));
const QString kThirty = QStringLiteral("P9,*#W(555)-123-4567 !12345678");

QString Trailer() {
  const QLocale l = QLocale::system();
  return l.toString(kNow.time(), QLocale::ShortFormat) + u' ' + l.toString(kNow.date(), QLocale::ShortFormat);
}

// A LonMark object whose name cannot be read.
class UnnamedObject : public lns::LonMarkObject {
 public:
  [[noreturn]] static void fail() { throw lns::LnsError(lns::kErrNotFound, QStringLiteral("gone")); }
  QString DisplayName() override { fail(); }
  QString Name() override { fail(); }
  qint32 Index() override { fail(); }
  lns::AppDevicePtr Device() override { fail(); }
  std::shared_ptr<lns::ConfigProperties> ConfigProperties() override { fail(); }
  std::shared_ptr<lns::NetworkVariables> NetworkVariables() override { fail(); }
  lns::ComponentAppsPtr ComponentApps() override { fail(); }
};

TEST(ListingLines, IndexRightAlignedAndNumbersPaddedTo32) {
  EXPECT_EQ(EntryLine(5, "5551234", "Office"), "  5\t5551234" + QString(25, u' ') + "Office");
  EXPECT_EQ(EntryLine(12, "1", ""), " 12\t1" + QString(31, u' '));
  EXPECT_EQ(EntryLine(0, kThirty, "x"), "  0\t" + kThirty + "  x");
  EXPECT_EQ(EntryLine(63, QString(32, u'9'), "d"), " 63\t" + QString(32, u'9') + " d");
  EXPECT_EQ(EntryLine(1, QString(40, u'9'), "d"), "  1\t" + QString(40, u'9') + " d");
}

TEST(ListingLines, TabsExpandToEightColumnStops) {
  EXPECT_EQ(ExpandTabs("Index\tNumber\t\t\t\tDescription"), "Index   Number" + QString(26, u' ') + "Description");
  EXPECT_EQ(ExpandTabs("  5\t555"), "  5     555");
  // The description starts in the same column as its heading.
  const QString entry = ExpandTabs(EntryLine(5, "5551234", "Office"));
  EXPECT_EQ(entry.indexOf("Office"), ExpandTabs("Index\tNumber\t\t\t\tDescription").indexOf("Description"));
}

class Listing : public phonebook_testing::PhonebookTest {
 protected:
  ListingSource ExplicitSource() { return {true, explicitDevice, nullptr, nullptr}; }
  ListingSource LonMarkSource() { return {false, lonMark, dialString, directory}; }
};

TEST_F(Listing, TheFileFormListsUsedEntriesOnly) {
  MakeExplicitRecords();
  StoreExplicit(0, QStringLiteral("100"), QStringLiteral("Zero"), QString());
  StoreExplicit(5, QStringLiteral("5551234"), QStringLiteral("Depot \"North\" – Zürich"), QString());
  StoreExplicit(6, QString(), QStringLiteral("free"), QString());
  StoreExplicit(12, kThirty, QString(), QString());
  const QStringList lines = ListingText(BuildListing(ExplicitSource(), ListingForm::File, kNow));
  EXPECT_EQ(lines, (QStringList{
                       "ZEV PHONEBOOK\tDevice: RLX-Explicit",
                       "",
                       "Index\tNumber\t\t\t\tDescription",
                       "",
                       "  0\t100" + QString(29, u' ') + "Zero",
                       "  5\t5551234" + QString(25, u' ') + "Depot \"North\" – Zürich",
                       " 12\t" + kThirty + "  ",
                       " ",
                       " ",
                       " ",
                       Trailer(),
                   }));
}

TEST_F(Listing, AnEmptyPhonebookGivesTheHeadingsAndTheTrailerOnly) {
  const QStringList lines = ListingText(BuildListing(ExplicitSource(), ListingForm::File, kNow));
  EXPECT_EQ(lines, (QStringList{"ZEV PHONEBOOK\tDevice: RLX-Explicit", "", "Index\tNumber\t\t\t\tDescription", "", " ",
                                " ", " ", Trailer()}));
}

TEST_F(Listing, ThePrinterFormChangesFontsAndSpacesTheEntries) {
  MakeDescriptionRecords();
  dialString->SetElement(3, QStringLiteral("333"));
  lonMark->Extensions()->Item(DescriptionRecordName(3))->SetField(1, QStringLiteral("Three"));
  const QList<ListingLine> lines = BuildListing(LonMarkSource(), ListingForm::Printer, kNow);
  const QList<ListingLine> expected = {
      {" ", 12, true, false},
      {"ZEV PHONEBOOK\tObject: Directory #1", 12, true, false},
      {" ", 12, true, false},
      {" ", 12, true, false},
      {"Index\tNumber\t\t\t\tDescription", 10, false, true},
      {" ", 10, false, false},
      {"  3\t333" + QString(29, u' ') + "Three", 10, false, false},
      {" ", 10, false, false},
      {" ", 10, false, false},
      {" ", 10, false, false},
      {Trailer(), 10, false, false},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (qsizetype i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], expected[i]) << i << ": " << lines[i].text.toStdString();
}

TEST_F(Listing, AnUnreadableObjectNameAddsTheDeviceHeading) {
  ListingSource source = LonMarkSource();
  source.headingObject = std::make_shared<UnnamedObject>();
  const QStringList lines = ListingText(BuildListing(source, ListingForm::File, kNow));
  EXPECT_EQ(lines.mid(0, 3), (QStringList{"ZEV PHONEBOOK\tObject: ", "ZEV PHONEBOOK\tDevice: RLX-LonMark", ""}));
}

TEST_F(Listing, PrintToFileWritesTheSampleListingIntoTheInstallationDirectory) {
  const QString install = tree.env.scratch() + QStringLiteral("/Zev Products/RLX_Plug");
  QDir().mkpath(install);
  CRegistry().setMachineSetting(QString::fromLatin1(kInstallKey), QStringLiteral("Path"), install);
  MakeExplicitRecords();
  StoreExplicit(5, QStringLiteral("5551234"), QStringLiteral("Head office"), QString());
  StoreExplicit(12, QStringLiteral("9,18005550199"), QString(), QString());
  const QString written = PrintToFile(ExplicitSource(), nullptr, kNow);
  EXPECT_EQ(written, install + "/ZEVtemp.txt");
  EXPECT_EQ(ui().openedDocuments(), QStringList{install + "/ZEVtemp.txt"});
  QFile file(written);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray sample =
      "ZEV PHONEBOOK\tDevice: RLX-Explicit\n"
      "\n"
      "Index\tNumber\t\t\t\tDescription\n"
      "\n"
      "  5\t5551234                         Head office\n"
      " 12\t9,18005550199                   \n"
      " \n"
      " \n"
      " \n" +
      Trailer().toUtf8() + "\n";
  EXPECT_EQ(file.readAll(), sample);

  // The next listing replaces the file.
  StoreExplicit(5, QString(), QString(), QString());
  PrintToFile(ExplicitSource(), nullptr, kNow);
  QFile again(written);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_FALSE(again.readAll().contains("Head office"));
}

TEST_F(Listing, WithoutAnInstallationDirectoryTheFileNeverGoesToTheRoot) {
  const ListingTarget target = ResolveListingTarget();
  EXPECT_FALSE(target.fromRegistry);
  EXPECT_NE(target.folder, "/");
  EXPECT_TRUE(target.folder == QCoreApplication::applicationDirPath() || target.folder.contains("/RLX_Plug-"));
  MakeExplicitRecords();
  const QString written = PrintToFile(ExplicitSource(), nullptr, kNow);
  EXPECT_EQ(written, target.folder + "/ZEVtemp.txt");
  QFile::remove(written);
}

// No installation directory and a program folder that cannot be written:
// the listing goes to a folder of the user's own in the temporary folder,
// never through a link another local user planted under the listing's name
// or under the private folder's name.
TEST_F(Listing, WithNowhereElseTheListingGoesToAPrivateFolderNeverThroughAPlantedLink) {
  const QString scratch = tree.env.scratch();
  const QByteArray previousTmp = qgetenv("TMPDIR");
  registration::SetProgramFolder(scratch + "/no/such/program/folder");
  MakeExplicitRecords();
  for (bool plantedFolder : {false, true}) {
    SCOPED_TRACE(plantedFolder ? "the private folder's name taken by a link" : "links to the listing's name");
    const QString shared = scratch + (plantedFolder ? "/tmp2" : "/tmp1");
    ASSERT_TRUE(QDir().mkpath(shared));
    qputenv("TMPDIR", QFile::encodeName(shared));
    const QString victim = scratch + "/victim";
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly | QIODevice::Truncate));
    v.write("precious");
    v.close();
    const QString mine = QStringLiteral("%1/RLX_Plug-%2").arg(shared).arg(getuid());
    ASSERT_TRUE(QFile::link(victim, shared + "/ZEVtemp.txt"));
    const QString elsewhere = scratch + "/elsewhere";
    if (plantedFolder) {
      ASSERT_TRUE(QDir().mkpath(elsewhere));
      ASSERT_TRUE(QFile::link(elsewhere, mine));
    }
    const QString written = PrintToFile(ExplicitSource(), nullptr, kNow);
    ASSERT_FALSE(written.isEmpty()) << ui().boxTexts().join(" | ").toStdString();
    EXPECT_TRUE(written.startsWith(mine + (plantedFolder ? "-" : "/"))) << written.toStdString();
    EXPECT_EQ(QFileInfo(written).dir().path(), QFileInfo(written).canonicalPath());
    EXPECT_EQ(QFileInfo(QFileInfo(written).path()).permissions() & 0x0077, 0);
    QFile result(written);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.readAll().startsWith("ZEV PHONEBOOK"));
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), "precious");
    v.close();
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
  }
  qputenv("TMPDIR", previousTmp);
  registration::SetProgramFolder(QString());
}

TEST_F(Listing, AnInstallationDirectoryThatCannotBeWrittenIsReported) {
  CRegistry().setMachineSetting(QString::fromLatin1(kInstallKey), QStringLiteral("Path"),
                                tree.env.scratch() + QStringLiteral("/missing/folder"));
  MakeExplicitRecords();
  EXPECT_EQ(PrintToFile(ExplicitSource(), nullptr, kNow), "");
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_TRUE(ui().boxes()[0].text.startsWith("The phonebook listing cannot be written to"));
  EXPECT_TRUE(ui().openedDocuments().isEmpty());
}

int PageCount(const QString& pdf) {
  QFile f(pdf);
  if (!f.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray data = f.readAll();
  return static_cast<int>(data.count("/Type /Page\n") + data.count("/Type /Page ") + data.count("/Type /Page>") +
                          data.count("/Type /Page/"));
}

TEST_F(Listing, ThePrinterFormIsDrawnOncePerCopyWhenThePrinterCannotCopy) {
  MakeExplicitRecords();
  StoreExplicit(1, QStringLiteral("111"), QStringLiteral("one"), QString());
  const QList<ListingLine> lines = BuildListing(ExplicitSource(), ListingForm::Printer, kNow);
  QPrinter one(QPrinter::HighResolution);
  one.setOutputFormat(QPrinter::PdfFormat);
  one.setOutputFileName(tree.env.scratch() + "/one.pdf");
  ASSERT_TRUE(RenderListing(one, lines, 1));
  QPrinter three(QPrinter::HighResolution);
  three.setOutputFormat(QPrinter::PdfFormat);
  three.setOutputFileName(tree.env.scratch() + "/three.pdf");
  ASSERT_TRUE(RenderListing(three, lines, 3));
  const int pagesOne = PageCount(tree.env.scratch() + "/one.pdf");
  EXPECT_EQ(pagesOne, 1);
  const int expected = three.supportsMultipleCopies() ? pagesOne : 3 * pagesOne;
  EXPECT_EQ(PageCount(tree.env.scratch() + "/three.pdf"), expected);
}

}  // namespace
