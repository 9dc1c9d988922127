#include "SettingsFrameUnit.h"

TSettingsFrame::TSettingsFrame(QWidget *AOwner) : TAbstractContentFrame(AOwner)
{
}
