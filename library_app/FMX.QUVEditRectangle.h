#pragma once

#include "FMX.QUVRectangle.h"

// A captioned strip holding an edit (or a switch, or a button).
class TQUVEditRectangle : public TQUVRectangle
{
    Q_OBJECT
public:
    explicit TQUVEditRectangle(QWidget *AOwner = nullptr);
};
