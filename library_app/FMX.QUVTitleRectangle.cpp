#include "FMX.QUVTitleRectangle.h"

#include <QHBoxLayout>
#include <QLabel>

TQUVTitleRectangle::TQUVTitleRectangle(QWidget *AOwner) : TQUVRectangle(AOwner)
{
    FLabel->setMinimumWidth(0);
    FLabel->setMaximumWidth(QWIDGETSIZE_MAX);
    FLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    FLayout->setStretchFactor(FLabel, 1);
    FLabel->setAlignment(Qt::AlignCenter);
    FLabel->setText(QStringLiteral("Title"));
    QFont font = FLabel->font();
    font.setPixelSize(16);
    FLabel->setFont(font);
}
