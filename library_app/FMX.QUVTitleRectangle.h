#pragma once

#include "FMX.QUVRectangle.h"

// A title strip: the caption fills it, centred and large.
class TQUVTitleRectangle : public TQUVRectangle
{
    Q_OBJECT
public:
    explicit TQUVTitleRectangle(QWidget *AOwner = nullptr);
};
