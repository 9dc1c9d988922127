#pragma once

#include "AbstractContentFrameUnit.h"

// The reports page of the main window.
class TReportsFrame : public TAbstractContentFrame
{
    Q_OBJECT
public:
    explicit TReportsFrame(QWidget *AOwner = nullptr);
};
