#include "FMX.QUVEditRectangle.h"

TQUVEditRectangle::TQUVEditRectangle(QWidget *AOwner) : TQUVRectangle(AOwner)
{
}
