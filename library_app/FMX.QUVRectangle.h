#pragma once

#include "TouchControls.h"

#include <QFont>
#include <QMargins>

class QHBoxLayout;
class QLabel;

// Marks the captioned strips; it has no operations of its own.
class IQUVRectangle
{
public:
    virtual ~IQUVRectangle() = default;
};

// A white horizontal strip with a thin silver line at the bottom and a
// caption at its left; the strip's control sits to the right of the caption.
class TQUVRectangle : public TRectangle, public IQUVRectangle
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(qreal CaptionWidth READ CaptionWidth WRITE SetCaptionWidth)

public:
    explicit TQUVRectangle(QWidget *AOwner = nullptr);

    QString Caption() const;
    void SetCaption(const QString &Value);
    QFont CaptionFont() const;
    QLabel *CaptionLabel() const { return FLabel; }
    qreal CaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(qreal Value);

    // Puts the strip's control right of the caption, filling the rest of
    // the strip inside AMargins.
    void AddControl(QWidget *AControl, const QMargins &AMargins = QMargins());

protected:
    QLabel *FLabel;
    qreal FCaptionWidth = 100;
    QHBoxLayout *FLayout;
};
