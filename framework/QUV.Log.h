#pragma once

// Unit QUV.Log: the process-wide logger.
//
//   Logger->EnterMethod(this, "AddBook");  ...  Logger->ExitMethod("AddBook");
//   auto tracer = Logger->Trace(this, "AddBook");   // exit line when released
//   Logger->Send("Database", path);                 // Database=<path>
//   Logger->Send(TLogLevel::Warning, "Copies %d", QVariantList{copies});
//   catch (const std::exception &e) { Logger->Send(QStringLiteral("DatamoduleCreate"), e, false); }
//
// Interfaces are abstract classes held by std::shared_ptr (reference counted,
// freed with their last reference). Open arrays of constants are QVariantList;
// write them as QVariantList{a, b}: a bare {a} is ambiguous with the Variant
// overload.

#include "QUV.Log.LogMessage.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QVariantList>

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <typeinfo>

class ILog;
class ILogTarget;
class ILogCallstackItem;
class ITracer;
using ILogPtr = std::shared_ptr<ILog>;
using ILogTargetPtr = std::shared_ptr<ILogTarget>;
using ILogCallstackItemPtr = std::shared_ptr<ILogCallstackItem>;
using ITracerPtr = std::shared_ptr<ITracer>;

// Readable (demangled) name of a C++ type, "TBook" or "QUV::TRetry".
QString LogTypeName(const std::type_info &AType);

// The ACaller of EnterMethod and Trace: an object reference that may be nil.
// Made implicitly from a QObject pointer (class name from its meta-object; for
// a class without Q_OBJECT, whose meta-object is its base's, from its dynamic
// C++ type), from nullptr, or from a pointer to any other class (class name
// from its dynamic C++ type).
class TLogCaller
{
public:
    TLogCaller() noexcept = default;
    TLogCaller(std::nullptr_t) noexcept {}
    TLogCaller(const QObject *AObject);
    template <class T,
              std::enable_if_t<std::is_class_v<T> && !std::is_base_of_v<QObject, T>, int> = 0>
    TLogCaller(const T *AObject)
        : FObject(AObject)
    {
        if (AObject)
            FClassName = LogTypeName(typeid(*AObject));
    }

    bool Assigned() const noexcept { return FObject != nullptr; }
    const void *Object() const noexcept { return FObject; }
    const QString &ClassName() const noexcept { return FClassName; }

private:
    const void *FObject = nullptr;
    QString FClassName;
};

// One open enter bracket.
class ILogCallstackItem
{
public:
    virtual ~ILogCallstackItem() = default;
    virtual QString _MethodName() const = 0;
    virtual QString _ClassName() const = 0;
    virtual void Set_MethodName(const QString &AValue) = 0;
    virtual void Set_ClassName(const QString &AValue) = 0;
};

class TLogCallstackItem final : public ILogCallstackItem
{
public:
    TLogCallstackItem(QString AClassName, QString AMethodName)
        : FClassName(std::move(AClassName)), FMethodName(std::move(AMethodName)) {}
    QString _MethodName() const override { return FMethodName; }
    QString _ClassName() const override { return FClassName; }
    void Set_MethodName(const QString &AValue) override { FMethodName = AValue; }
    void Set_ClassName(const QString &AValue) override { FClassName = AValue; }

private:
    QString FClassName;
    QString FMethodName;
};

// Measures one traced scope; its release writes the exit line "(%d ms)".
class ITracer
{
public:
    virtual ~ITracer() = default;
    virtual qint64 CurrentDuration() const = 0;
};

// A log target (TLogTarget in QUV.Log.Targets.h).
class ILogTarget
{
public:
    virtual ~ILogTarget() = default;
    virtual void SetActive(bool AValue) = 0;
    virtual void SetEnabledLogLevels(TLogLevels AValue) = 0;
    virtual void SetSenderName(const QString &AValue) = 0;
    virtual bool Active() const = 0;
    virtual QString SenderName() const = 0;
    virtual QString Code() const = 0;
    virtual TLogLevels EnabledLogLevels() const = 0;
    virtual void WriteMessage(const ILogMessagePtr &AMessage) = 0;
    virtual void DoWriteMessage(const ILogMessagePtr &AMessage) = 0;
    virtual QString FormatHeader(TLogLevel ALevel) const = 0;
    virtual QString FormatLine(const QString &AHeader, const QString &APayLoad) const = 0;
    virtual void Flush() = 0;
};

class ILog
{
public:
    virtual ~ILog() = default;

    virtual void SetEnabled(bool AValue) = 0;
    // Raises Exception "QUV.Logger LogTarget %s not found" for an unknown code.
    virtual ILogTargetPtr _GetTarget(const QString &ACode) const = 0;
    ILogTargetPtr Target(const QString &ACode) const { return _GetTarget(ACode); }
    virtual bool Enabled() const = 0;
    virtual void SendToTargets(TLogLevel ALevel, const QString &APayLoad) = 0;
    // Raises Exception when the code is already registered; the old target stays.
    virtual void AddLogTarget(const ILogTargetPtr &ALogTarget) = 0;
    virtual void RemoveLogTarget(const QString &ATargetCode) = 0;
    virtual bool TargetExists(const QString &ATargetCode) const = 0;
    virtual void AddFileTarget(const QString &ACode, const QString &AFileName) = 0;
    virtual void AddDebugStringsTarget(const QString &AName) = 0;
    virtual void AddEventViewerTarget(const QString &ACode, const QString &AName, bool ARegisterEventLog) = 0;
    virtual void PopCallstackItem(ILogCallstackItemPtr &AItem) = 0;
    // Enter line now, exit line with the duration when the result is released
    // (also during stack unwinding). Nil while the logger is disabled.
    [[nodiscard]] virtual ITracerPtr Trace(const TLogCaller &ACaller, const QString &AMessage) = 0;
    virtual void EnterMethod(const TLogCaller &ACaller, const QString &AMessage) = 0;
    virtual void EnterMethod(const TLogCaller &ACaller) = 0;
    virtual void ExitMethod(const QString &AMessage) = 0;
    virtual void ExitMethod() = 0;
    virtual void Block(const TLogCaller &ACaller, const QString &AMessage, const std::function<void()> &AProc) = 0;

    // The nine Send overloads (slots 18 to 26).
    virtual void Send(TLogLevel ALevel, const QString &AMessage, const QString &AValue, const QVariantList &AParams) = 0;
    virtual void Send(TLogLevel ALevel, const QString &AMessage, const QVariantList &AParams) = 0;
    virtual void Send(TLogLevel ALevel, const QString &AMessage, const QVariant &AValue) = 0;
    virtual void Send(TLogLevel ALevel, const QString &AMessage) = 0;
    virtual void Send(const QString &AMessage, const QVariantList &AParams) = 0;
    virtual void Send(const QString &AMessage, const QVariant &AValue) = 0;
    virtual void Send(const QString &AMessage, const QUuid &AValue) = 0;
    virtual void Send(const QString &AMessage) = 0;
    // "Exception Class: %s - %s (%s)" at level Exception; the class name is
    // Exception::ClassName() for our exceptions, else the demangled C++ type.
    // With AReraiseException the same exception object is raised again when
    // this is called inside the handler that caught it; called elsewhere it
    // raises a copy (an Exception sliced to Exception, any other exception as
    // std::runtime_error with the same what()).
    virtual void Send(const QString &AMessage, const std::exception &AException, bool AReraiseException) = 0;

    // Integers of any width (size(), qsizetype, long) as Variant values.
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    void Send(const QString &AMessage, T AValue) { Send(AMessage, IntegerVariant(AValue)); }
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    void Send(TLogLevel ALevel, const QString &AMessage, T AValue) { Send(ALevel, AMessage, IntegerVariant(AValue)); }

    virtual void SendSeparator(const QString &ASeparatorTag) = 0;
    virtual void FlushAllWrites() = 0;
    virtual int TargetCount() const = 0;

    // Number of open enter brackets (not in the original interface).
    virtual int CallStackDepth() const = 0;

protected:
    template <class T>
    static QVariant IntegerVariant(T AValue)
    {
        if constexpr (std::is_signed_v<T>)
            return QVariant(static_cast<qlonglong>(AValue));
        else
            return QVariant(static_cast<qulonglong>(AValue));
    }
};

// The one process-wide logger of each program.
//
// Lifetime: a Nifty counter (as std::cout uses). Every translation unit that
// includes this header gets a static TLoggerInitializer defined before any of
// its own statics; the first one constructed creates the logger and registers
// "DEBUGSTR", the last one destroyed (after every static of every unit that
// includes this header) destroys it, which writes "Logger has been closed
// down.". So Logger works from the first static initialiser to the last static
// destructor whatever the link order, and the closing line is the last line.
// After that, Logger answers with a disabled logger that does nothing.
class TGlobalLogger
{
public:
    ILog *operator->() const;
    ILog &operator*() const;
    ILogPtr Get() const;
    operator ILogPtr() const { return Get(); }
};
inline constexpr TGlobalLogger Logger{};

namespace QUV::LogDetail {
struct TLoggerInitializer
{
    TLoggerInitializer();
    ~TLoggerInitializer();
    TLoggerInitializer(const TLoggerInitializer &) = delete;
    TLoggerInitializer &operator=(const TLoggerInitializer &) = delete;
};
static TLoggerInitializer LoggerInitializer; // one per translation unit, on purpose
} // namespace QUV::LogDetail

// The logger class. Only the unit itself makes the process-wide one; tests
// may make their own.
class TLog final : public ILog, public std::enable_shared_from_this<TLog>
{
public:
    TLog();
    ~TLog() override;

    using ILog::Send;

    void SetEnabled(bool AValue) override;
    ILogTargetPtr _GetTarget(const QString &ACode) const override;
    bool Enabled() const override;
    void SendToTargets(TLogLevel ALevel, const QString &APayLoad) override;
    void AddLogTarget(const ILogTargetPtr &ALogTarget) override;
    void RemoveLogTarget(const QString &ATargetCode) override;
    bool TargetExists(const QString &ATargetCode) const override;
    void AddFileTarget(const QString &ACode, const QString &AFileName) override;
    void AddDebugStringsTarget(const QString &AName) override;
    void AddEventViewerTarget(const QString &ACode, const QString &AName, bool ARegisterEventLog) override;
    void PopCallstackItem(ILogCallstackItemPtr &AItem) override;
    [[nodiscard]] ITracerPtr Trace(const TLogCaller &ACaller, const QString &AMessage) override;
    void EnterMethod(const TLogCaller &ACaller, const QString &AMessage) override;
    void EnterMethod(const TLogCaller &ACaller) override;
    void ExitMethod(const QString &AMessage) override;
    void ExitMethod() override;
    void Block(const TLogCaller &ACaller, const QString &AMessage, const std::function<void()> &AProc) override;
    void Send(TLogLevel ALevel, const QString &AMessage, const QString &AValue, const QVariantList &AParams) override;
    void Send(TLogLevel ALevel, const QString &AMessage, const QVariantList &AParams) override;
    void Send(TLogLevel ALevel, const QString &AMessage, const QVariant &AValue) override;
    void Send(TLogLevel ALevel, const QString &AMessage) override;
    void Send(const QString &AMessage, const QVariantList &AParams) override;
    void Send(const QString &AMessage, const QVariant &AValue) override;
    void Send(const QString &AMessage, const QUuid &AValue) override;
    void Send(const QString &AMessage) override;
    void Send(const QString &AMessage, const std::exception &AException, bool AReraiseException) override;
    void SendSeparator(const QString &ASeparatorTag) override;
    void FlushAllWrites() override;
    int TargetCount() const override;
    int CallStackDepth() const override;

private:
    struct TPrivate;
    std::unique_ptr<TPrivate> d;
};

class TTracer final : public ITracer
{
public:
    TTracer(const TLogCaller &ACaller, ILogPtr ALogger);
    explicit TTracer(const TLogCaller &ACaller);
    ~TTracer() override;
    qint64 CurrentDuration() const override;

private:
    ILogPtr FLogger;
    QDateTime FStarted;
    TLogCaller FCaller;
};

namespace QUV {
// Variant to text as the logger writes it (Send slot 20): Null and invalid
// give "", booleans "True"/"False", floating point with the regional decimal
// comma, date-times in the regional short date and long time, GUIDs in the
// registry form.
QString LogVariantToString(const QVariant &AValue);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
QString GuidToString(const QUuid &AValue);
} // namespace QUV
