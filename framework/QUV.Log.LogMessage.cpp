#include "QUV.Log.LogMessage.h"

QString LogLevelName(TLogLevel ALevel)
{
    switch (ALevel) {
    case TLogLevel::Error: return QStringLiteral("ERROR");
    case TLogLevel::Exception: return QStringLiteral("EXCEPTION");
    case TLogLevel::Warning: return QStringLiteral("WARNING");
    case TLogLevel::Information: return QStringLiteral("INFO");
    case TLogLevel::EnterMethod: return QStringLiteral("ENTER");
    case TLogLevel::ExitMethod: return QStringLiteral("EXIT");
    case TLogLevel::Separator: return QStringLiteral("SEPARATOR");
    case TLogLevel::LogInternalError: return QStringLiteral("LOGINTERNAL");
    case TLogLevel::Debug: return QStringLiteral("DEBUG");
    }
    return QString();
}

TLogMessage::TLogMessage(TLogLevel ALevel, QString AHeader, QString APayLoad)
    : FLevel(ALevel), FHeader(std::move(AHeader)), FPayLoad(std::move(APayLoad))
{
}
