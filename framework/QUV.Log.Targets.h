#pragma once

// Unit QUV.Log.Targets: the log targets.
//
// Linux layer: the debug-output target writes the line and a newline to
// stderr; the event-log target writes to syslog(3) with the event source as
// ident; the default log folder is QStandardPaths::DocumentsLocation/QUVLogger.

#include "QUV.Log.h"

#include <QString>

#include <memory>

class QFile;

class TLogTarget : public ILogTarget
{
public:
    TLogTarget(const QString &ACode, const QString &AName);
    ~TLogTarget() override;

    void SetActive(bool AValue) override { FActive = AValue; }
    void SetEnabledLogLevels(TLogLevels AValue) override { FEnabledLogLevels = AValue; }
    void SetSenderName(const QString &AValue) override { FSenderName = AValue; }
    bool Active() const override { return FActive; }
    QString SenderName() const override { return FSenderName; }
    QString Code() const override { return FCode; }
    TLogLevels EnabledLogLevels() const override { return FEnabledLogLevels; }

    // Keeps the indentation: an enter line raises it after writing, an exit
    // line lowers it (never below 0) before writing.
    void WriteMessage(const ILogMessagePtr &AMessage) override;
    // Writes nothing in the base class.
    void DoWriteMessage(const ILogMessagePtr &AMessage) override;
    // "[%s|%s>%s] ": sender name, local time yyyy-MM-ddTHH:mm:ss.zzzZ, level
    // name padded or cut to 10 characters.
    QString FormatHeader(TLogLevel ALevel) const override;
    QString FormatLine(const QString &AHeader, const QString &APayLoad) const override;
    void Flush() override;

    int CurrentIndent() const { return FCurrentIndent; }

private:
    bool FActive = true;
    QString FSenderName;
    QString FCode;
    int FCurrentIndent = 0;
    TLogLevels FEnabledLogLevels = TLogLevels::All();
};

// A UTF-8 text file; byte-order mark only on an empty file; appends.
class TFileLogTarget : public TLogTarget
{
public:
    TFileLogTarget(const QString &ACode, const QString &AFileName);
    ~TFileLogTarget() override;

    void DoWriteMessage(const ILogMessagePtr &AMessage) override;
    void Flush() override;

    QString CompleteFileName() const { return FCompleteFileName; }
    bool UseCircularLogs() const { return FUseCircularLogs; }
    void SetUseCircularLogs(bool AValue) { FUseCircularLogs = AValue; }
    int MaxPartSizeInMBytes() const { return FMaxPartSizeInMBytes; }
    void SetMaxPartSizeInMBytes(int AValue) { FMaxPartSizeInMBytes = AValue; }
    int MaxParts() const { return FMaxParts; }
    void SetMaxParts(int AValue) { FMaxParts = AValue; }
    int MaxPartAgeInDays() const { return FMaxPartAgeInDays; }
    void SetMaxPartAgeInDays(int AValue) { FMaxPartAgeInDays = AValue; }

    bool IsFileOpen() const;
    // QStandardPaths::DocumentsLocation joined with "QUVLogger".
    static QString DefaultLogFolder();

private:
    void OpenLogFile(const QString &AFileName);
    void EnsureLogFolder();
    void RotateIfTooLarge();
    void CloseLogFile();

    QString FFileName;
    QString FCompleteFileName;
    std::unique_ptr<QFile> FOutputStream;
    int FMaxPartSizeInMBytes = 4194304;
    int FMaxParts = 0;
    int FMaxPartAgeInDays = 0;
    bool FUseCircularLogs = false;
};

// The debug-output channel: the line and a newline to stderr.
class TOutputDebugStringsLogTarget : public TLogTarget
{
public:
    using TLogTarget::TLogTarget;
    void DoWriteMessage(const ILogMessagePtr &AMessage) override;
};

// The event log: syslog(3) with the event source as ident.
class TEventLogTarget : public TLogTarget
{
public:
    TEventLogTarget(const QString &ACode, const QString &AName, bool ARegisterEventLog);
    ~TEventLogTarget() override;

    void DoWriteMessage(const ILogMessagePtr &AMessage) override;
    void RegisterTargetWithEventViewer();

    // The event source ("QUV.Logger" when no name was given).
    QString EventSource() const { return FEventSource; }
    // LOG_ERR, LOG_WARNING or LOG_INFO.
    static int EventType(TLogLevel ALevel);

private:
    QString FEventSource;
    QByteArray FIdent; // openlog keeps the pointer
};
