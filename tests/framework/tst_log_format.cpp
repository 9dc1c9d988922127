// QUV::Format and FloatToStrF: the run-time library's format routine with the
// Swedish regional settings, and its errors.

#include "QUV.Format.h"
#include "QUV.Types.h"

#include <QTest>

namespace {
const QString nbsp = QString(QChar(0x00A0));
}

class TestLogFormat : public QObject
{
    Q_OBJECT
private slots:
    void thousandSeparatorIsNonBreakingSpace()
    {
        QCOMPARE(QUV::RegionalLocale().groupSeparator(), nbsp);
        QCOMPARE(QUV::RegionalLocale().decimalPoint(), QStringLiteral(","));
    }

    void format_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");

        QTest::newRow("plain text") << "no specifiers" << QVariantList{} << "no specifiers";
        QTest::newRow("percent") << "100%%" << QVariantList{} << "100%";
        QTest::newRow("surplus arguments ignored") << "%s" << QVariantList{"a", "b"} << "a";
        // s
        QTest::newRow("s") << "[%s]" << QVariantList{"abc"} << "[abc]";
        QTest::newRow("s width") << "[%5s]" << QVariantList{"abc"} << "[  abc]";
        QTest::newRow("s left") << "[%-5s]" << QVariantList{"abc"} << "[abc  ]";
        QTest::newRow("s precision cuts") << "[%.2s]" << QVariantList{"abc"} << "[ab]";
        QTest::newRow("s width smaller than text") << "[%2s]" << QVariantList{"abcd"} << "[abcd]";
        QTest::newRow("s upper-case type") << "%S" << QVariantList{"x"} << "x";
        QTest::newRow("s QChar") << "%s" << QVariantList{QChar('q')} << "q";
        QTest::newRow("s QByteArray as UTF-8") << "%s" << QVariantList{QByteArray("Å")} << "Å";
        QTest::newRow("s empty") << "[%s]" << QVariantList{QString()} << "[]";
        // d
        QTest::newRow("d") << "%d" << QVariantList{42} << "42";
        QTest::newRow("d negative") << "%d" << QVariantList{-42} << "-42";
        QTest::newRow("d width") << "[%5d]" << QVariantList{42} << "[   42]";
        QTest::newRow("d left") << "[%-5d]" << QVariantList{42} << "[42   ]";
        QTest::newRow("d precision pads zeros") << "%.4d" << QVariantList{-12} << "-0012";
        QTest::newRow("d 64-bit") << "%d" << QVariantList{qlonglong(-9000000000LL)} << "-9000000000";
        QTest::newRow("d unsigned 64-bit") << "%d" << QVariantList{qulonglong(18000000000000000000ULL)}
                                           << "18000000000000000000";
        QTest::newRow("d uint") << "%d" << QVariantList{4000000000u} << "4000000000";
        QTest::newRow("d duration") << "(%d ms)" << QVariantList{qint64(15)} << "(15 ms)";
        // u
        QTest::newRow("u") << "%u" << QVariantList{7} << "7";
        QTest::newRow("u negative 32-bit") << "%u" << QVariantList{-1} << "4294967295";
        QTest::newRow("u negative 64-bit") << "%u" << QVariantList{qlonglong(-1)} << "18446744073709551615";
        // x
        QTest::newRow("x") << "%x" << QVariantList{255} << "FF";
        QTest::newRow("x precision") << "%.4x" << QVariantList{255} << "00FF";
        QTest::newRow("x negative 32-bit") << "%x" << QVariantList{-1} << "FFFFFFFF";
        QTest::newRow("x negative 64-bit") << "%x" << QVariantList{qlonglong(-2)} << "FFFFFFFFFFFFFFFE";
        QTest::newRow("x width") << "[%6x]" << QVariantList{171} << "[    AB]";
        // f
        QTest::newRow("f default two decimals") << "%f" << QVariantList{1.0} << "1,00";
        QTest::newRow("f file size") << "%10.1f Mb" << QVariantList{1.25} << "       1,3 Mb";
        QTest::newRow("f half away from zero") << "%.0f" << QVariantList{2.5} << "3";
        QTest::newRow("f half away negative") << "%.0f" << QVariantList{-0.5} << "-1";
        QTest::newRow("f binary below half") << "%.2f" << QVariantList{1.005} << "1,00";
        QTest::newRow("f carry") << "%.2f" << QVariantList{9.999} << "10,00";
        QTest::newRow("f small") << "%.3f" << QVariantList{0.0004} << "0,000";
        QTest::newRow("f small rounds up") << "%.3f" << QVariantList{0.0005} << "0,001";
        QTest::newRow("f no decimals") << "%.0f" << QVariantList{1234.4} << "1234";
        QTest::newRow("f negative") << "%.1f" << QVariantList{-3.25} << "-3,3";
        QTest::newRow("f float") << "%.1f" << QVariantList{1.5f} << "1,5";
        QTest::newRow("f left") << "[%-6.1f]" << QVariantList{2.0} << "[2,0   ]";
        // e
        QTest::newRow("e default 15 digits") << "%e" << QVariantList{1234.5} << "1,23450000000000E+003";
        QTest::newRow("e precision") << "%.3e" << QVariantList{0.000123456} << "1,23E-004";
        QTest::newRow("e one digit") << "%.1e" << QVariantList{5.0} << "5E+000";
        QTest::newRow("e zero") << "%.3e" << QVariantList{0.0} << "0,00E+000";
        QTest::newRow("e negative carry") << "%.2e" << QVariantList{-9.99} << "-1,0E+001";
        // g
        QTest::newRow("g") << "%g" << QVariantList{1234.5} << "1234,5";
        QTest::newRow("g integer value") << "%g" << QVariantList{100.0} << "100";
        QTest::newRow("g 0.0001 fixed") << "%g" << QVariantList{0.0001} << "0,0001";
        QTest::newRow("g 0.00001 scientific") << "%g" << QVariantList{0.00001} << "1E-005";
        QTest::newRow("g 1e14 fixed") << "%g" << QVariantList{1e14} << "100000000000000";
        QTest::newRow("g 1e15 scientific") << "%g" << QVariantList{1e15} << "1E015";
        QTest::newRow("g precision") << "%.3g" << QVariantList{3.14159} << "3,14";
        QTest::newRow("g zero") << "%g" << QVariantList{0.0} << "0";
        QTest::newRow("g third") << "%g" << QVariantList{1.0 / 3} << "0,333333333333333";
        // n and m
        QTest::newRow("n") << "%n" << QVariantList{1234567.891} << "1" + nbsp + "234" + nbsp + "567,89";
        QTest::newRow("n carry into a group") << "%.0n" << QVariantList{999.5} << "1" + nbsp + "000";
        QTest::newRow("n small") << "%n" << QVariantList{12.0} << "12,00";
        QTest::newRow("n negative") << "%.1n" << QVariantList{-1234.0} << "-1" + nbsp + "234,0";
        QTest::newRow("m") << "%m" << QVariantList{-1234.5} << "-1" + nbsp + "234,50 kr";
        QTest::newRow("m precision") << "%.0m" << QVariantList{10.0} << "10 kr";
        // p
        QTest::newRow("p") << "%p" << QVariantList{QVariant::fromValue(reinterpret_cast<void *>(0x1234))}
                           << "0000000000001234";
        // index, *
        QTest::newRow("index") << "%1:s %0:s" << QVariantList{"a", "b"} << "b a";
        QTest::newRow("index then next") << "%1:s %s" << QVariantList{"a", "b", "c"} << "b c";
        QTest::newRow("index repeated") << "%0:s-%0:s" << QVariantList{"a"} << "a-a";
        QTest::newRow("index with width") << "[%0:-3s]" << QVariantList{"a"} << "[a  ]";
        QTest::newRow("star width") << "[%*d]" << QVariantList{5, 42} << "[   42]";
        QTest::newRow("star left width") << "[%-*d]" << QVariantList{4, 7} << "[7   ]";
        QTest::newRow("star precision") << "%.*f" << QVariantList{1, 1.25} << "1,3";
        QTest::newRow("star width and precision") << "[%*.*f]" << QVariantList{8, 2, 3.14159} << "[    3,14]";
        QTest::newRow("mixed") << "Producera %d %s" << QVariantList{3, "exemplar"} << "Producera 3 exemplar";
    }
    void format()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        QCOMPARE(QUV::Format(format, args), expected);
    }

    void formatErrors_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("message");
        const QString invalid = QStringLiteral("Format '%1' invalid or incompatible with argument");
        const QString missing = QStringLiteral("No argument for format '%1'");

        QTest::newRow("d with string") << "%d" << QVariantList{"x"} << invalid.arg("%d");
        QTest::newRow("d with double") << "%d" << QVariantList{1.5} << invalid.arg("%d");
        QTest::newRow("d with bool") << "%d" << QVariantList{true} << invalid.arg("%d");
        QTest::newRow("x with string") << "%x" << QVariantList{"ff"} << invalid.arg("%x");
        QTest::newRow("f with integer") << "%.1f Mb" << QVariantList{10} << invalid.arg("%.1f Mb");
        QTest::newRow("e with string") << "%e" << QVariantList{"1"} << invalid.arg("%e");
        QTest::newRow("s with integer") << "%s" << QVariantList{1} << invalid.arg("%s");
        QTest::newRow("s with null") << "%s" << QVariantList{QVariant()} << invalid.arg("%s");
        QTest::newRow("s with date") << "%s" << QVariantList{QDate(2020, 1, 1)} << invalid.arg("%s");
        QTest::newRow("p with integer") << "%p" << QVariantList{1} << invalid.arg("%p");
        QTest::newRow("unknown type") << "%k" << QVariantList{1} << invalid.arg("%k");
        QTest::newRow("percent at end") << "50%" << QVariantList{} << invalid.arg("50%");
        QTest::newRow("unfinished") << "%5." << QVariantList{1} << invalid.arg("%5.");
        QTest::newRow("star with string") << "%*d" << QVariantList{"5", 1} << invalid.arg("%*d");
        QTest::newRow("too few") << "%d of %d" << QVariantList{1} << missing.arg("%d of %d");
        QTest::newRow("none") << "%s" << QVariantList{} << missing.arg("%s");
        QTest::newRow("index beyond") << "%2:s" << QVariantList{"a", "b"} << missing.arg("%2:s");
        QTest::newRow("star without argument") << "%*d" << QVariantList{} << missing.arg("%*d");
        QTest::newRow("long format cut to 255") << QString(300, 'a') + "%d" << QVariantList{}
                                                << missing.arg(QString(255, 'a'));
    }
    void formatErrors()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        QFETCH(QString, message);
        try {
            const QString result = QUV::Format(format, args);
            QFAIL(qPrintable("no exception, got: " + result));
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), message);
        }
    }

    void floatToStr_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fraction") << 2.5 << "2,5";
        QTest::newRow("integer") << 3.0 << "3";
        QTest::newRow("large") << 1e20 << "1E20";
        QTest::newRow("small") << 0.00001 << "1E-5";
        QTest::newRow("negative") << -0.75 << "-0,75";
        QTest::newRow("15 digits") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "NAN";
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << "INF";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << "-INF";
    }
    void floatToStr()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QUV::FloatToStr(value), expected);
    }

    void fixedFallsBackToScientificPastPrecision()
    {
        QCOMPARE(QUV::FloatToStrF(1e20, QUV::TFloatFormat::ffFixed, 18, 2), QStringLiteral("1,00000000000000000E+020"));
        QCOMPARE(QUV::FloatToStrF(123.456, QUV::TFloatFormat::ffFixed, 18, 1), QStringLiteral("123,5"));
    }
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "tst_log_format.moc"
