#pragma once

#include "AbstractContentFrameUnit.h"

// The settings page of the main window.
class TSettingsFrame : public TAbstractContentFrame
{
    Q_OBJECT
public:
    explicit TSettingsFrame(QWidget *AOwner = nullptr);
};
