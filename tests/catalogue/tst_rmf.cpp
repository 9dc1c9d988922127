#include "RMF.h"
#include "TestFiles.h"

#include "Enums.h"
#include "QUV.IniFiles.h"
#include "QUV.Types.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using TSetter = std::function<void(const IRMFPtr &)>;
Q_DECLARE_METATYPE(TSetter)

using TestFiles::FileBytes;
using TestFiles::WriteBytes;

namespace {

QString Fixture(const QString &AName)
{
    return QStringLiteral(MORVIK_TEST_DATA "/rmf/") + AName;
}

TTime TimeOfDay(int AHours, int AMinutes, int ASeconds)
{
    return QUV::ToDateTime(QDateTime(QDate(1899, 12, 30), QTime(AHours, AMinutes, ASeconds)));
}

const QString kNewJob = QStringLiteral("[MergeMetaData]\r\n"
                                       "dc:identifier = \r\n"
                                       "dc:title = \r\n"
                                       "dc:creator = \r\n"
                                       "dc:publisher = Kelda\r\n"
                                       "dc:format = \r\n"
                                       "dc:setInfo = \r\n"
                                       "dc:totalTime = 00:00:00\r\n"
                                       "dc:narrator = \r\n"
                                       "dc:date = 1899-12-30\r\n"
                                       "ncc:maxPageNormal = 157\r\n"
                                       "ncc:multimediaType = audioNcc\r\n"
                                       "[DDP]\r\n"
                                       "copies = 0\r\n"
                                       "mediaType = CDR\r\n");

} // namespace

class TestRMF : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;

private slots:
    void newJobHasFifteenLines()
    {
        QCOMPARE(TRMF::Create()->AsString(), kNewJob);
    }

    // Each setter against a new job: the one line it changes (0: none).
    void setters_data()
    {
        QTest::addColumn<TSetter>("setter");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");

        QTest::newRow("SetId") << TSetter([](const IRMFPtr &j) { j->SetId("C1"); }) << 2 << "dc:identifier = C1";
        QTest::newRow("SetTitle") << TSetter([](const IRMFPtr &j) { j->SetTitle(QString::fromUtf8("Märta")); })
                                  << 3 << QString::fromUtf8("dc:title = Märta");
        QTest::newRow("SetAuthor") << TSetter([](const IRMFPtr &j) { j->SetAuthor("A"); }) << 4 << "dc:creator = A";
        QTest::newRow("SetFormat") << TSetter([](const IRMFPtr &j) { j->SetFormat("Daisy 2.02"); }) << 6
                                   << "dc:format = Daisy 2.02";
        QTest::newRow("SetDiskset") << TSetter([](const IRMFPtr &j) { j->SetDiskset("1 av 2"); }) << 7
                                    << "dc:setInfo = 1 av 2";
        QTest::newRow("SetDuration") << TSetter([](const IRMFPtr &j) { j->SetDuration(TimeOfDay(1, 23, 45)); })
                                     << 8 << "dc:totalTime = 01:23:45";
        QTest::newRow("SetDuration over a day keeps the time of day")
            << TSetter([](const IRMFPtr &j) { j->SetDuration(2 + TimeOfDay(3, 4, 5)); }) << 8
            << "dc:totalTime = 03:04:05";
        QTest::newRow("SetNarrator") << TSetter([](const IRMFPtr &j) { j->SetNarrator("N"); }) << 9
                                     << "dc:narrator = N";
        QTest::newRow("SetDate keeps the date")
            << TSetter([](const IRMFPtr &j) {
                   j->SetDate(QUV::ToDateTime(QDateTime(QDate(2021, 2, 3), QTime(18, 30))));
               })
            << 10 << "dc:date = 2021-02-03";
        QTest::newRow("SetCopies") << TSetter([](const IRMFPtr &j) { j->SetCopies(20); }) << 14 << "copies = 20";
        QTest::newRow("SetType Video") << TSetter([](const IRMFPtr &j) { j->SetType(TRMFType::Video); }) << 15
                                       << "mediaType = DVDR";
        QTest::newRow("SetType Audio") << TSetter([](const IRMFPtr &j) { j->SetType(TRMFType::Audio); }) << 0 << "";
        QTest::newRow("SetDescription") << TSetter([](const IRMFPtr &j) { j->SetDescription("D"); }) << 0 << "";
        QTest::newRow("SetLanguage") << TSetter([](const IRMFPtr &j) { j->SetLanguage("sv"); }) << 0 << "";
        QTest::newRow("SetISOFile") << TSetter([](const IRMFPtr &j) { j->SetISOFile("/x/C1.iso"); }) << 0 << "";
        QTest::newRow("not-a-number date cannot break the text")
            << TSetter([](const IRMFPtr &j) { j->SetDate(qQNaN()); }) << 0 << "";
    }
    void setters()
    {
        QFETCH(TSetter, setter);
        QFETCH(int, line);
        QFETCH(QString, text);
        QStringList lines = kNewJob.split(QStringLiteral("\r\n"));
        if (line > 0)
            lines[line - 1] = text;
        const IRMFPtr job = TRMF::Create();
        setter(job);
        QCOMPARE(job->AsString(), lines.join(QStringLiteral("\r\n")));
    }

    void settersChainOnTheSameJob()
    {
        const IRMFPtr job = TRMF::Create();
        const IRMFPtr last = job->SetId("V1")->SetTitle("T")->SetCopies(3);
        QCOMPARE(last.get(), job.get());
        QVERIFY(job->AsString().contains(QStringLiteral("copies = 3\r\n")));
    }

    void mediaCodesFollowMediaTypes()
    {
        QCOMPARE(RMFMediaCode(TRMFType::Audio), QString::fromLatin1(MediaTypes[0].Code));
        QCOMPARE(RMFMediaCode(TRMFType::Video), QString::fromLatin1(MediaTypes[1].Code));
    }

    void movieOrderMatchesGoldenFile()
    {
        const QString file = FDir.filePath(QStringLiteral("V123.rmf"));
        TRMF::Create()
            ->SetId("V123")
            ->SetTitle("T")
            ->SetAuthor("A")
            ->SetDuration(TimeOfDay(1, 23, 45))
            ->SetType(TRMFType::Video)
            ->SetISOFile("/home/staff/ZeltMovies/V123/V123.ISO")
            ->SetCopies(2)
            ->WriteToFile(file);
        QCOMPARE(FileBytes(file), FileBytes(Fixture(QStringLiteral("V123.rmf"))));

        // What the robot and the import read back from it.
        TIniFile ini(file);
        QCOMPARE(ini.ReadString("MergeMetaData", "dc:identifier"), QStringLiteral("V123"));
        QCOMPARE(ini.ReadString("MergeMetaData", "dc:format", "-"), QString());
        QCOMPARE(ini.ReadInteger("DDP", "copies", 0), 2);
        QCOMPARE(ini.ReadString("DDP", "mediaType"), QStringLiteral("DVDR"));
    }

    void writeToFileIsWindows1252()
    {
        const QString file = FDir.filePath(QStringLiteral("ansi.rmf"));
        TRMF::Create()->SetTitle(QString::fromUtf8("Märta"))->SetAuthor(QString::fromUtf8("Ωlof 😀"))->WriteToFile(file);
        const QByteArray bytes = FileBytes(file);
        QVERIFY(bytes.contains("\r\ndc:title = M\xE4rta\r\n"));
        QVERIFY(bytes.contains("\r\ndc:creator = ?lof ?\r\n"));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    }

    void writeToFileReplacesWholeContent()
    {
        const QString file = FDir.filePath(QStringLiteral("replace.rmf"));
        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            QVERIFY(old.write(QByteArray(10000, 'x')) == 10000);
        }
        const IRMFPtr job = TRMF::Create()->SetId("V9");
        job->WriteToFile(file);
        QCOMPARE(FileBytes(file), job->AsString().toLatin1());
    }

    void writeToFileRaisesWhenRefused()
    {
        const QString file = FDir.filePath(QStringLiteral("no/such/folder/V1.rmf"));
        QVERIFY_THROWS_EXCEPTION(Exception, TRMF::Create()->WriteToFile(file));
        QVERIFY(!QFile::exists(file));
    }

    // The order's edits of a delivered job file touch only their own lines.
    void orderEditsDeliveredJobFile()
    {
        const QString file = FDir.filePath(QStringLiteral("C20517.rmf"));
        QFile::remove(file);
        QVERIFY(QFile::copy(Fixture(QStringLiteral("delivered.rmf")), file));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        TIniFile ini(file);
        ini.WriteInteger("DDP", "copies", 3);
        ini.WriteString("DDP", "mediaType", QString::fromLatin1(MediaTypes[0].Code));
        ini.WriteBool("DDP", "FromLibrary", true);
        ini.UpdateFile();
        QCOMPARE(FileBytes(file), FileBytes(Fixture(QStringLiteral("delivered-ordered.rmf"))));
    }

    void importReadsDeliveredJobFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("title, Windows-1252") << "dc:title" << QString::fromUtf8("Små räddhågor");
        QTest::newRow("quoted, semicolon kept") << "dc:description" << QString::fromUtf8("En bok om mod; och om rädsla.");
        QTest::newRow("set info") << "ncc:setInfo" << "1 of 1";
        QTest::newRow("total time") << "ncc:totalTime" << "05:12:09";
        QTest::newRow("other case") << "DC:IDENTIFIER" << "C20517";
    }
    void importReadsDeliveredJobFile()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(QUV::ReadIniString(Fixture(QStringLiteral("delivered.rmf")), "MergeMetaData", key), value);
    }
};

QTEST_GUILESS_MAIN(TestRMF)
#include "tst_rmf.moc"
