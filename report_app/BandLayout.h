#pragma once

#include <QColor>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QFont;
class QPainter;
class QPagedPaintDevice;

// A small band engine: bands of fields are stacked down the page, a new page
// begins when a band does not fit above the page footer, and every page gets
// its footer. Everything is measured in millimetres against one fixed
// reference resolution, so print, preview and PDF show the same pages with
// the same line breaks.
namespace BandLayout {

// Paper and margins in millimetres; a page's origin is the paper's top left.
struct TPageGeometry
{
    QSizeF PaperSize{210, 297};
    QMarginsF Margins{10, 10, 10, 10};

    double BandLeft() const { return Margins.left(); }
    double BandWidth() const { return PaperSize.width() - Margins.left() - Margins.right(); }
    double BodyTop() const { return Margins.top(); }
    double BodyBottom() const { return PaperSize.height() - Margins.bottom(); }
};

enum class TItemKind { Text, Rule };

// One field of a band. Left, Top, Width and Height are millimetres from the
// band's top left corner.
struct TBandItem
{
    TItemKind Kind = TItemKind::Text;
    QString Name;
    double Left = 0;
    double Top = 0;
    // 0: the field is one line, as wide as its text. Otherwise the text
    // wraps inside this width and lines that do not fit the height are cut.
    double Width = 0;
    double Height = 0;
    QString Text;
    double PointSize = 10;
    bool Bold = false;
    QColor Color = Qt::black;
    bool AlignRight = false;       // text flush right inside the field
    bool AnchorRight = false;      // field placed against the band's right edge
    bool CenterVertically = false; // one line, centred in the field's height
    double RuleWidth = 0;          // thickness of a rule
};

struct TBand
{
    QString Name;
    double Height = 0;
    QVector<TBandItem> Items;
};

// A field as it lands on the page: absolute rectangle and the lines of text
// that are printed, each with its top relative to the rectangle.
struct TPlacedItem
{
    TItemKind Kind = TItemKind::Text;
    QString Band;
    QString Name;
    QRectF Rect;
    QStringList Lines;
    QVector<double> LineTops;
    double PointSize = 10;
    bool Bold = false;
    QColor Color = Qt::black;
    bool AlignRight = false;
    double RuleWidth = 0;
};

struct TPreparedPage
{
    int Number = 1;
    QVector<TPlacedItem> Items;

    // The first item with that name (and band, when given); nullptr if none.
    const TPlacedItem *Find(const QString &name, const QString &band = QString()) const;
    QVector<const TPlacedItem *> FindAll(const QString &name) const;
};

struct TPreparedReport
{
    TPageGeometry Geometry;
    QVector<TPreparedPage> Pages;
};

// Horizontal inset of text inside its field, and the top inset of the first
// line: a field as wide as its text is the text plus both insets, so two such
// fields placed one behind the other read with a space between them.
constexpr double TextGapX = 2 * 25.4 / 96;
constexpr double TextGapY = 25.4 / 96;

// Arial, or Liberation Sans where Arial is missing (same metrics).
QFont ReportFont(double pointSize, bool bold);
double TextWidth(const QString &text, double pointSize, bool bold);
double LineHeight(double pointSize, bool bold);
// Line breaks of text inside a width (words, or anywhere for a long word).
QStringList WrapText(const QString &text, double width, double pointSize, bool bold);

class TBandLayoutEngine
{
public:
    using TPageFooter = std::function<TBand(int pageNumber)>;

    explicit TBandLayoutEngine(const TPageGeometry &geometry, TPageFooter pageFooter = {});

    void AddBand(const TBand &band);
    TPreparedReport Finish();

    // Places a band's fields with the band's top left corner at origin.
    static QVector<TPlacedItem> PlaceBand(const TBand &band, const QPointF &origin, double bandWidth);

private:
    void StartPage();
    void ClosePage();
    double FooterHeight() const;

    TPageGeometry FGeometry;
    TPageFooter FPageFooter;
    TPreparedReport FReport;
    double FCursor = 0;
    bool FPageOpen = false;
};

// Paints one page; painter coordinates are device pixels whose origin is the
// paper's top left corner, dotsPerMm the device's resolution.
void PaintPage(QPainter &painter, const TPreparedPage &page, double dotsPerMm);

// Paints all pages on a printer or PDF writer, one device page each. Raises
// Exception when painting cannot begin.
void PaintReport(QPagedPaintDevice &device, const TPreparedReport &report);

// Paper size and margins of a printer or PDF writer, in millimetres.
TPageGeometry GeometryOf(const QPagedPaintDevice &device);

} // namespace BandLayout
