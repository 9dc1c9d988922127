// String helpers of unit QUV.Helpers.

#include "QUV.Helpers.h"
#include "TestFiles.h"
#include "QUV.Types.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace QUV;

using TestFiles::FileBytes;
using TestFiles::WriteBytes;

class TestHelpers : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;

    QString Path(const QString &AName) const { return FDir.filePath(AName); }

private slots:
    void initTestCase() { QVERIFY(FDir.isValid()); }

    void blank_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("spaces") << QStringLiteral("   ") << true;
        QTest::newRow("tabs and line ends") << QStringLiteral("\t\r\n \x01") << true;
        QTest::newRow("nul character") << QString(QChar(0)) << true;
        QTest::newRow("letter") << QStringLiteral("a") << false;
        QTest::newRow("letter inside blanks") << QStringLiteral("  x \t") << false;
        QTest::newRow("non-breaking space is not trimmed") << QStringLiteral("\u00A0") << false;
        QTest::newRow("non-ascii letter") << QStringLiteral("å") << false;
    }
    void blank()
    {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QCOMPARE(IsBlank(text), blank);
        QCOMPARE(IsNotBlank(text), !blank);
    }

    void ifBlank_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ifBlank");
        QTest::addColumn<QString>("ifNotBlank");
        // IfBlank(text, "def"), IfNotBlank(text, "val")
        QTest::newRow("empty") << QString() << "def" << QString();
        QTest::newRow("blank keeps its blanks") << QStringLiteral("  ") << "def" << QStringLiteral("  ");
        QTest::newRow("text") << QStringLiteral(" x ") << QStringLiteral(" x ") << "val";
    }
    void ifBlank()
    {
        QFETCH(QString, text);
        QFETCH(QString, ifBlank);
        QFETCH(QString, ifNotBlank);
        QCOMPARE(IfBlank(text, QStringLiteral("def")), ifBlank);
        QCOMPARE(IfNotBlank(text, QStringLiteral("val")), ifNotBlank);
    }

    void equalsTo_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<bool>("ignoringCase");
        QTest::newRow("two empty") << QString() << QStringLiteral("") << true << true;
        QTest::newRow("empty and text") << QString() << "a" << false << false;
        QTest::newRow("text and empty") << "a" << QString() << false << false;
        QTest::newRow("same") << "Abc" << "Abc" << true << true;
        QTest::newRow("ascii case") << "ABC" << "abc" << false << true;
        QTest::newRow("non-ascii case is not folded") << QStringLiteral("Å") << QStringLiteral("å") << false << false;
        QTest::newRow("prefix") << "abc" << "ab" << false << false;
        QTest::newRow("guid") << "{33f6d750-af51-4126-a5ab-f17ef52ecb15}"
                              << "{33F6D750-AF51-4126-A5AB-F17EF52ECB15}" << false << true;
    }
    void equalsTo()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, exact);
        QFETCH(bool, ignoringCase);
        QCOMPARE(EqualsTo(a, b), exact);
        QCOMPARE(EqualsTo(a, b, false), exact);
        QCOMPARE(EqualsTo(a, b, true), ignoringCase);
        QCOMPARE(InList(a, {QStringLiteral("zzz"), b}), ignoringCase);
        QCOMPARE(IfEquals(a, b, QStringLiteral("then"), QStringLiteral("else")),
                 ignoringCase ? QStringLiteral("then") : QStringLiteral("else"));
    }

    void inListEmpty()
    {
        QVERIFY(!InList(QStringLiteral("a"), {}));
        QVERIFY(InList(QString(), {QStringLiteral("a"), QString()}));
    }

    void pathCombine_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("without delimiter") << "/home/u/Library" << "morvik.sqlite" << "/home/u/Library/morvik.sqlite";
        QTest::newRow("with delimiter") << "/home/u/Library/" << "a.iso" << "/home/u/Library/a.iso";
        QTest::newRow("root") << "/" << "a" << "/a";
        QTest::newRow("empty name") << "/x" << QString() << "/x/";
        QTest::newRow("empty folder stays relative") << QString() << "a.iso" << "a.iso";
        QTest::newRow("backslash is no delimiter here") << "C:\\ZeltBooks" << "a" << "C:\\ZeltBooks/a";
    }
    void pathCombine()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(PathCombine(folder, name), expected);
    }

    void appendLineAndConcat()
    {
        QString text;
        QCOMPARE(AppendLine(text, QStringLiteral("one")), QStringLiteral("one\r\n"));
        QCOMPARE(AppendLine(text, QString()), QStringLiteral("one\r\n\r\n"));
        QCOMPARE(text, QStringLiteral("one\r\n\r\n"));
        QCOMPARE(Concat(QStringLiteral("ab"), QStringLiteral("cd")), QStringLiteral("abcd"));
        QCOMPARE(Concat(QString(), QString()), QString());
    }

    void containsAndStarts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("contains");
        QTest::addColumn<bool>("starts");
        QTest::newRow("same case") << "Pippi Långstrump" << "Pippi" << true << true;
        QTest::newRow("other case") << "Pippi Långstrump" << "LÅNG" << true << false;
        QTest::newRow("start other case") << "Pippi" << "pIP" << true << true;
        QTest::newRow("missing") << "Pippi" << "x" << false << false;
        QTest::newRow("empty part") << "Pippi" << QString() << true << true;
        QTest::newRow("longer part") << "ab" << "abc" << false << false;
    }
    void containsAndStarts()
    {
        QFETCH(QString, text);
        QFETCH(QString, part);
        QFETCH(bool, contains);
        QFETCH(bool, starts);
        QCOMPARE(ContainsText(text, part), contains);
        QCOMPARE(StartsText(text, part), starts);
    }

    void mid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("from 1 count 0 is all") << "abcdef" << 1 << 0 << "abcdef";
        QTest::newRow("from 3 to end") << "abcdef" << 3 << 0 << "cdef";
        QTest::newRow("from 2 count 3") << "abcdef" << 2 << 3 << "bcd";
        QTest::newRow("count past end") << "abcdef" << 5 << 10 << "ef";
        QTest::newRow("from past end") << "abc" << 4 << 0 << "";
        QTest::newRow("from 0 as 1") << "abc" << 0 << 2 << "ab";
        QTest::newRow("negative count") << "abc" << 1 << -1 << "";
    }
    void mid()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, count);
        QFETCH(QString, expected);
        QCOMPARE(Mid(text, from, count), expected);
    }

    void separators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("afterIncl");
        QTest::addColumn<QString>("afterLast");
        QTest::addColumn<QString>("afterLastIncl");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("beforeIncl");
        QTest::newRow("name.ext") << "name.ext" << "." << "ext" << ".ext" << "ext" << ".ext" << "name" << "name.";
        QTest::newRow(".profile") << ".profile" << "." << "profile" << ".profile" << "profile" << ".profile" << ""
                                  << ".";
        QTest::newRow("two separators") << "a.b.c" << "." << "b.c" << ".b.c" << "c" << ".c" << "a" << "a.";
        QTest::newRow("separator missing") << "abc" << "." << "abc" << "abc" << "abc" << "abc" << "abc" << "abc";
        QTest::newRow("long separator") << "x::y::z" << "::" << "y::z" << "::y::z" << "z" << "::z" << "x" << "x::";
        QTest::newRow("separator at end") << "abc." << "." << "" << "." << "" << "." << "abc" << "abc.";
        QTest::newRow("empty separator") << "abc" << "" << "abc" << "abc" << "abc" << "abc" << "abc" << "abc";
        QTest::newRow("empty text") << "" << "." << "" << "" << "" << "" << "" << "";
    }
    void separators()
    {
        QFETCH(QString, text);
        QFETCH(QString, sep);
        QFETCH(QString, after);
        QFETCH(QString, afterIncl);
        QFETCH(QString, afterLast);
        QFETCH(QString, afterLastIncl);
        QFETCH(QString, before);
        QFETCH(QString, beforeIncl);
        QCOMPARE(After(text, sep), after);
        QCOMPARE(After(text, sep, true), afterIncl);
        QCOMPARE(AfterLast(text, sep), afterLast);
        QCOMPARE(AfterLast(text, sep, true), afterLastIncl);
        QCOMPARE(Before(text, sep), before);
        QCOMPARE(Before(text, sep, false), before);
        QCOMPARE(Before(text, sep, true), beforeIncl);
    }

    void caseAndPad_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::newRow("ascii") << "Abc" << "abc" << "ABC";
        QTest::newRow("swedish letters") << QStringLiteral("Åsa Öberg") << QStringLiteral("åsa öberg")
                                         << QStringLiteral("ÅSA ÖBERG");
        QTest::newRow("empty") << "" << "" << "";
    }
    void caseAndPad()
    {
        QFETCH(QString, text);
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QCOMPARE(ToLower(text), lower);
        QCOMPARE(ToUpper(text), upper);
    }

    void padRight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pads") << "ab" << 5 << "ab...";
        QTest::newRow("exact") << "abc" << 3 << "abc";
        QTest::newRow("cut") << "abcdef" << 4 << "abcd";
        QTest::newRow("empty text") << "" << 2 << "..";
        QTest::newRow("zero length") << "abc" << 0 << "";
        QTest::newRow("negative length") << "abc" << -3 << "";
    }
    void padRight()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QCOMPARE(PadRight(text, QLatin1Char('.'), length), expected);
    }

    void loadFromFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ansi crlf") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n";
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << "a\r\nb\r\n";
        QTest::newRow("lf and cr ends") << QByteArray("a\nb\rc") << "a\r\nb\r\nc\r\n";
        QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb\n\n") << "a\r\n\r\nb\r\n\r\n";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("windows-1252 bytes") << QByteArray("\xC5sa \x80 \xF6") << QStringLiteral("Åsa € ö\r\n");
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF\xC3\x85sa\n") << QStringLiteral("Åsa\r\n");
        QTest::newRow("utf-16le with bom") << QByteArray("\xFF\xFE\xC5\x00x\x00\r\x00\n\x00", 10)
                                           << QStringLiteral("Åx\r\n");
        QTest::newRow("utf-16be with bom") << QByteArray("\xFE\xFF\x00\xC5\x00y", 6) << QStringLiteral("Åy\r\n");
    }
    void loadFromFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QString name = Path(QStringLiteral("load.txt"));
        QVERIFY(WriteBytes(name, bytes));
        QString text = QStringLiteral("old content");
        QCOMPARE(LoadFromFile(text, name), expected);
        QCOMPARE(text, expected);
        QCOMPARE(LoadFromFile(name), expected);
    }

    void loadFromMissingFileRaises()
    {
        QString text = QStringLiteral("kept");
        QVERIFY_THROWS_EXCEPTION(Exception, LoadFromFile(text, Path(QStringLiteral("missing.txt"))));
        QCOMPARE(text, QStringLiteral("kept"));
    }

    void saveToFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii with crlf") << "a\r\nb" << QByteArray("a\r\nb");
        QTest::newRow("windows-1252 without bom") << QStringLiteral("Åsa €") << QByteArray("\xC5sa \x80");
        QTest::newRow("outside the code page becomes ?") << QStringLiteral("Ω中x") << QByteArray("??x");
        QTest::newRow("outside the BMP becomes one ?") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("control character kept") << QStringLiteral("a\x1A") << QByteArray("a\x1A");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void saveToFile()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const QString name = Path(QStringLiteral("save.txt"));
        SaveToFile(text, name);
        QCOMPARE(FileBytes(name), bytes);
        QCOMPARE(ToAnsi(text), bytes);
    }

    void saveToFileReplacesWhole()
    {
        const QString name = Path(QStringLiteral("whole.txt"));
        SaveToFile(QStringLiteral("a long first content"), name);
        SaveToFile(QStringLiteral("short"), name);
        QCOMPARE(FileBytes(name), QByteArray("short"));
        QString loaded;
        QCOMPARE(LoadFromFile(loaded, name), QStringLiteral("short\r\n"));
    }

    void saveToFileInMissingFolderRaises()
    {
        QVERIFY_THROWS_EXCEPTION(Exception, SaveToFile(QStringLiteral("x"), Path(QStringLiteral("no/such/file.txt"))));
    }
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
