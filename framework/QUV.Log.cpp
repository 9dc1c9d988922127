#include "QUV.Log.h"

#include "QUV.Format.h"
#include "QUV.Log.Targets.h"
#include "QUV.Types.h"

#include <QDate>
#include <QTime>

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <new>
#include <vector>

namespace {

// Delphi's Trim: spaces and control characters (<= U+0020) at both ends.
QString TrimText(const QString &AText)
{
    qsizetype first = 0;
    qsizetype last = AText.size();
    while (first < last && AText.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && AText.at(last - 1).unicode() <= 0x20)
        --last;
    return AText.mid(first, last - first);
}

bool Blank(const QString &AText)
{
    return TrimText(AText).isEmpty();
}

// The class name of an exception as the exception lines write it.
QString ExceptionClassName(const std::exception &AException)
{
    if (auto *own = dynamic_cast<const Exception *>(&AException))
        return own->ClassName();
    return LogTypeName(typeid(AException));
}

QString ExceptionMessage(const std::exception &AException)
{
    if (auto *own = dynamic_cast<const Exception *>(&AException))
        return own->Message();
    return QString::fromUtf8(AException.what());
}

// Raises AException again: the very object when it is the exception being
// handled (we are inside its catch block), else a copy of it.
[[noreturn]] void Reraise(const std::exception &AException)
{
    if (std::exception_ptr current = std::current_exception()) {
        bool same = false;
        try {
            std::rethrow_exception(current);
        } catch (const std::exception &handled) {
            same = (&handled == &AException);
        } catch (...) {
        }
        if (same)
            std::rethrow_exception(current);
    }
    if (auto *own = dynamic_cast<const Exception *>(&AException))
        throw *own;
    throw std::runtime_error(AException.what());
}

} // namespace

QString LogTypeName(const std::type_info &AType)
{
    int status = 0;
    char *demangled = abi::__cxa_demangle(AType.name(), nullptr, nullptr, &status);
    QString result = (status == 0 && demangled) ? QString::fromLatin1(demangled)
                                                : QString::fromLatin1(AType.name());
    std::free(demangled);
    return result;
}

TLogCaller::TLogCaller(const QObject *AObject)
    : FObject(AObject)
{
    if (!AObject)
        return;
    FClassName = QString::fromLatin1(AObject->metaObject()->className());
    // A class without Q_OBJECT shows its base's meta-object; its C++ type
    // names it correctly.
    const QString typeName = LogTypeName(typeid(*AObject));
    if (typeName != FClassName && !typeName.endsWith(QStringLiteral("::") + FClassName))
        FClassName = typeName;
}

namespace QUV {

QString GuidToString(const QUuid &AValue)
{
    return AValue.toString(QUuid::WithBraces).toUpper();
}

QString LogVariantToString(const QVariant &AValue)
{
    if (!AValue.isValid() || AValue.isNull())
        return QString();
    switch (AValue.typeId()) {
    case QMetaType::Bool:
        return AValue.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(AValue.toDouble());
    case QMetaType::QDate:
        return FormatShortDate(AValue.toDate());
    case QMetaType::QTime:
        return FormatLongTime(AValue.toTime());
    case QMetaType::QDateTime: {
        const QDateTime value = AValue.toDateTime();
        // As DateTimeToStr: the time is left out at midnight.
        if (value.time() == QTime(0, 0))
            return FormatShortDate(value.date());
        return FormatShortDate(value.date()) + QLatin1Char(' ') + FormatLongTime(value.time());
    }
    case QMetaType::QUuid:
        return GuidToString(AValue.toUuid());
    case QMetaType::QByteArray:
        return QString::fromUtf8(AValue.toByteArray());
    case QMetaType::QStringList:
        return AValue.toStringList().join(QLatin1Char(','));
    default:
        return AValue.toString();
    }
}

} // namespace QUV

// ---------------------------------------------------------------- TLog

struct TLog::TPrivate
{
    // Registry: code -> target. std::map is the "dictionary order" here
    // (sorted by code).
    std::map<QString, ILogTargetPtr> FLogTargets;
    std::vector<ILogCallstackItemPtr> FCallStack;
    bool FEnabled = true;
    // One recursive mutex keeps a stray log call from
    // a pool thread from corrupting the stack or a file (targets log through
    // Logger from inside a write, hence recursive).
    mutable std::recursive_mutex FLock;
};

TLog::TLog()
    : d(std::make_unique<TPrivate>())
{
}

TLog::~TLog()
{
    try {
        Send(TLogLevel::Information, QStringLiteral("Logger has been closed down."));
    } catch (...) {
        // A destructor cannot raise; the closing line is lost.
    }
    d->FCallStack.clear();
    d->FLogTargets.clear();
}

void TLog::SetEnabled(bool AValue)
{
    {
        std::lock_guard<std::recursive_mutex> lock(d->FLock);
        if (d->FEnabled == AValue)
            return;
        d->FEnabled = AValue;
    }
    FlushAllWrites();
}

bool TLog::Enabled() const
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    return d->FEnabled;
}

ILogTargetPtr TLog::_GetTarget(const QString &ACode) const
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    auto it = d->FLogTargets.find(ACode);
    if (it == d->FLogTargets.end())
        throw Exception(QUV::Format(QStringLiteral("QUV.Logger LogTarget %s not found"), {ACode}));
    return it->second;
}

void TLog::SendToTargets(TLogLevel ALevel, const QString &APayLoad)
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    // A copy, so a target may add or remove targets while being written to.
    const auto targets = d->FLogTargets;
    for (const auto &pair : targets) {
        const ILogTargetPtr &target = pair.second;
        if (!target->EnabledLogLevels().Contains(ALevel))
            continue;
        const QString header = target->FormatHeader(ALevel);
        target->WriteMessage(std::make_shared<TLogMessage>(ALevel, header, APayLoad));
    }
    if (static_cast<int>(ALevel) < 2)
        FlushAllWrites();
}

void TLog::AddLogTarget(const ILogTargetPtr &ALogTarget)
{
    if (!ALogTarget)
        throw Exception(QStringLiteral("QUV.Logger AddLogTarget: no target"));
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    const QString code = ALogTarget->Code();
    if (d->FLogTargets.count(code) != 0)
        throw Exception(QStringLiteral("Duplicates not allowed"));
    d->FLogTargets.emplace(code, ALogTarget);
}

void TLog::RemoveLogTarget(const QString &ATargetCode)
{
    ILogTargetPtr removed; // released after the lock
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    auto it = d->FLogTargets.find(ATargetCode);
    if (it != d->FLogTargets.end()) {
        removed = it->second;
        d->FLogTargets.erase(it);
    }
}

bool TLog::TargetExists(const QString &ATargetCode) const
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    return d->FLogTargets.count(ATargetCode) != 0;
}

void TLog::AddFileTarget(const QString &ACode, const QString &AFileName)
{
    AddLogTarget(std::make_shared<TFileLogTarget>(ACode, AFileName));
}

void TLog::AddDebugStringsTarget(const QString &AName)
{
    AddLogTarget(std::make_shared<TOutputDebugStringsLogTarget>(AName, QString()));
}

void TLog::AddEventViewerTarget(const QString &ACode, const QString &AName, bool ARegisterEventLog)
{
    AddLogTarget(std::make_shared<TEventLogTarget>(ACode, AName, ARegisterEventLog));
}

void TLog::PopCallstackItem(ILogCallstackItemPtr &AItem)
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    if (d->FCallStack.empty()) {
        Send(TLogLevel::Warning, QStringLiteral("Logger CallStack unbalanced"));
        AItem.reset();
        return;
    }
    AItem = d->FCallStack.back();
    d->FCallStack.pop_back();
}

ITracerPtr TLog::Trace(const TLogCaller &ACaller, const QString &AMessage)
{
    if (!Enabled())
        return nullptr;
    EnterMethod(ACaller, AMessage);
    ILogPtr self = weak_from_this().lock();
    return std::make_shared<TTracer>(ACaller, self ? self : Logger.Get());
}

void TLog::EnterMethod(const TLogCaller &ACaller, const QString &AMessage)
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    if (!d->FEnabled)
        return;
    const QString className = ACaller.Assigned() ? ACaller.ClassName() : QString();
    d->FCallStack.push_back(std::make_shared<TLogCallstackItem>(className, AMessage));
    QString text = QStringLiteral("+Enter method");
    if (!Blank(AMessage))
        text += QLatin1Char(' ') + AMessage;
    if (ACaller.Assigned())
        text += QStringLiteral(" of class ") + className;
    SendToTargets(TLogLevel::EnterMethod, TrimText(text));
}

void TLog::EnterMethod(const TLogCaller &ACaller)
{
    EnterMethod(ACaller, QString());
}

void TLog::ExitMethod(const QString &AMessage)
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    if (!d->FEnabled)
        return;
    ILogCallstackItemPtr item;
    PopCallstackItem(item);
    QString text = QStringLiteral("-Exit method ")
                   + (item ? item->_MethodName() : QStringLiteral("Unknown Method Name"));
    if (item && !Blank(item->_ClassName()))
        text += QStringLiteral(" of class ") + item->_ClassName();
    if (!Blank(AMessage))
        text += QStringLiteral(" - ") + AMessage;
    SendToTargets(TLogLevel::ExitMethod, TrimText(text));
}

void TLog::ExitMethod()
{
    ExitMethod(QString());
}

void TLog::Block(const TLogCaller &ACaller, const QString &AMessage, const std::function<void()> &AProc)
{
    EnterMethod(ACaller, AMessage);
    struct TExit
    {
        TLog *log;
        const QString &message;
        ~TExit() noexcept(false)
        {
            // During unwinding a failing exit line must not terminate.
            if (std::uncaught_exceptions() > 0) {
                try {
                    log->ExitMethod(message);
                } catch (...) {
                }
            } else {
                log->ExitMethod(message);
            }
        }
    } exitLine{this, AMessage};
    try {
        if (AProc)
            AProc();
    } catch (const std::exception &e) {
        Send(QStringLiteral("Failed in log block"), e, false);
        throw;
    }
}

void TLog::Send(TLogLevel ALevel, const QString &AMessage, const QString &AValue, const QVariantList &AParams)
{
    if (!Enabled())
        return;
    QString text = AMessage;
    if (!Blank(AValue))
        text += QLatin1Char('=');
    text += AValue;
    // Formatted before anything is written: a mismatch raises and writes nothing.
    SendToTargets(ALevel, QUV::Format(text, AParams));
}

void TLog::Send(TLogLevel ALevel, const QString &AMessage, const QVariantList &AParams)
{
    Send(ALevel, AMessage, QString(), AParams);
}

void TLog::Send(TLogLevel ALevel, const QString &AMessage, const QVariant &AValue)
{
    if (!Enabled())
        return;
    SendToTargets(ALevel, AMessage + QLatin1Char('=') + QUV::LogVariantToString(AValue));
}

void TLog::Send(TLogLevel ALevel, const QString &AMessage)
{
    if (!Enabled())
        return;
    SendToTargets(ALevel, AMessage);
}

void TLog::Send(const QString &AMessage, const QVariantList &AParams)
{
    Send(TLogLevel::Information, AMessage, AParams);
}

void TLog::Send(const QString &AMessage, const QVariant &AValue)
{
    Send(TLogLevel::Information, AMessage, AValue);
}

void TLog::Send(const QString &AMessage, const QUuid &AValue)
{
    Send(TLogLevel::Information, AMessage, QVariant(QUV::GuidToString(AValue)));
}

void TLog::Send(const QString &AMessage)
{
    Send(TLogLevel::Information, AMessage);
}

void TLog::Send(const QString &AMessage, const std::exception &AException, bool AReraiseException)
{
    if (!Enabled())
        return;
    SendToTargets(TLogLevel::Exception,
                  QStringLiteral("Exception Class: ") + ExceptionClassName(AException) + QStringLiteral(" - ")
                      + AMessage + QStringLiteral(" (") + ExceptionMessage(AException) + QLatin1Char(')'));
    if (AReraiseException)
        Reraise(AException);
}

void TLog::SendSeparator(const QString &ASeparatorTag)
{
    if (!Enabled())
        return;
    QString text;
    if (Blank(ASeparatorTag))
        text = QString(120, QLatin1Char('-'));
    else
        text = QString(qMax<qsizetype>(0, 119 - ASeparatorTag.size()), QLatin1Char('-')) + QLatin1Char(' ')
               + ASeparatorTag;
    SendToTargets(TLogLevel::Separator, TrimText(text));
}

void TLog::FlushAllWrites()
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    const auto targets = d->FLogTargets;
    for (const auto &pair : targets)
        pair.second->Flush();
}

int TLog::TargetCount() const
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    return static_cast<int>(d->FLogTargets.size());
}

int TLog::CallStackDepth() const
{
    std::lock_guard<std::recursive_mutex> lock(d->FLock);
    return static_cast<int>(d->FCallStack.size());
}

// ---------------------------------------------------------------- TTracer

TTracer::TTracer(const TLogCaller &ACaller, ILogPtr ALogger)
    : FLogger(ALogger ? std::move(ALogger) : Logger.Get()), FStarted(QUV::CurrentDateTime()), FCaller(ACaller)
{
    // The closing line goes to the logger that opened the bracket (the
    // process-wide one for every tracer of the programs), so a private TLog
    // keeps its call stack balanced.
}

TTracer::TTracer(const TLogCaller &ACaller)
    : TTracer(ACaller, Logger.Get())
{
}

TTracer::~TTracer()
{
    // Runs also while an exception unwinds the traced scope: nothing may
    // escape a destructor, so a failing exit line is dropped.
    try {
        if (FLogger)
            FLogger->ExitMethod(QUV::Format(QStringLiteral("(%d ms)"), {CurrentDuration()}));
    } catch (...) {
    }
}

qint64 TTracer::CurrentDuration() const
{
    return FStarted.msecsTo(QUV::CurrentDateTime());
}

// ---------------------------------------------------------------- Logger

namespace {

// Zero-initialised before any dynamic initialisation, so safe to read at any time.
int gInitCount = 0;
ILogPtr *gLogger = nullptr;

// What Logger answers after close-down: disabled, no targets, never freed.
ILog &Graveyard()
{
    static ILog *dead = [] {
        auto *log = new TLog;
        log->SetEnabled(false);
        return log;
    }();
    return *dead;
}

void CreateProcessLogger()
{
    // Touch the statics that the header of the closing line needs, so they are
    // constructed before, and hence destroyed after, the last initializer.
    (void)QUV::CurrentDateTime();
    (void)QUV::RegionalLocale();
    auto logger = std::make_shared<TLog>();
    gLogger = new ILogPtr(logger);
    logger->AddDebugStringsTarget(QStringLiteral("DEBUGSTR"));
    (void)logger->_GetTarget(QStringLiteral("DEBUGSTR"))->FormatHeader(TLogLevel::Information);
}

} // namespace

namespace QUV::LogDetail {

TLoggerInitializer::TLoggerInitializer()
{
    if (gInitCount++ == 0)
        CreateProcessLogger();
}

TLoggerInitializer::~TLoggerInitializer()
{
    if (--gInitCount == 0) {
        ILogPtr *logger = gLogger;
        gLogger = nullptr;
        // Clearing the last reference destroys the logger, which writes
        // "Logger has been closed down.". (Another holder, such as a tracer
        // that is never released, would delay that.)
        delete logger;
    }
}

} // namespace QUV::LogDetail

ILog *TGlobalLogger::operator->() const
{
    return &**this;
}

ILog &TGlobalLogger::operator*() const
{
    if (gLogger && *gLogger)
        return **gLogger;
    return Graveyard();
}

ILogPtr TGlobalLogger::Get() const
{
    if (gLogger)
        return *gLogger;
    return ILogPtr(&Graveyard(), [](ILog *) {});
}
