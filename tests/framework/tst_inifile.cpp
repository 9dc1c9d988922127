#include "QUV.IniFiles.h"
#include "TestFiles.h"
#include "QUV.Types.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::FileBytes;
using TestFiles::WriteBytes;

namespace {

// Windows-1252 bytes, written as escapes where they differ from Latin-1.
const QByteArray kReadFixture =
    "stray=before any section\r\n"
    "[MergeMetaData]\r\n"
    "dc:identifier = C12345\r\n"
    "dc:title=Fr\xE5n b\xF6rjan\r\n"
    "  dc:creator   =   Anna Berg  \t\r\n"
    "dc:format = \r\n"
    "dc:quoted = \"  kept blanks  \"\r\n"
    "dc:single = 'single'\r\n"
    "dc:unpaired = \"open only\r\n"
    "dc:mixed = \"mixed'\r\n"
    "dc:lone = \"\r\n"
    "dc:equals = a=b=c\r\n"
    "ncc:narrator = First\r\n"
    "ncc:narrator = Second\r\n"
    "; a comment line\r\n"
    "no equals sign here\r\n"
    "[ DDP ]\n"
    "copies = 2\n"
    "hex = 0x1F\n"
    "[mergemetadata]\r\n"
    "dc:title = From the second section\r\n"
    "dc:language = sv\r\n";

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString Path(const QString &AName) const { return FDir.filePath(AName); }

private slots:
    void readString_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString meta = QStringLiteral("MergeMetaData");
        QTest::newRow("blanks around =") << meta << "dc:identifier" << "C12345";
        QTest::newRow("no blanks, Windows-1252") << meta << "dc:title" << QString::fromUtf8("Från början");
        QTest::newRow("blanks and tab dropped") << meta << "dc:creator" << "Anna Berg";
        QTest::newRow("empty value is not the default") << meta << "dc:format" << "";
        QTest::newRow("double quotes removed") << meta << "dc:quoted" << "  kept blanks  ";
        QTest::newRow("single quotes removed") << meta << "dc:single" << "single";
        QTest::newRow("unpaired quote kept") << meta << "dc:unpaired" << "\"open only";
        QTest::newRow("mixed quotes kept") << meta << "dc:mixed" << "\"mixed'";
        QTest::newRow("lone quote kept") << meta << "dc:lone" << "\"";
        QTest::newRow("split at the first =") << meta << "dc:equals" << "a=b=c";
        QTest::newRow("section and key case") << "mergemetadata" << "DC:IDENTIFIER" << "C12345";
        QTest::newRow("blanks in the caller's names") << " MergeMetaData " << " dc:identifier " << "C12345";
        QTest::newRow("first of two keys") << meta << "ncc:narrator" << "First";
        QTest::newRow("first of two sections wins") << meta << "dc:title" << QString::fromUtf8("Från början");
        QTest::newRow("second section's keys unseen") << meta << "dc:language" << "<default>";
        QTest::newRow("section name with blanks, LF lines") << "DDP" << "copies" << "2";
        QTest::newRow("missing key") << meta << "dc:date" << "<default>";
        QTest::newRow("missing section") << "Other" << "dc:title" << "<default>";
        QTest::newRow("key before any section") << "" << "stray" << "<default>";
        QTest::newRow("line without =") << meta << "no equals sign here" << "<default>";
    }
    void readString()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString file = Path(QStringLiteral("read.ini"));
        QVERIFY(WriteBytes(file, kReadFixture));
        QCOMPARE(TIniFile(file).ReadString(section, key, QStringLiteral("<default>")), expected);
        QCOMPARE(QUV::ReadIniString(file, section, key, QStringLiteral("<default>")), expected);
    }

    void readIntegerAndBool()
    {
        const QString file = Path(QStringLiteral("numbers.ini"));
        QVERIFY(WriteBytes(file, kReadFixture));
        TIniFile ini(file);
        QCOMPARE(ini.ReadInteger("DDP", "copies", -1), 2);
        QCOMPARE(ini.ReadInteger("DDP", "hex", -1), 31);
        QCOMPARE(ini.ReadInteger("MergeMetaData", "dc:title", -1), -1);
        QCOMPARE(ini.ReadInteger("DDP", "missing", 7), 7);
        QCOMPARE(ini.ReadBool("DDP", "copies", false), true);
        QCOMPARE(ini.ReadBool("DDP", "missing", true), true);
        QVERIFY(ini.SectionExists("ddp"));
        QVERIFY(!ini.SectionExists("Other"));
        QVERIFY(ini.ValueExists("MergeMetaData", "dc:format"));
        QVERIFY(!ini.ValueExists("MergeMetaData", "dc:date"));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QString::fromUtf8("[MergeMetaData]\r\ndc:title = Åsa äter Ωmega\r\n");
        QStringEncoder le(QStringConverter::Utf16LE);
        QStringEncoder be(QStringConverter::Utf16BE);
        QTest::newRow("UTF-16 LE with BOM") << QByteArray("\xFF\xFE") + QByteArray(le(text));
        QTest::newRow("UTF-16 BE with BOM") << QByteArray("\xFE\xFF") + QByteArray(be(text));
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        const QString file = Path(QStringLiteral("encoded.ini"));
        QVERIFY(WriteBytes(file, bytes));
        QCOMPARE(QUV::ReadIniString(file, "MergeMetaData", "dc:title"), QString::fromUtf8("Åsa äter Ωmega"));
    }

    void longValueCutTo2047_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        const QString value = QString(1000, QLatin1Char('a')) + QString(2000, QLatin1Char('b'));
        QTest::newRow("3000 characters") << value << value.left(2047);
        QTest::newRow("3000 characters in quotes") << '"' + value + '"' << value.left(2047);
        QTest::newRow("exactly 2047") << value.left(2047) << value.left(2047);
    }
    void longValueCutTo2047()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const QString file = Path(QStringLiteral("long.ini"));
        QVERIFY(WriteBytes(file, "[MergeMetaData]\r\ndc:title = " + stored.toLatin1() + "\r\n"));
        QCOMPARE(QUV::ReadIniString(file, "MergeMetaData", "dc:title"), expected);
    }

    void notIniReadsDefaults_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>((i * 7919 + i / 13) & 0xFF));
        binary.insert(100, "\0[MergeMetaData\0]\0dc:title\0=\0x", 30);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << binary;
        QTest::newRow("plain text") << QByteArray("Just some text\nwith dc:title = nothing\n");
        QTest::newRow("odd UTF-16 tail") << QByteArray("\xFF\xFE[\0M\0]", 7);
        QTest::newRow("BOM only") << QByteArray("\xFE\xFF");
    }
    void notIniReadsDefaults()
    {
        QFETCH(QByteArray, bytes);
        const QString file = Path(QStringLiteral("notini.ini"));
        QVERIFY(WriteBytes(file, bytes));
        QCOMPARE(QUV::ReadIniString(file, "MergeMetaData", "dc:title", "-"), QStringLiteral("-"));
    }

    void missingOrFolderReadsDefaults()
    {
        QCOMPARE(QUV::ReadIniString(Path("nothere.ini"), "MergeMetaData", "dc:title", "-"), QStringLiteral("-"));
        QCOMPARE(QUV::ReadIniString(FDir.path(), "MergeMetaData", "dc:title", "-"), QStringLiteral("-"));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray job = "[MergeMetaData]\r\n"
                               "dc:title = T\r\n"
                               "\r\n"
                               "[DDP]\r\n"
                               "copies = 0\r\n"
                               "mediaType = CDR\r\n";
        QTest::newRow("replace in place")
            << job << "DDP" << "copies" << "3"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n\r\n[DDP]\r\ncopies=3\r\nmediaType = CDR\r\n");
        QTest::newRow("replace, other case")
            << job << "ddp" << "MEDIATYPE" << "DVDR"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n\r\n[DDP]\r\ncopies = 0\r\nMEDIATYPE=DVDR\r\n");
        QTest::newRow("append after last non-blank line")
            << job << "MergeMetaData" << "dc:publisher" << "Zelt"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\ndc:publisher=Zelt\r\n\r\n[DDP]\r\ncopies = 0\r\n"
                          "mediaType = CDR\r\n");
        QTest::newRow("append to last section")
            << job << "DDP" << "FromLibrary" << "1"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n\r\n[DDP]\r\ncopies = 0\r\nmediaType = CDR\r\n"
                          "FromLibrary=1\r\n");
        QTest::newRow("append, no line end at the end")
            << QByteArray("[DDP]\r\ncopies = 0") << "DDP" << "FromLibrary" << "1"
            << QByteArray("[DDP]\r\ncopies = 0\r\nFromLibrary=1\r\n");
        QTest::newRow("append to empty section")
            << QByteArray("[DDP]\r\n[Other]\r\n") << "DDP" << "copies" << "1"
            << QByteArray("[DDP]\r\ncopies=1\r\n[Other]\r\n");
        QTest::newRow("missing section at the end")
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n\r\n") << "DDP" << "copies" << "4"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n\r\n[DDP]\r\ncopies=4\r\n");
        QTest::newRow("missing section, no line end at the end")
            << QByteArray("[MergeMetaData]\r\ndc:title = T") << "DDP" << "copies" << "4"
            << QByteArray("[MergeMetaData]\r\ndc:title = T\r\n[DDP]\r\ncopies=4\r\n");
        QTest::newRow("empty file") << QByteArray() << "DDP" << "copies" << "4"
                                    << QByteArray("[DDP]\r\ncopies=4\r\n");
        QTest::newRow("first of two sections")
            << QByteArray("[DDP]\r\na=1\r\n[X]\r\n[ddp]\r\ncopies=9\r\n") << "DDP" << "copies" << "2"
            << QByteArray("[DDP]\r\na=1\r\ncopies=2\r\n[X]\r\n[ddp]\r\ncopies=9\r\n");
        QTest::newRow("first of two keys")
            << QByteArray("[DDP]\r\ncopies=1\r\ncopies=9\r\n") << "DDP" << "copies" << "2"
            << QByteArray("[DDP]\r\ncopies=2\r\ncopies=9\r\n");
        QTest::newRow("other line ends kept")
            << QByteArray("[DDP]\ncopies = 0\n; note\r\n") << "DDP" << "mediaType" << "CDR"
            << QByteArray("[DDP]\ncopies = 0\n; note\r\nmediaType=CDR\r\n");
        QTest::newRow("Windows-1252 bytes kept, value encoded")
            << QByteArray("[MergeMetaData]\r\ndc:title = \xC5sa \x81\x8D\r\n") << "MergeMetaData"
            << "ncc:narrator" << QString::fromUtf8("Örjan Ω")
            << QByteArray("[MergeMetaData]\r\ndc:title = \xC5sa \x81\x8D\r\nncc:narrator=\xD6rjan ?\r\n");
        QTest::newRow("line breaks in a value cannot plant keys")
            << QByteArray("[MergeMetaData]\r\n") << "MergeMetaData" << "dc:title" << "A\r\n[DDP]\ncopies=20"
            << QByteArray("[MergeMetaData]\r\ndc:title=A [DDP] copies=20\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString file = Path(QStringLiteral("write.ini"));
        QVERIFY(WriteBytes(file, before));
        QUV::WriteIniString(file, section, key, value);
        QCOMPARE(FileBytes(file), after);
    }

    void writeIntegerAndBool()
    {
        const QString file = Path(QStringLiteral("typed.ini"));
        QVERIFY(WriteBytes(file, QByteArray()));
        TIniFile ini(file);
        ini.WriteInteger("DDP", "copies", -3);
        ini.WriteBool("DDP", "FromLibrary", true);
        ini.WriteBool("DDP", "Other", false);
        ini.UpdateFile();
        QCOMPARE(FileBytes(file), QByteArray("[DDP]\r\ncopies=-3\r\nFromLibrary=1\r\nOther=0\r\n"));
    }

    void severalWritesOneSave()
    {
        const QString file = Path(QStringLiteral("order.rmf"));
        const QByteArray before = "[DDP]\r\ncopies = 0\r\n";
        QVERIFY(WriteBytes(file, before));
        TIniFile ini(file);
        ini.WriteInteger("DDP", "copies", 5);
        ini.WriteString("DDP", "mediaType", "CDR");
        QCOMPARE(ini.ReadString("DDP", "copies"), QStringLiteral("5"));
        QCOMPARE(FileBytes(file), before); // nothing on disk before UpdateFile
        ini.UpdateFile();
        QCOMPARE(FileBytes(file), QByteArray("[DDP]\r\ncopies=5\r\nmediaType=CDR\r\n"));
        QVERIFY(!ini.Modified());
    }

    void newFileIsCreated()
    {
        const QString file = Path(QStringLiteral("new.rmf"));
        QFile::remove(file);
        TIniFile untouched(file);
        untouched.UpdateFile(); // nothing written, nothing created
        QVERIFY(!QFile::exists(file));
        QUV::WriteIniString(file, "DDP", "copies", "1");
        QCOMPARE(FileBytes(file), QByteArray("[DDP]\r\ncopies=1\r\n"));
    }

    void utf16StaysUtf16()
    {
        const QString file = Path(QStringLiteral("wide.rmf"));
        QStringEncoder le(QStringConverter::Utf16LE);
        const auto utf16 = [&](const QString &AText) { return QByteArray(le(AText)); };
        const QByteArray bom("\xFF\xFE");
        QVERIFY(WriteBytes(file, bom + utf16(QString::fromUtf8("[MergeMetaData]\r\ndc:title = Ωmega\r\n[DDP]\r\n"
                                                                 "copies = 0\r\n"))));
        TIniFile ini(file);
        ini.WriteString("DDP", "copies", "2");
        ini.WriteString("MergeMetaData", "ncc:narrator", QString::fromUtf8("Ωlof"));
        ini.UpdateFile();
        QCOMPARE(FileBytes(file), bom + utf16(QString::fromUtf8("[MergeMetaData]\r\ndc:title = Ωmega\r\n"
                                                               "ncc:narrator=Ωlof\r\n[DDP]\r\ncopies=2\r\n")));
    }

    void refusedWrites_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("folder missing") << Path(QStringLiteral("missing/folder/job.rmf"));
        QTest::newRow("a folder") << FDir.path();
    }
    void refusedWrites()
    {
        QFETCH(QString, file);
        try {
            QUV::WriteIniString(file, "DDP", "copies", "1");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Unable to write to %1").arg(file));
        }
    }

    void refusedReadOnlyFile()
    {
        const QString file = Path(QStringLiteral("readonly.rmf"));
        QVERIFY(WriteBytes(file, "[DDP]\r\ncopies = 0\r\n"));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QFile probe(file);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QSKIP("file permissions are not enforced for this user");
        }
        QVERIFY_THROWS_EXCEPTION(Exception, QUV::WriteIniString(file, "DDP", "copies", "1"));
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(FileBytes(file), QByteArray("[DDP]\r\ncopies = 0\r\n"));
    }

    // A disc image in a job file's place is neither read into memory nor
    // overwritten by a key.
    void oversizeFileIsLeftAlone()
    {
        const QString file = Path(QStringLiteral("image.iso"));
        const qint64 kImageSize = qint64(20) * 1024 * 1024;
        {
            QFile image(file);
            QVERIFY(image.open(QIODevice::WriteOnly));
            QVERIFY(image.write("[DDP]\r\ncopies = 7\r\n") > 0);
            QVERIFY(image.resize(kImageSize));
        }
        QCOMPARE(QUV::ReadIniString(file, "DDP", "copies", "-"), QStringLiteral("-"));
        try {
            QUV::WriteIniString(file, "DDP", "copies", "1");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Unable to write to %1").arg(file));
        }
        QCOMPARE(QFileInfo(file).size(), kImageSize);
        QFile image(file);
        QVERIFY(image.open(QIODevice::ReadOnly));
        QCOMPARE(image.read(19), QByteArray("[DDP]\r\ncopies = 7\r\n"));
    }

    void encodeAnsi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Swedish letters") << QString::fromUtf8("åäöÅÄÖ") << QByteArray("\xE5\xE4\xF6\xC5\xC4\xD6");
        QTest::newRow("euro and quotes") << QString::fromUtf8("€ “x”") << QByteArray("\x80 \x93x\x94");
        QTest::newRow("outside the code page") << QString::fromUtf8("aΩb😀c") << QByteArray("a?b?c");
        QTest::newRow("control character kept") << QString(QChar(0x1A)) << QByteArray("\x1A");
    }
    void encodeAnsi()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(QUV::EncodeAnsi(text), bytes);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
