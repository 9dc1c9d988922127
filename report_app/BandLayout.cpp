#include "BandLayout.h"

#include "QUV.Types.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace BandLayout {

namespace {

// Line breaks and widths are decided at this resolution whatever the output
// device is, so the preview shows exactly the lines the PDF and the paper get.
constexpr int kReferenceDpi = 1200;
constexpr double kEpsilon = 1e-6;

const QImage &ReferenceDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(kReferenceDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

double PixelsToMm(double pixels)
{
    return pixels * 25.4 / kReferenceDpi;
}

double MmToPixels(double mm)
{
    return mm * kReferenceDpi / 25.4;
}

// Forced line breaks of stored texts (CR LF from the job files) become the
// separator the text layout breaks on.
QString PrepareForLayout(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

QString OneLine(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

const TPlacedItem *TPreparedPage::Find(const QString &name, const QString &band) const
{
    for (const TPlacedItem &item : Items)
        if (item.Name == name && (band.isEmpty() || item.Band == band))
            return &item;
    return nullptr;
}

QVector<const TPlacedItem *> TPreparedPage::FindAll(const QString &name) const
{
    QVector<const TPlacedItem *> found;
    for (const TPlacedItem &item : Items)
        if (item.Name == name)
            found.append(&item);
    return found;
}

QFont ReportFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

double TextWidth(const QString &text, double pointSize, bool bold)
{
    const QFontMetricsF metrics(ReportFont(pointSize, bold), &ReferenceDevice());
    return PixelsToMm(metrics.horizontalAdvance(text));
}

double LineHeight(double pointSize, bool bold)
{
    const QFontMetricsF metrics(ReportFont(pointSize, bold), &ReferenceDevice());
    return PixelsToMm(metrics.lineSpacing());
}

QStringList WrapText(const QString &text, double width, double pointSize, bool bold)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    const QString prepared = PrepareForLayout(text);
    QTextLayout layout(prepared, ReportFont(pointSize, bold), &ReferenceDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(MmToPixels(qMax(width, 0.0)));
        QString part = prepared.mid(line.textStart(), line.textLength());
        part.remove(QChar::LineSeparator);
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

TBandLayoutEngine::TBandLayoutEngine(const TPageGeometry &geometry, TPageFooter pageFooter)
    : FGeometry(geometry), FPageFooter(std::move(pageFooter))
{
    FReport.Geometry = geometry;
}

double TBandLayoutEngine::FooterHeight() const
{
    return FPageFooter ? FPageFooter(1).Height : 0;
}

QVector<TPlacedItem> TBandLayoutEngine::PlaceBand(const TBand &band, const QPointF &origin, double bandWidth)
{
    QVector<TPlacedItem> placed;
    placed.reserve(band.Items.size());
    for (const TBandItem &item : band.Items) {
        TPlacedItem out;
        out.Kind = item.Kind;
        out.Band = band.Name;
        out.Name = item.Name;
        out.PointSize = item.PointSize;
        out.Bold = item.Bold;
        out.Color = item.Color;
        out.AlignRight = item.AlignRight;
        out.RuleWidth = item.RuleWidth;

        if (item.Kind == TItemKind::Rule) {
            const double width = item.Width > 0 ? item.Width : bandWidth;
            out.Rect = QRectF(origin.x() + item.Left, origin.y() + item.Top, width, item.Height);
            placed.append(out);
            continue;
        }

        QStringList lines;
        double width = item.Width;
        if (width <= 0) {
            const QString line = OneLine(item.Text);
            width = TextWidth(line, item.PointSize, item.Bold) + 2 * TextGapX;
            if (!line.isEmpty())
                lines.append(line);
        } else {
            lines = WrapText(item.Text, width - 2 * TextGapX, item.PointSize, item.Bold);
        }

        const double lineHeight = LineHeight(item.PointSize, item.Bold);
        if (item.CenterVertically) {
            if (!lines.isEmpty()) {
                out.Lines.append(lines.first());
                out.LineTops.append((item.Height - lineHeight) / 2);
            }
        } else {
            // The first line is always printed (cut at the field's edge if
            // need be); further lines only when they fit the field whole.
            for (int i = 0; i < lines.size(); ++i) {
                const double top = TextGapY + i * lineHeight;
                if (i > 0 && top + lineHeight > item.Height + kEpsilon)
                    break;
                out.Lines.append(lines.at(i));
                out.LineTops.append(top);
            }
        }

        const double left = item.AnchorRight ? bandWidth - width : item.Left;
        out.Rect = QRectF(origin.x() + left, origin.y() + item.Top, width, item.Height);
        placed.append(out);
    }
    return placed;
}

void TBandLayoutEngine::StartPage()
{
    TPreparedPage page;
    page.Number = FReport.Pages.size() + 1;
    FReport.Pages.append(page);
    FCursor = FGeometry.BodyTop();
    FPageOpen = true;
}

void TBandLayoutEngine::ClosePage()
{
    if (!FPageOpen)
        return;
    TPreparedPage &page = FReport.Pages.last();
    if (FPageFooter) {
        const TBand footer = FPageFooter(page.Number);
        const QPointF origin(FGeometry.BandLeft(), FGeometry.BodyBottom() - footer.Height);
        page.Items += PlaceBand(footer, origin, FGeometry.BandWidth());
    }
    FPageOpen = false;
}

void TBandLayoutEngine::AddBand(const TBand &band)
{
    if (!FPageOpen)
        StartPage();
    const double footerTop = FGeometry.BodyBottom() - FooterHeight();
    // A band taller than a whole page still goes on a page of its own.
    const bool pageHasBands = FCursor > FGeometry.BodyTop() + kEpsilon;
    if (pageHasBands && FCursor + band.Height > footerTop + kEpsilon) {
        ClosePage();
        StartPage();
    }
    FReport.Pages.last().Items +=
        PlaceBand(band, QPointF(FGeometry.BandLeft(), FCursor), FGeometry.BandWidth());
    FCursor += band.Height;
}

TPreparedReport TBandLayoutEngine::Finish()
{
    if (FReport.Pages.isEmpty())
        StartPage();
    ClosePage();
    return FReport;
}

void PaintPage(QPainter &painter, const TPreparedPage &page, double dotsPerMm)
{
    const auto px = [dotsPerMm](double mm) { return mm * dotsPerMm; };
    const auto pxRect = [&px](const QRectF &mm) {
        return QRectF(px(mm.left()), px(mm.top()), px(mm.width()), px(mm.height()));
    };

    for (const TPlacedItem &item : page.Items) {
        painter.save();
        if (item.Kind == TItemKind::Rule) {
            QPen pen(item.Color);
            pen.setWidthF(px(item.RuleWidth));
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            // The rule's thickness lies inside the band, below its top edge.
            const double y = px(item.Rect.top() + item.RuleWidth / 2);
            painter.drawLine(QPointF(px(item.Rect.left()), y), QPointF(px(item.Rect.right()), y));
        } else if (!item.Lines.isEmpty()) {
            painter.setFont(ReportFont(item.PointSize, item.Bold));
            painter.setPen(item.Color);
            // Devices hint glyphs slightly differently from the reference;
            // the horizontal insets absorb that, the height cuts hard.
            painter.setClipRect(pxRect(item.Rect.adjusted(-TextGapX, 0, TextGapX, 0)));
            const double lineHeight = LineHeight(item.PointSize, item.Bold);
            const int flags = (item.AlignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop |
                              Qt::TextSingleLine | Qt::TextDontClip;
            for (int i = 0; i < item.Lines.size(); ++i) {
                const QRectF line(item.Rect.left() + TextGapX, item.Rect.top() + item.LineTops.at(i),
                                  item.Rect.width() - 2 * TextGapX, lineHeight);
                painter.drawText(pxRect(line), flags, item.Lines.at(i));
            }
        }
        painter.restore();
    }
}

TPageGeometry GeometryOf(const QPagedPaintDevice &device)
{
    const QPageLayout layout = device.pageLayout();
    TPageGeometry geometry;
    geometry.PaperSize = layout.fullRect(QPageLayout::Millimeter).size();
    geometry.Margins = layout.margins(QPageLayout::Millimeter);
    return geometry;
}

void PaintReport(QPagedPaintDevice &device, const TPreparedReport &report)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception(QStringLiteral("Rapporten kunde inte skrivas ut på den valda enheten"));
    const int dpi = device.logicalDpiX();
    const double dotsPerMm = dpi / 25.4;
    // Outside full-page mode the device puts its origin at the margins; the
    // layout counts from the paper's corner.
    const QPageLayout layout = device.pageLayout();
    const QPointF origin = layout.mode() == QPageLayout::FullPageMode
                               ? QPointF()
                               : QPointF(layout.paintRectPixels(dpi).topLeft());
    for (int i = 0; i < report.Pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            throw Exception(QStringLiteral("Rapporten kunde inte skrivas ut på den valda enheten"));
        }
        painter.resetTransform();
        painter.translate(-origin);
        PaintPage(painter, report.Pages.at(i), dotsPerMm);
    }
    painter.end();
}

} // namespace BandLayout
