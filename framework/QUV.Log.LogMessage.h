#pragma once

#include <QString>
#include <QtGlobal>

#include <initializer_list>
#include <memory>

// Unit QUV.Log.LogMessage: the log levels and the message that the
// logger hands to one target.

// In ordinal order; the ordinal is the bit in TLogLevels.
enum class TLogLevel : quint8 {
    Error,
    Exception,
    Warning,
    Information,
    EnterMethod,
    ExitMethod,
    Separator,
    LogInternalError,
    Debug
};

constexpr int LogLevelCount = 9;

// The text written into each line: "ERROR", "EXCEPTION", "WARNING", "INFO",
// "ENTER", "EXIT", "SEPARATOR", "LOGINTERNAL", "DEBUG".
QString LogLevelName(TLogLevel ALevel);

// A set of TLogLevel, one bit per ordinal, stored in 16 bits.
class TLogLevels
{
public:
    constexpr TLogLevels() noexcept = default;
    constexpr TLogLevels(std::initializer_list<TLogLevel> ALevels) noexcept
    {
        for (TLogLevel level : ALevels)
            FBits = static_cast<quint16>(FBits | Bit(level));
    }
    static constexpr TLogLevels FromBits(quint16 ABits) noexcept
    {
        TLogLevels result;
        result.FBits = ABits;
        return result;
    }
    // All nine levels (0x01FF), the default set of a new target.
    static constexpr TLogLevels All() noexcept { return FromBits(0x01FF); }

    constexpr quint16 Bits() const noexcept { return FBits; }
    constexpr bool Contains(TLogLevel ALevel) const noexcept { return (FBits & Bit(ALevel)) != 0; }
    constexpr bool IsEmpty() const noexcept { return FBits == 0; }
    constexpr TLogLevels &Include(TLogLevel ALevel) noexcept
    {
        FBits = static_cast<quint16>(FBits | Bit(ALevel));
        return *this;
    }
    constexpr TLogLevels &Exclude(TLogLevel ALevel) noexcept
    {
        FBits = static_cast<quint16>(FBits & ~Bit(ALevel));
        return *this;
    }
    friend constexpr TLogLevels operator+(TLogLevels a, TLogLevels b) noexcept
    {
        return FromBits(static_cast<quint16>(a.FBits | b.FBits));
    }
    friend constexpr TLogLevels operator-(TLogLevels a, TLogLevels b) noexcept
    {
        return FromBits(static_cast<quint16>(a.FBits & ~b.FBits));
    }
    friend constexpr bool operator==(TLogLevels a, TLogLevels b) noexcept { return a.FBits == b.FBits; }
    friend constexpr bool operator!=(TLogLevels a, TLogLevels b) noexcept { return a.FBits != b.FBits; }

private:
    static constexpr quint16 Bit(TLogLevel ALevel) noexcept
    {
        return static_cast<quint16>(1u << static_cast<unsigned>(ALevel));
    }
    quint16 FBits = 0;
};

class ILogMessage
{
public:
    virtual ~ILogMessage() = default;
    virtual TLogLevel Level() const = 0;
    virtual QString Header() const = 0;
    virtual QString PayLoad() const = 0;
};
using ILogMessagePtr = std::shared_ptr<ILogMessage>;

class TLogMessage final : public ILogMessage
{
public:
    TLogMessage(TLogLevel ALevel, QString AHeader, QString APayLoad);
    TLogLevel Level() const override { return FLevel; }
    QString Header() const override { return FHeader; }
    QString PayLoad() const override { return FPayLoad; }

private:
    TLogLevel FLevel;
    QString FHeader;
    QString FPayLoad;
};
