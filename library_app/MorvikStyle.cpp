#include "MorvikStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

namespace MorvikStyle {

QFont Font(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString StyleSheet()
{
    // Touch-style: flat buttons, large hit areas, no platform chrome.
    return QStringLiteral(R"(
QWidget#MainForm { background: white; }
QToolButton { border: none; background: transparent; color: #353535; }
QToolButton:pressed { background: rgba(0, 0, 0, 24); }
QToolButton[styleLookup="backtoolbutton"],
QToolButton[styleLookup="drawertoolbutton"],
QToolButton[styleLookup="cleareditbutton"] { color: white; font-size: 15px; }
QToolButton[styleLookup="backtoolbutton"]:pressed,
QToolButton[styleLookup="drawertoolbutton"]:pressed,
QToolButton[styleLookup="cleareditbutton"]:pressed { background: rgba(255, 255, 255, 48); }
QToolButton[styleLookup="pagebutton"] { color: #353535; font-size: 12px; padding-top: 6px; }
QToolButton[styleLookup="actionbutton"] {
  background: #6495ED; color: white; border-radius: 4px; font-size: 14px; }
QToolButton[styleLookup="actionbutton"]:pressed { background: #4a7bd6; }
QLabel { color: #353535; }
QLabel[styleLookup="bartitle"] { color: white; font-size: 16px; }
QLabel[styleLookup="heading"] { font-size: 16px; }
QLabel[styleLookup="message"] { font-size: 14px; }
QLineEdit[styleLookup="transparentedit"] {
  border: none; background: transparent; color: #353535; font-size: 14px; }
QLineEdit[styleLookup="editstyle"] {
  border: 1px solid #6495ED; border-radius: 3px; background: white; color: #353535;
  font-size: 14px; padding: 0 4px; }
QLineEdit[styleLookup="searchbox"] {
  border: 1px solid #c0c0c0; border-radius: 15px; background: #f4f4f4; color: #353535;
  font-size: 14px; padding: 0 12px; min-height: 30px; }
QLineEdit[styleLookup="searchbox"]:focus { border-color: #6495ED; background: white; }
QListView[styleLookup="listviewstyle"] { border: none; background: white; outline: none; }
QRadioButton { color: #353535; font-size: 14px; spacing: 10px; min-height: 40px; }
QRadioButton::indicator { width: 20px; height: 20px; border-radius: 11px;
  border: 1px solid #a0a0a0; background: white; }
QRadioButton::indicator:checked { border: 6px solid #6495ED; width: 10px; height: 10px; }
QSlider::groove:horizontal { height: 4px; background: #d8d8d8; border-radius: 2px; }
QSlider::sub-page:horizontal { background: #6495ED; border-radius: 2px; }
QSlider::handle:horizontal { width: 22px; height: 22px; margin: -9px 0; border-radius: 11px;
  background: white; border: 1px solid #a0a0a0; }
QSlider::handle:horizontal:pressed { background: #e8f0fd; border-color: #6495ED; }
QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }
QScrollBar::handle:vertical { background: rgba(0, 0, 0, 70); border-radius: 3px; min-height: 30px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
)");
}

void Apply(QWidget *window)
{
    window->setFont(Font());
    window->setStyleSheet(StyleSheet());
}

void SetStyleLookup(QWidget *widget, const QString &lookup)
{
    widget->setProperty("styleLookup", lookup);
    // Property selectors are matched at polish time only.
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

QString StyleLookup(const QWidget *widget)
{
    return widget->property("styleLookup").toString();
}

namespace {

template <typename Draw> QIcon DrawIcon(Draw draw, const QColor &AColour = Qt::white)
{
    QPixmap pixmap(48, 48);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(AColour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon BackIcon()
{
    return DrawIcon([](QPainter &p) {
        QPainterPath path;
        path.moveTo(15, 5);
        path.lineTo(8, 12);
        path.lineTo(15, 19);
        p.drawPath(path);
    });
}

QIcon DrawerIcon()
{
    return DrawIcon([](QPainter &p) {
        for (int y : {6, 12, 18})
            p.drawLine(QPointF(4, y), QPointF(20, y));
    });
}

QIcon ClearIcon()
{
    return DrawIcon([](QPainter &p) {
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
        p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
    });
}

QIcon SearchIcon()
{
    return DrawIcon(
        [](QPainter &p) {
            p.drawEllipse(QPointF(10.5, 10.5), 5.5, 5.5);
            p.drawLine(QPointF(14.5, 14.5), QPointF(19, 19));
        },
        QColor(0x90, 0x90, 0x90));
}

} // namespace MorvikStyle
