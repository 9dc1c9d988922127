#pragma once

// A log target for tests that records every line the process-wide Logger
// hands it. RAII: registers itself on construction, unregisters on
// destruction.
//
//   LogCapture log;
//   dataModule.AddBook(file);
//   QVERIFY(log.Contains("Exception Class: Exception - AddBook"));
//   QCOMPARE(log.PayLoads().last(), "-Exit method AddBook of class TMorvikDataModule - AddBook");

#include "QUV.Log.Targets.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// One recorded line.
struct TCapturedLine
{
    TLogLevel Level;
    QString Header;  // "[sender|time>LEVEL     ] "
    QString Indent;  // the target's indentation, one space per open bracket
    QString PayLoad; // the text without header and indentation
    QString Line() const { return Header + Indent + PayLoad; }
};

class TCaptureLogTarget : public TLogTarget
{
public:
    TCaptureLogTarget(const QString &ACode, const QString &AName);
    void DoWriteMessage(const ILogMessagePtr &AMessage) override;
    void Flush() override { ++FFlushCount; }

    QList<TCapturedLine> Captured;
    int FFlushCount = 0;
};

class LogCapture
{
public:
    // Registers under ACode, or under a fresh "CAPTURE<n>" code when empty.
    explicit LogCapture(const QString &ACode = QString(), TLogLevels ALevels = TLogLevels::All());
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QList<TCapturedLine> &Captured() const { return FTarget->Captured; }
    QStringList Lines() const;    // full lines, header included
    QStringList PayLoads() const; // payloads only
    QStringList IndentedPayLoads() const; // indentation + payload
    QStringList PayLoads(TLogLevel ALevel) const; // payloads at one level
    QList<TLogLevel> Levels() const;
    int Count() const { return static_cast<int>(FTarget->Captured.size()); }
    // Whether any payload contains AText.
    bool Contains(const QString &AText) const;
    // Whether any payload at ALevel contains AText.
    bool Contains(TLogLevel ALevel, const QString &AText) const;
    // Number of Flush calls the logger made on this target.
    int FlushCount() const { return FTarget->FFlushCount; }
    void Clear();

    QString Code() const { return FTarget->Code(); }
    const std::shared_ptr<TCaptureLogTarget> &Target() const { return FTarget; }

private:
    std::shared_ptr<TCaptureLogTarget> FTarget;
};
