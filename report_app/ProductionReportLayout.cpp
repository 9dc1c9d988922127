#include "ProductionReportLayout.h"

#include "QUV.Types.h"
#include "ReportQuery.h"

using BandLayout::TBand;
using BandLayout::TBandItem;
using BandLayout::TItemKind;

namespace ProductionReportLayout {

namespace {

const QColor kGrey(128, 128, 128);

// A rule "2 pixels" thick on the report designer's 96 dpi grid.
constexpr double kRuleWidth = 2 * 25.4 / 96;

TBandItem Field(const QString &name, double left, double top, double width, double height, const QString &text,
                double pointSize = 10, bool bold = false, const QColor &color = Qt::black)
{
    TBandItem item;
    item.Name = name;
    item.Left = left;
    item.Top = top;
    item.Width = width;
    item.Height = height;
    item.Text = text;
    item.PointSize = pointSize;
    item.Bold = bold;
    item.Color = color;
    return item;
}

// Grey caption as wide as its text.
TBandItem Caption(const QString &name, double left, double top, double height, const QString &text)
{
    return Field(name, left, top, 0, height, text, 10, false, kGrey);
}

} // namespace

BandLayout::TPageGeometry DefaultGeometry()
{
    return BandLayout::TPageGeometry{};
}

QString FormatSizeMb(const QVariant &size)
{
    const double megabytes = size.toDouble() / 1024 / 1024;
    return QUV::RegionalLocale().toString(megabytes, 'f', 2) + QStringLiteral(" Mb");
}

QString FormatBookDate(const QVariant &date)
{
    if (date.isNull())
        return QString();
    bool isNumber = false;
    const double serial = date.toDouble(&isNumber);
    if (isNumber)
        return QUV::FormatShortDate(QUV::FromDateTime(serial).date());
    const QDateTime value = ParseCatalogueDateTime(date.toString());
    return value.isValid() ? QUV::FormatShortDate(value.date()) : date.toString();
}

TBand ReportTitleBand(double bandWidth)
{
    TBand band;
    band.Name = QStringLiteral("ReportTitle");
    band.Height = 25;
    TBandItem title = Field(QStringLiteral("reportTitle"), 0, 0, bandWidth, 5, QStringLiteral("Morvik"), 16, true);
    title.CenterVertically = true;
    TBandItem subtitle = Field(QStringLiteral("reportSubtitle"), 0, 10, bandWidth, 6,
                               QStringLiteral("Detaljerad rapport över producerade böcker"), 12, true);
    subtitle.CenterVertically = true;
    band.Items = {title, subtitle};
    return band;
}

TBand GroupHeaderBand(const TReportRow &row)
{
    TBand band;
    band.Name = QStringLiteral("GroupHeader");
    band.Height = 42;
    band.Items = {
        Field(QStringLiteral("id"), 0, 0, 14.64, 5, row.id, 10, true),
        Field(QStringLiteral("title"), 16, 0, 0, 5, row.title, 10, true),
        Caption(QStringLiteral("lblAuthor"), 16, 5, 6, QStringLiteral("Författare")),
        Field(QStringLiteral("author"), 33, 5, 67, 5, row.author),
        Caption(QStringLiteral("lblDiskset"), 105.64, 5, 6, QStringLiteral("Skiva")),
        Field(QStringLiteral("diskset"), 117.64, 5, 0, 5, row.diskset),
        Caption(QStringLiteral("lblNarrator"), 16, 11, 6, QStringLiteral("Berättare")),
        Field(QStringLiteral("narrator"), 33, 11, 67, 5, row.narrator),
        Caption(QStringLiteral("lblDate"), 105.64, 11, 6, QStringLiteral("Datum")),
        Field(QStringLiteral("date"), 117.64, 11, 0, 5, FormatBookDate(row.date)),
        Caption(QStringLiteral("lblDuration"), 16, 17, 6, QStringLiteral("Längd")),
        Field(QStringLiteral("duration"), 33, 17, 31.64, 5, row.duration),
        Caption(QStringLiteral("lblSize"), 105.64, 17, 6, QStringLiteral("Storlek")),
        Field(QStringLiteral("size"), 117.64, 17, 0, 5, FormatSizeMb(row.size)),
        Caption(QStringLiteral("lblLanguage"), 16, 23, 6, QStringLiteral("Språk")),
        Field(QStringLiteral("language"), 33, 23, 67, 5, row.language),
        Caption(QStringLiteral("lblFormat"), 16, 29, 6, QStringLiteral("Format")),
        Field(QStringLiteral("format"), 33, 29, 67, 5, row.format),
        Field(QStringLiteral("lblProducedColumn"), 16, 37, 20, 5, QStringLiteral("Datum"), 10, false, kGrey),
        Field(QStringLiteral("lblCopiesColumn"), 39, 37, 17, 5, QStringLiteral("Kopior"), 10, false, kGrey),
    };
    return band;
}

TBand DataBand(const TReportRow &row)
{
    TBand band;
    band.Name = QStringLiteral("Data");
    band.Height = 5;
    band.Items = {
        Field(QStringLiteral("produced"), 16, 0, 20, 5, ReportQueryproducedGetText(row.produced)),
        Field(QStringLiteral("copies"), 39, 0, 21, 5, QString::number(row.copies)),
    };
    return band;
}

TBand GroupFooterBand(qint64 copies)
{
    TBand band;
    band.Name = QStringLiteral("GroupFooter");
    band.Height = 11;
    const TBandItem sum = Field(QStringLiteral("sum"), 16, 1, 0, 5, QString::number(copies) + QStringLiteral(" st"));
    // The sentence starts where the sum's field ends.
    const double sumWidth = BandLayout::TextWidth(sum.Text, sum.PointSize, sum.Bold) + 2 * BandLayout::TextGapX;
    band.Items = {
        sum,
        Field(QStringLiteral("sumText"), 16 + sumWidth, 1, 147, 5,
              QStringLiteral("kopior har totalt producerat av denna titel under perioden"), 10, false, kGrey),
    };
    return band;
}

TBand PageFooterBand(int pageNumber, const QDateTime &preparedAt)
{
    TBand band;
    band.Name = QStringLiteral("PageFooter");
    band.Height = 7;
    TBandItem rule;
    rule.Kind = TItemKind::Rule;
    rule.Name = QStringLiteral("rule");
    rule.RuleWidth = kRuleWidth;
    const QString prepared =
        QUV::FormatShortDate(preparedAt.date()) + QLatin1Char(' ') + QUV::FormatLongTime(preparedAt.time());
    TBandItem page = Field(QStringLiteral("page"), 0, 0.26, 20, 6, QStringLiteral("Sida %1").arg(pageNumber));
    page.AnchorRight = true;
    page.AlignRight = true;
    band.Items = {rule, Field(QStringLiteral("preparedAt"), 0, 0.26, 0, 6, prepared), page};
    return band;
}

BandLayout::TPreparedReport Prepare(const QVector<TReportRow> &rows, const BandLayout::TPageGeometry &geometry,
                                    const QDateTime &preparedAt)
{
    BandLayout::TBandLayoutEngine engine(
        geometry, [preparedAt](int pageNumber) { return PageFooterBand(pageNumber, preparedAt); });
    engine.AddBand(ReportTitleBand(geometry.BandWidth()));
    for (int i = 0; i < rows.size();) {
        const QString id = rows.at(i).id;
        engine.AddBand(GroupHeaderBand(rows.at(i)));
        qint64 copies = 0;
        for (; i < rows.size() && rows.at(i).id == id; ++i) {
            engine.AddBand(DataBand(rows.at(i)));
            copies += rows.at(i).copies;
        }
        engine.AddBand(GroupFooterBand(copies));
    }
    return engine.Finish();
}

} // namespace ProductionReportLayout
