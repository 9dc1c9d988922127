#include "ReportsFrameUnit.h"

TReportsFrame::TReportsFrame(QWidget *AOwner) : TAbstractContentFrame(AOwner)
{
}
