#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

class QWidget;

// The one place that decides how MorvikLibrary looks: colours, fonts, icons
// and the style sheet of the whole window. Widgets pick a look by name
// through SetStyleLookup, as the pages' forms name their styles.
namespace MorvikStyle {

inline const QColor White{0xFF, 0xFF, 0xFF};
inline const QColor Silver{0xC0, 0xC0, 0xC0};
inline const QColor DarkOrange{0xFF, 0x8C, 0x00};
inline const QColor CornflowerBlue{0x64, 0x95, 0xED};
inline const QColor ItemText{0x35, 0x35, 0x35};
inline const QColor Pressed{0xE8, 0xF0, 0xFD};

// Sizes are logical pixels, as the layout tables give them.
QFont Font(int pixelSize = 13, bool bold = false);

QString StyleSheet();

// Sets the window's font and style sheet; everything inside inherits them.
void Apply(QWidget *window);

// Names the look of a widget ("transparentedit", "editstyle",
// "listviewstyle", ...) and makes the style sheet see the change at once.
void SetStyleLookup(QWidget *widget, const QString &lookup);
QString StyleLookup(const QWidget *widget);

// Title-bar icons, drawn in white for the dark orange bars.
QIcon BackIcon();
QIcon DrawerIcon();
QIcon ClearIcon();
// The search box's magnifier, in grey.
QIcon SearchIcon();

} // namespace MorvikStyle
