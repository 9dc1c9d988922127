#include "FMX.QUVRectangle.h"

#include "MorvikStyle.h"

#include <QHBoxLayout>
#include <QLabel>

TQUVRectangle::TQUVRectangle(QWidget *AOwner) : TRectangle(AOwner)
{
    FCaptionWidth = 100;

    // Aligned to the top of its parent: full width, its own height.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(50);
    SetFill(MorvikStyle::White);
    SetSides(sdBottom);
    SetStrokeThickness(0.3);
    SetStroke(MorvikStyle::Silver);

    FLayout = new QHBoxLayout(this);
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(0);
    FLayout->addSpacing(4); // the caption's left margin

    FLabel = new QLabel(QStringLiteral("Edit"), this);
    FLabel->setObjectName(QStringLiteral("CaptionLabel"));
    FLabel->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    FLabel->setFixedWidth(qRound(FCaptionWidth));
    // Clicks on the caption belong to the strip, not to the label.
    FLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    FLayout->addWidget(FLabel);
    // Keeps the caption at the left while the strip holds no control yet.
    FLayout->addStretch(0);
}

QString TQUVRectangle::Caption() const
{
    return FLabel->text();
}

void TQUVRectangle::SetCaption(const QString &Value)
{
    FLabel->setText(Value);
    update();
}

QFont TQUVRectangle::CaptionFont() const
{
    return FLabel->font();
}

void TQUVRectangle::SetCaptionWidth(qreal Value)
{
    if (qFuzzyCompare(FCaptionWidth, Value))
        return;
    FCaptionWidth = Value;
    // A caption width nobody can see change would be a trap: the label follows.
    FLabel->setFixedWidth(qRound(FCaptionWidth));
    update();
}

void TQUVRectangle::AddControl(QWidget *AControl, const QMargins &AMargins)
{
    // The control fills what the caption leaves, as a client-aligned one does.
    AControl->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *box = new QHBoxLayout;
    box->setContentsMargins(AMargins);
    box->addWidget(AControl);
    FLayout->addLayout(box, 1);
}
