#include "BandLayout.h"
#include "ProductionReportLayout.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace BandLayout;

namespace {

TReportRow Row(const QString &id, const QString &produced, qint64 copies)
{
    TReportRow row;
    row.id = id;
    row.title = QStringLiteral("Titel ") + id;
    row.author = QStringLiteral("Anna Andersson");
    row.narrator = QStringLiteral("Berit Berg");
    row.duration = QStringLiteral("3600");
    row.diskset = QStringLiteral("1 av 1");
    row.language = QStringLiteral("sv");
    row.format = QStringLiteral("Daisy 2.02");
    row.date = 43466.0;
    row.size = 1572864;
    row.produced = produced;
    row.copies = copies;
    return row;
}

const QDateTime kPreparedAt(QDate(2019, 3, 4), QTime(8, 9, 10));

bool Near(double a, double b)
{
    return qAbs(a - b) < 0.001;
}

// Whether any pixel inside the rectangle (in millimetres) is not white.
bool Inked(const QImage &image, const QRectF &mm, double dotsPerMm)
{
    const QRect px = QRectF(mm.left() * dotsPerMm, mm.top() * dotsPerMm, mm.width() * dotsPerMm,
                            mm.height() * dotsPerMm)
                         .toAlignedRect()
                         .intersected(image.rect());
    for (int y = px.top(); y <= px.bottom(); ++y)
        for (int x = px.left(); x <= px.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

} // namespace

class TestBandLayout : public QObject
{
    Q_OBJECT
private slots:
    // Positions and sizes of the group header's fields, relative to the band,
    // for the first book on the first page (band top = margin + title band).
    void groupHeaderPlacement_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("width"); // 0: as wide as its text
        QTest::addColumn<double>("height");
        QTest::addColumn<QString>("text");

        QTest::newRow("id") << "id" << 0.0 << 0.0 << 14.64 << 5.0 << "B100";
        QTest::newRow("title") << "title" << 16.0 << 0.0 << 0.0 << 5.0 << "Titel B100";
        QTest::newRow("Författare") << "lblAuthor" << 16.0 << 5.0 << 0.0 << 6.0 << "Författare";
        QTest::newRow("author") << "author" << 33.0 << 5.0 << 67.0 << 5.0 << "Anna Andersson";
        QTest::newRow("Skiva") << "lblDiskset" << 105.64 << 5.0 << 0.0 << 6.0 << "Skiva";
        QTest::newRow("diskset") << "diskset" << 117.64 << 5.0 << 0.0 << 5.0 << "1 av 1";
        QTest::newRow("Berättare") << "lblNarrator" << 16.0 << 11.0 << 0.0 << 6.0 << "Berättare";
        QTest::newRow("narrator") << "narrator" << 33.0 << 11.0 << 67.0 << 5.0 << "Berit Berg";
        QTest::newRow("Datum") << "lblDate" << 105.64 << 11.0 << 0.0 << 6.0 << "Datum";
        QTest::newRow("date") << "date" << 117.64 << 11.0 << 0.0 << 5.0 << "2019-01-01";
        QTest::newRow("Längd") << "lblDuration" << 16.0 << 17.0 << 0.0 << 6.0 << "Längd";
        QTest::newRow("duration") << "duration" << 33.0 << 17.0 << 31.64 << 5.0 << "3600";
        QTest::newRow("Storlek") << "lblSize" << 105.64 << 17.0 << 0.0 << 6.0 << "Storlek";
        QTest::newRow("size") << "size" << 117.64 << 17.0 << 0.0 << 5.0 << "1,50 Mb";
        QTest::newRow("Språk") << "lblLanguage" << 16.0 << 23.0 << 0.0 << 6.0 << "Språk";
        QTest::newRow("language") << "language" << 33.0 << 23.0 << 67.0 << 5.0 << "sv";
        QTest::newRow("Format") << "lblFormat" << 16.0 << 29.0 << 0.0 << 6.0 << "Format";
        QTest::newRow("format") << "format" << 33.0 << 29.0 << 67.0 << 5.0 << "Daisy 2.02";
        QTest::newRow("day column") << "lblProducedColumn" << 16.0 << 37.0 << 20.0 << 5.0 << "Datum";
        QTest::newRow("copies column") << "lblCopiesColumn" << 39.0 << 37.0 << 17.0 << 5.0 << "Kopior";
    }
    void groupHeaderPlacement()
    {
        QFETCH(QString, name);
        QFETCH(double, left);
        QFETCH(double, top);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(QString, text);

        const TPreparedReport report = ProductionReportLayout::Prepare(
            {Row("B100", "2019-02-01 10:00:00", 2)}, ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        const TPlacedItem *item = report.Pages.first().Find(name, QStringLiteral("GroupHeader"));
        QVERIFY(item);
        const QPointF band(10, 10 + 25);
        QVERIFY2(Near(item->Rect.left() - band.x(), left), qPrintable(QString::number(item->Rect.left())));
        QVERIFY2(Near(item->Rect.top() - band.y(), top), qPrintable(QString::number(item->Rect.top())));
        QVERIFY(Near(item->Rect.height(), height));
        const double expectedWidth = width > 0 ? width : TextWidth(text, 10, item->Bold) + 2 * TextGapX;
        QVERIFY(Near(item->Rect.width(), expectedWidth));
        QCOMPARE(item->Lines, QStringList{text});
        const bool grey = name.startsWith(QLatin1String("lbl"));
        QCOMPARE(item->Color, grey ? QColor(128, 128, 128) : QColor(Qt::black));
        QCOMPARE(item->Bold, name == QLatin1String("id") || name == QLatin1String("title"));
    }

    void bandsFlowDownThePage()
    {
        const TPreparedReport report = ProductionReportLayout::Prepare(
            {Row("B100", "2019-02-01 10:00:00", 2), Row("B100", "2019-02-05 09:00:00", 7),
             Row("B200", "2019-02-10 12:00:00", 5)},
            ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        QCOMPARE(report.Pages.size(), 1);
        const TPreparedPage &page = report.Pages.first();

        const TPlacedItem *title = page.Find(QStringLiteral("reportTitle"));
        QVERIFY(title);
        QCOMPARE(title->Rect, QRectF(10, 10, 190, 5));
        QCOMPARE(title->Lines, QStringList{"Morvik"});
        QCOMPARE(title->PointSize, 16.0);
        const TPlacedItem *subtitle = page.Find(QStringLiteral("reportSubtitle"));
        QCOMPARE(subtitle->Rect, QRectF(10, 20, 190, 6));
        QCOMPARE(subtitle->Lines, QStringList{"Detaljerad rapport över producerade böcker"});

        // Title 25, header 42, two data lines of 5, footer 11, next header.
        const auto ids = page.FindAll(QStringLiteral("id"));
        QCOMPARE(ids.size(), 2);
        QVERIFY(Near(ids.at(0)->Rect.top(), 35));
        QVERIFY(Near(ids.at(1)->Rect.top(), 35 + 42 + 5 + 5 + 11));
        const auto days = page.FindAll(QStringLiteral("produced"));
        QCOMPARE(days.size(), 3);
        QVERIFY(Near(days.at(0)->Rect.top(), 77));
        QVERIFY(Near(days.at(1)->Rect.top(), 82));
        QCOMPARE(days.at(1)->Lines, QStringList{"2019-02-05"});
        QCOMPARE(days.at(1)->Rect, QRectF(26, 82, 20, 5));
        QCOMPARE(page.FindAll(QStringLiteral("copies")).at(1)->Rect, QRectF(49, 82, 21, 5));

        // The footer sums the book's lines; its sentence starts where the sum ends.
        const auto sums = page.FindAll(QStringLiteral("sum"));
        QCOMPARE(sums.size(), 2);
        QCOMPARE(sums.at(0)->Lines, QStringList{"9 st"});
        QCOMPARE(sums.at(1)->Lines, QStringList{"5 st"});
        QVERIFY(Near(sums.at(0)->Rect.top(), 87 + 1));
        QVERIFY(Near(sums.at(0)->Rect.left(), 26));
        const TPlacedItem *sentence = page.Find(QStringLiteral("sumText"));
        QVERIFY(Near(sentence->Rect.left(), sums.at(0)->Rect.right()));
        QCOMPARE(sentence->Rect.width(), 147.0);
        QCOMPARE(sentence->Color, QColor(128, 128, 128));
        QCOMPARE(sentence->Lines, QStringList{"kopior har totalt producerat av denna titel under perioden"});
    }

    void pageFooter()
    {
        const TPreparedReport report = ProductionReportLayout::Prepare(
            {Row("B100", "2019-02-01 10:00:00", 2)}, ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        const TPreparedPage &page = report.Pages.first();
        const double bandTop = 297 - 10 - 7;
        const TPlacedItem *rule = page.Find(QStringLiteral("rule"));
        QVERIFY(rule);
        QCOMPARE(rule->Kind, TItemKind::Rule);
        QCOMPARE(rule->Rect.top(), bandTop);
        QCOMPARE(rule->Rect.left(), 10.0);
        QCOMPARE(rule->Rect.width(), 190.0);
        const TPlacedItem *prepared = page.Find(QStringLiteral("preparedAt"));
        QCOMPARE(prepared->Lines, QStringList{"2019-03-04 08:09:10"});
        QVERIFY(Near(prepared->Rect.top(), bandTop + 0.26));
        QCOMPARE(prepared->Rect.left(), 10.0);
        const TPlacedItem *number = page.Find(QStringLiteral("page"));
        QCOMPARE(number->Lines, QStringList{"Sida 1"});
        QVERIFY(number->AlignRight);
        QVERIFY(Near(number->Rect.right(), 200));
        QVERIFY(Near(number->Rect.width(), 20));
    }

    void longBookWrapsOntoPages()
    {
        QVector<TReportRow> rows;
        for (int day = 1; day <= 60; ++day)
            rows << Row("B100", QStringLiteral("2019-01-01 10:00:00"), day);
        rows << Row("B200", QStringLiteral("2019-03-01 10:00:00"), 1);
        const TPreparedReport report =
            ProductionReportLayout::Prepare(rows, ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        QCOMPARE(report.Pages.size(), 2);
        const double footerTop = 297 - 10 - 7;
        int dataLines = 0;
        for (const TPreparedPage &page : report.Pages) {
            QCOMPARE(page.Find(QStringLiteral("page"))->Lines, QStringList{QStringLiteral("Sida %1").arg(page.Number)});
            for (const TPlacedItem &item : page.Items) {
                if (item.Band != QLatin1String("PageFooter"))
                    QVERIFY2(item.Rect.bottom() <= footerTop + 0.001, qPrintable(item.Name));
                if (item.Name == QLatin1String("produced"))
                    ++dataLines;
            }
        }
        QCOMPARE(dataLines, 61);
        QVERIFY(report.Pages.at(0).Find(QStringLiteral("reportTitle")));
        QVERIFY(!report.Pages.at(1).Find(QStringLiteral("reportTitle")));
        // The second page continues the book's lines right at its top margin.
        const auto continued = report.Pages.at(1).FindAll(QStringLiteral("produced"));
        QVERIFY(!continued.isEmpty());
        QVERIFY(Near(continued.first()->Rect.top(), 10));
        QCOMPARE(report.Pages.at(1).FindAll(QStringLiteral("sum")).size(), 2);
    }

    void emptyReportHasOnePage()
    {
        const TPreparedReport report =
            ProductionReportLayout::Prepare({}, ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        QCOMPARE(report.Pages.size(), 1);
        QVERIFY(report.Pages.first().Find(QStringLiteral("page")));
    }

    void longTitleWidensToTheRight()
    {
        TReportRow row = Row("B100", "2019-02-01 10:00:00", 1);
        row.title = QString(QStringLiteral("En mycket lång titel ")).repeated(12).trimmed();
        const TBand band = ProductionReportLayout::GroupHeaderBand(row);
        const auto items = TBandLayoutEngine::PlaceBand(band, QPointF(0, 0), 190);
        const auto title = std::find_if(items.begin(), items.end(), [](const TPlacedItem &i) { return i.Name == "title"; });
        QVERIFY(title != items.end());
        QCOMPARE(title->Rect.left(), 16.0);
        QVERIFY(title->Rect.width() > 174);
        QCOMPARE(title->Lines, QStringList{row.title});

        row.title = QStringLiteral("Kort");
        const auto shortItems = TBandLayoutEngine::PlaceBand(ProductionReportLayout::GroupHeaderBand(row), {}, 190);
        const auto shortTitle =
            std::find_if(shortItems.begin(), shortItems.end(), [](const TPlacedItem &i) { return i.Name == "title"; });
        QVERIFY(shortTitle->Rect.width() < 20);
    }

    // A fixed-width field wraps its text; lines that do not fit its height whole are dropped.
    void wrapAndClip_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("wrappedLines");
        QTest::addColumn<int>("printedLines");

        const QString long67 = QStringLiteral("Anna Andersson, Berit Berg, Carl Carlsson, David Dahl och Erik Ek");
        QTest::newRow("fits one line") << 67.0 << 5.0 << "Anna Andersson" << 1 << 1;
        QTest::newRow("long author in 67x5: first line only") << 67.0 << 5.0 << long67 << 2 << 1;
        QTest::newRow("two lines fit 9 mm") << 40.0 << 9.0 << long67 << 3 << 2;
        QTest::newRow("word longer than the field breaks anywhere")
            << 20.0 << 20.0 << QStringLiteral("Författarförbundsrapporten") << 3 << 3;
        QTest::newRow("stored line breaks") << 67.0 << 20.0 << QStringLiteral("Rad ett\r\nRad två") << 2 << 2;
        QTest::newRow("empty text") << 67.0 << 5.0 << QString() << 0 << 0;
    }
    void wrapAndClip()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(QString, text);
        QFETCH(int, wrappedLines);
        QFETCH(int, printedLines);

        const QStringList lines = WrapText(text, width - 2 * TextGapX, 10, false);
        QCOMPARE(lines.size(), wrappedLines);
        for (const QString &line : lines)
            QVERIFY2(TextWidth(line, 10, false) <= width - 2 * TextGapX + 0.001, qPrintable(line));

        TBand band;
        band.Height = height;
        TBandItem item;
        item.Name = QStringLiteral("field");
        item.Width = width;
        item.Height = height;
        item.Text = text;
        band.Items = {item};
        const TPlacedItem placed = TBandLayoutEngine::PlaceBand(band, QPointF(5, 7), 190).first();
        QCOMPARE(placed.Rect, QRectF(5, 7, width, height));
        QCOMPARE(placed.Lines, lines.mid(0, printedLines));
        for (int i = 0; i < placed.Lines.size(); ++i)
            QVERIFY(placed.LineTops.at(i) + LineHeight(10, false) <= height + 0.001);
    }

    // Painted pages keep the text inside its field: nothing below a clipped
    // field, the rule at the top of the page footer, the page number at the
    // right margin.
    void paintingStaysInsideFields()
    {
        TReportRow row = Row("B100", "2019-02-01 10:00:00", 3);
        row.author = QString(QStringLiteral("Anna Andersson ")).repeated(20);
        row.narrator.clear();
        const TPreparedReport report =
            ProductionReportLayout::Prepare({row}, ProductionReportLayout::DefaultGeometry(), kPreparedAt);
        const double dotsPerMm = 8;
        QImage image(qRound(210 * dotsPerMm), qRound(297 * dotsPerMm), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
        image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintPage(painter, report.Pages.first(), dotsPerMm);
        }
        const TPreparedPage &page = report.Pages.first();
        const QRectF author = page.Find(QStringLiteral("author"))->Rect;
        QVERIFY(Inked(image, author, dotsPerMm));
        // Between the author's field and the narrator caption's row: the
        // author's second line would be here if it were not cut.
        QVERIFY(!Inked(image, QRectF(author.left(), author.bottom() + 0.1, author.width(), 0.8), dotsPerMm));
        QVERIFY(Inked(image, page.Find(QStringLiteral("reportTitle"))->Rect, dotsPerMm));
        QVERIFY(Inked(image, QRectF(10, 280, 190, 0.5), dotsPerMm));
        QVERIFY(!Inked(image, QRectF(10, 279, 190, 0.9), dotsPerMm));
        const QRectF number = page.Find(QStringLiteral("page"))->Rect;
        // Below the rule: the number is flush right in its field.
        QVERIFY(Inked(image, QRectF(number.right() - 4, number.top() + 1, 4, 4), dotsPerMm));
        QVERIFY(!Inked(image, QRectF(number.left(), number.top() + 1, 6, 4), dotsPerMm));
        QVERIFY(!Inked(image, QRectF(200.5, 0, 9.5, 297), dotsPerMm));
    }

    void sizeAndDateTexts_data()
    {
        QTest::addColumn<QVariant>("size");
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("one and a half") << QVariant(1572864) << QStringLiteral("1,50 Mb");
        QTest::newRow("grouped thousands") << QVariant(qint64(1610612736)) << QStringLiteral("1\u00a0536,00 Mb");
        QTest::newRow("rounded") << QVariant(1024) << QStringLiteral("0,00 Mb");
        QTest::newRow("NULL") << QVariant() << QStringLiteral("0,00 Mb");
    }
    void sizeAndDateTexts()
    {
        QFETCH(QVariant, size);
        QFETCH(QString, sizeText);
        QCOMPARE(ProductionReportLayout::FormatSizeMb(size), sizeText);
    }

    void bookDate_data()
    {
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("day serial") << QVariant(43466.0) << "2019-01-01";
        QTest::newRow("day serial with time") << QVariant(43466.75) << "2019-01-01";
        QTest::newRow("date-time text") << QVariant(QStringLiteral("2019-01-15 08:00:00")) << "2019-01-15";
        QTest::newRow("NULL") << QVariant() << "";
    }
    void bookDate()
    {
        QFETCH(QVariant, date);
        QFETCH(QString, text);
        QCOMPARE(ProductionReportLayout::FormatBookDate(date), text);
    }
};

QTEST_MAIN(TestBandLayout)
#include "tst_bandlayout.moc"
