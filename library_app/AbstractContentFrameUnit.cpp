#include "AbstractContentFrameUnit.h"

TAbstractContentFrame::TAbstractContentFrame(QWidget *AOwner) : QWidget(AOwner)
{
    resize(300, 464);
}

void TAbstractContentFrame::ReceiveFocus()
{
    DoReceiveFocus();
    emit FocusReceived();
}

void TAbstractContentFrame::DoReceiveFocus()
{
}
