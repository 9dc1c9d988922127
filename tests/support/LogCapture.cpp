#include "LogCapture.h"

TCaptureLogTarget::TCaptureLogTarget(const QString &ACode, const QString &AName)
    : TLogTarget(ACode, AName)
{
}

void TCaptureLogTarget::DoWriteMessage(const ILogMessagePtr &AMessage)
{
    const QString line = FormatLine(AMessage->Header(), AMessage->PayLoad());
    const QString header = AMessage->Header();
    const QString indent = line.mid(header.size(), line.size() - header.size() - AMessage->PayLoad().size());
    Captured.append(TCapturedLine{AMessage->Level(), header, indent, AMessage->PayLoad()});
}

LogCapture::LogCapture(const QString &ACode, TLogLevels ALevels)
{
    static int counter = 0;
    QString code = ACode;
    if (code.isEmpty()) {
        do
            code = QStringLiteral("CAPTURE%1").arg(++counter);
        while (Logger->TargetExists(code));
    }
    FTarget = std::make_shared<TCaptureLogTarget>(code, QString());
    FTarget->SetEnabledLogLevels(ALevels);
    Logger->AddLogTarget(FTarget);
}

LogCapture::~LogCapture()
{
    Logger->RemoveLogTarget(FTarget->Code());
}

QStringList LogCapture::Lines() const
{
    QStringList result;
    for (const TCapturedLine &line : FTarget->Captured)
        result << line.Line();
    return result;
}

QStringList LogCapture::PayLoads() const
{
    QStringList result;
    for (const TCapturedLine &line : FTarget->Captured)
        result << line.PayLoad;
    return result;
}

QStringList LogCapture::IndentedPayLoads() const
{
    QStringList result;
    for (const TCapturedLine &line : FTarget->Captured)
        result << line.Indent + line.PayLoad;
    return result;
}

QStringList LogCapture::PayLoads(TLogLevel ALevel) const
{
    QStringList result;
    for (const TCapturedLine &line : FTarget->Captured)
        if (line.Level == ALevel)
            result << line.PayLoad;
    return result;
}

QList<TLogLevel> LogCapture::Levels() const
{
    QList<TLogLevel> result;
    for (const TCapturedLine &line : FTarget->Captured)
        result << line.Level;
    return result;
}

bool LogCapture::Contains(const QString &AText) const
{
    for (const TCapturedLine &line : FTarget->Captured)
        if (line.PayLoad.contains(AText))
            return true;
    return false;
}

bool LogCapture::Contains(TLogLevel ALevel, const QString &AText) const
{
    for (const TCapturedLine &line : FTarget->Captured)
        if (line.Level == ALevel && line.PayLoad.contains(AText))
            return true;
    return false;
}

void LogCapture::Clear()
{
    FTarget->Captured.clear();
    FTarget->FFlushCount = 0;
}
