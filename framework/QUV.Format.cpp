#include "QUV.Format.h"

#include "QUV.Types.h"
// Included for its Nifty counter: whatever uses Format links the logger, so
// its run ends with "Logger has been closed down." like every other.
#include "QUV.Log.h"

#include <QMetaType>
#include <QObject>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <limits>

namespace QUV {

namespace {

constexpr int kMaxDigits = 18; // the run-time library's precision limit

// A finite |value| as 0.D1D2... x 10^Exponent with 17 significant digits
// (enough to give back the double exactly), as FloatToDecimal does.
struct TDecimal
{
    bool Negative = false;
    QString Digits; // '0'..'9'; all zeros for 0
    int Exponent = 0;
    bool IsZero() const
    {
        for (QChar c : Digits)
            if (c != QLatin1Char('0'))
                return false;
        return true;
    }
};

TDecimal Decompose(double AValue)
{
    TDecimal result;
    result.Negative = std::signbit(AValue);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.16e", std::fabs(AValue));
    // d.dddddddddddddddde[+-]xx
    const QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    result.Digits = text.left(e);
    result.Digits.remove(QLatin1Char('.'));
    result.Exponent = text.mid(e + 1).toInt() + 1;
    if (result.IsZero()) {
        result.Exponent = 0;
        result.Negative = false;
    }
    return result;
}

// Adds one to a string of decimal digits; "99" becomes "100".
QString IncrementDigits(QString ADigits)
{
    qsizetype i = ADigits.size() - 1;
    for (; i >= 0; --i) {
        if (ADigits[i] == QLatin1Char('9')) {
            ADigits[i] = QLatin1Char('0');
        } else {
            ADigits[i] = QChar(ADigits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        ADigits.prepend(QLatin1Char('1'));
    return ADigits;
}

// The digits of round(|value| x 10^ADecimals), half away from zero, without
// leading zeros ("0" for zero).
QString ScaledDigits(const TDecimal &ADecimal, int ADecimals)
{
    const int keep = ADecimal.Exponent + ADecimals;
    QString digits;
    QChar next = QLatin1Char('0');
    if (keep >= 0) {
        digits = ADecimal.Digits.left(keep);
        while (digits.size() < keep)
            digits.append(QLatin1Char('0'));
        if (keep < ADecimal.Digits.size())
            next = ADecimal.Digits[keep];
    }
    if (next >= QLatin1Char('5'))
        digits = IncrementDigits(digits);
    while (digits.size() > 1 && digits[0] == QLatin1Char('0'))
        digits.remove(0, 1);
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    return digits;
}

// ADecimal rounded to ACount significant digits (half away from zero).
TDecimal RoundSignificant(const TDecimal &ADecimal, int ACount)
{
    TDecimal result = ADecimal;
    if (ADecimal.IsZero()) {
        result.Digits = QString(ACount, QLatin1Char('0'));
        return result;
    }
    QString digits = ADecimal.Digits.left(ACount);
    while (digits.size() < ACount)
        digits.append(QLatin1Char('0'));
    if (ACount < ADecimal.Digits.size() && ADecimal.Digits[ACount] >= QLatin1Char('5')) {
        digits = IncrementDigits(digits);
        if (digits.size() > ACount) { // 999 -> 1000
            digits.chop(1);
            ++result.Exponent;
        }
    }
    result.Digits = digits;
    return result;
}

QString DecimalSeparator()
{
    return RegionalLocale().decimalPoint();
}

QString ThousandSeparator()
{
    return RegionalLocale().groupSeparator();
}

QString GroupThousands(const QString &AIntegerDigits)
{
    QString result;
    const qsizetype n = AIntegerDigits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            result += ThousandSeparator();
        result += AIntegerDigits[i];
    }
    return result;
}

QString ExponentText(int AExponent, int AMinDigits, bool APlusSign)
{
    QString result = QStringLiteral("E");
    if (AExponent < 0)
        result += QLatin1Char('-');
    else if (APlusSign)
        result += QLatin1Char('+');
    QString digits = QString::number(std::abs(AExponent));
    while (digits.size() < AMinDigits)
        digits.prepend(QLatin1Char('0'));
    return result + digits;
}

// ffExponent: "-d,ddd...E+ddd" with APrecision digits in all.
QString FormatExponent(const TDecimal &AValue, int APrecision, int AExpDigits, bool APlusSign, bool ATrimZeros)
{
    const TDecimal rounded = RoundSignificant(AValue, APrecision);
    QString digits = rounded.Digits;
    if (ATrimZeros)
        while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
    QString result = rounded.Negative ? QStringLiteral("-") : QString();
    result += digits[0];
    if (digits.size() > 1)
        result += DecimalSeparator() + digits.mid(1);
    const int exponent = rounded.IsZero() ? 0 : rounded.Exponent - 1;
    return result + ExponentText(exponent, AExpDigits, APlusSign);
}

// Integer part and decimals of ffFixed / ffNumber / ffCurrency.
void FixedParts(const TDecimal &AValue, int ADecimals, QString &AInteger, QString &AFraction, bool &ANegative)
{
    QString digits = ScaledDigits(AValue, ADecimals);
    while (digits.size() <= ADecimals)
        digits.prepend(QLatin1Char('0'));
    AInteger = digits.left(digits.size() - ADecimals);
    AFraction = digits.right(ADecimals);
    ANegative = AValue.Negative && digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
}

} // namespace

QString FloatToStrF(double AValue, TFloatFormat AFormat, int APrecision, int ADigits)
{
    if (std::isnan(AValue))
        return QStringLiteral("NAN");
    if (std::isinf(AValue))
        return AValue > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    APrecision = qBound(1, APrecision, kMaxDigits);
    const TDecimal value = Decompose(AValue);
    switch (AFormat) {
    case TFloatFormat::ffExponent:
        return FormatExponent(value, APrecision, qBound(0, ADigits, 4), true, false);
    case TFloatFormat::ffGeneral: {
        const TDecimal rounded = RoundSignificant(value, APrecision);
        if (rounded.IsZero())
            return QStringLiteral("0");
        if (rounded.Exponent > APrecision || rounded.Exponent < -3)
            return FormatExponent(value, APrecision, qBound(0, ADigits, 4), false, true);
        QString digits = rounded.Digits;
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        QString integer;
        QString fraction;
        if (rounded.Exponent <= 0) {
            integer = QStringLiteral("0");
            fraction = QString(-rounded.Exponent, QLatin1Char('0')) + digits;
        } else {
            integer = digits.left(rounded.Exponent);
            while (integer.size() < rounded.Exponent)
                integer.append(QLatin1Char('0'));
            fraction = digits.mid(rounded.Exponent);
        }
        QString result = rounded.Negative ? QStringLiteral("-") : QString();
        result += integer;
        if (!fraction.isEmpty())
            result += DecimalSeparator() + fraction;
        return result;
    }
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber:
    case TFloatFormat::ffCurrency: {
        // More integer digits than the precision: scientific, as the library does.
        if (value.Exponent > APrecision)
            return FormatExponent(value, APrecision, 3, true, false);
        const int decimals = qBound(0, ADigits, kMaxDigits);
        QString integer;
        QString fraction;
        bool negative = false;
        FixedParts(value, decimals, integer, fraction, negative);
        if (AFormat != TFloatFormat::ffFixed)
            integer = GroupThousands(integer);
        QString result = negative ? QStringLiteral("-") : QString();
        result += integer;
        if (decimals > 0)
            result += DecimalSeparator() + fraction;
        if (AFormat == TFloatFormat::ffCurrency)
            // Swedish currency format "1 kr", negative "-1 kr".
            result += QLatin1Char(' ') + RegionalLocale().currencySymbol(QLocale::CurrencySymbol);
        return result;
    }
    }
    return QString();
}

QString FloatToStr(double AValue)
{
    return FloatToStrF(AValue, TFloatFormat::ffGeneral, 15, 0);
}

namespace {

[[noreturn]] void FormatError(const QString &AFormat, bool AMissing)
{
    const QString format = AFormat.left(255);
    if (AMissing)
        throw Exception(QStringLiteral("No argument for format '%1'").arg(format));
    throw Exception(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

enum class TArgKind { Integer32, Integer64, Unsigned64, Float, String, Pointer, Other };

TArgKind KindOf(const QVariant &AArg)
{
    switch (AArg.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return TArgKind::Integer32;
    case QMetaType::LongLong:
    case QMetaType::Long:
        return TArgKind::Integer64;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return TArgKind::Unsigned64;
    case QMetaType::Double:
    case QMetaType::Float:
        return TArgKind::Float;
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::Char:
    case QMetaType::QByteArray:
        return TArgKind::String;
    case QMetaType::VoidStar:
    case QMetaType::QObjectStar:
    case QMetaType::Nullptr:
        return TArgKind::Pointer;
    default:
        return TArgKind::Other;
    }
}

bool IsInteger(TArgKind AKind)
{
    return AKind == TArgKind::Integer32 || AKind == TArgKind::Integer64 || AKind == TArgKind::Unsigned64;
}

QString ArgString(const QVariant &AArg)
{
    switch (AArg.typeId()) {
    case QMetaType::QByteArray:
        return QString::fromUtf8(AArg.toByteArray());
    case QMetaType::Char:
        return QString(QChar::fromLatin1(AArg.value<char>()));
    default:
        return AArg.toString();
    }
}

quintptr ArgPointer(const QVariant &AArg)
{
    switch (AArg.typeId()) {
    case QMetaType::VoidStar:
        return reinterpret_cast<quintptr>(AArg.value<void *>());
    case QMetaType::QObjectStar:
        return reinterpret_cast<quintptr>(AArg.value<QObject *>());
    default:
        return 0;
    }
}

QString Digits(quint64 AValue, int ABase, int AMinDigits)
{
    QString result = QString::number(AValue, ABase).toUpper();
    while (result.size() < AMinDigits)
        result.prepend(QLatin1Char('0'));
    return result;
}

} // namespace

QString Format(const QString &AFormat, const QVariantList &AArgs)
{
    QString result;
    const qsizetype length = AFormat.size();
    qsizetype i = 0;
    int argIndex = 0;

    auto nextArg = [&]() -> const QVariant & {
        if (argIndex < 0 || argIndex >= AArgs.size())
            FormatError(AFormat, true);
        return AArgs[argIndex++];
    };
    // A number or "*" (the next argument, an integer); -1 when neither is there.
    auto readNumber = [&](int &AValue) -> bool {
        if (i < length && AFormat[i] == QLatin1Char('*')) {
            ++i;
            const QVariant &arg = nextArg();
            if (!IsInteger(KindOf(arg)))
                FormatError(AFormat, false);
            AValue = static_cast<int>(arg.toLongLong());
            return true;
        }
        if (i < length && AFormat[i].isDigit()) {
            qint64 value = 0;
            while (i < length && AFormat[i] >= QLatin1Char('0') && AFormat[i] <= QLatin1Char('9')) {
                value = value * 10 + (AFormat[i].unicode() - '0');
                if (value > std::numeric_limits<int>::max())
                    FormatError(AFormat, false);
                ++i;
            }
            AValue = static_cast<int>(value);
            return true;
        }
        return false;
    };

    while (i < length) {
        const qsizetype percent = AFormat.indexOf(QLatin1Char('%'), i);
        if (percent < 0) {
            result += QStringView(AFormat).mid(i);
            break;
        }
        result += QStringView(AFormat).mid(i, percent - i);
        i = percent + 1;
        if (i >= length)
            FormatError(AFormat, false);
        if (AFormat[i] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }

        bool leftJustify = false;
        int width = -1;
        int precision = -1;
        int number = 0;
        if (readNumber(number)) {
            if (i < length && AFormat[i] == QLatin1Char(':')) {
                argIndex = number;
                ++i;
            } else {
                width = number;
            }
        }
        if (width < 0) {
            if (i < length && AFormat[i] == QLatin1Char('-')) {
                leftJustify = true;
                ++i;
            }
            if (readNumber(number))
                width = number;
        }
        if (i < length && AFormat[i] == QLatin1Char('.')) {
            ++i;
            if (!readNumber(number))
                number = 0;
            precision = number;
        }
        if (i >= length)
            FormatError(AFormat, false);
        const char16_t type = AFormat[i].toUpper().unicode();
        ++i;

        const QVariant &arg = [&]() -> const QVariant & {
            switch (type) {
            case u'D': case u'U': case u'X': case u'E': case u'F': case u'G':
            case u'N': case u'M': case u'P': case u'S':
                return nextArg();
            default:
                FormatError(AFormat, false);
            }
        }();
        const TArgKind kind = KindOf(arg);

        QString text;
        switch (type) {
        case u'D':
        case u'U':
        case u'X': {
            if (!IsInteger(kind))
                FormatError(AFormat, false);
            bool negative = false;
            quint64 magnitude = 0;
            if (kind == TArgKind::Unsigned64) {
                magnitude = arg.toULongLong();
            } else {
                const qint64 value = arg.toLongLong();
                if (type == u'D') {
                    negative = value < 0;
                    magnitude = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
                } else if (kind == TArgKind::Integer32) {
                    // A 32-bit value as its 32-bit pattern.
                    magnitude = static_cast<quint32>(static_cast<qint32>(value));
                    if (arg.typeId() == QMetaType::UInt)
                        magnitude = static_cast<quint32>(arg.toUInt());
                } else {
                    magnitude = static_cast<quint64>(value);
                }
            }
            text = Digits(magnitude, type == u'X' ? 16 : 10, precision);
            if (negative)
                text.prepend(QLatin1Char('-'));
            break;
        }
        case u'E':
        case u'F':
        case u'G':
        case u'N':
        case u'M': {
            if (kind != TArgKind::Float)
                FormatError(AFormat, false);
            const double value = arg.toDouble();
            switch (type) {
            case u'E':
                text = FloatToStrF(value, TFloatFormat::ffExponent, precision < 0 ? 15 : precision, 3);
                break;
            case u'F':
                text = FloatToStrF(value, TFloatFormat::ffFixed, kMaxDigits, precision < 0 ? 2 : precision);
                break;
            case u'G':
                text = FloatToStrF(value, TFloatFormat::ffGeneral, precision < 0 ? 15 : precision, 3);
                break;
            case u'N':
                text = FloatToStrF(value, TFloatFormat::ffNumber, kMaxDigits, precision < 0 ? 2 : precision);
                break;
            default:
                text = FloatToStrF(value, TFloatFormat::ffCurrency, kMaxDigits, precision < 0 ? 2 : precision);
                break;
            }
            break;
        }
        case u'P':
            if (kind != TArgKind::Pointer)
                FormatError(AFormat, false);
            text = Digits(ArgPointer(arg), 16, int(sizeof(void *) * 2));
            break;
        case u'S':
            if (kind != TArgKind::String)
                FormatError(AFormat, false);
            text = ArgString(arg);
            if (precision >= 0 && text.size() > precision)
                text.truncate(precision);
            break;
        }

        if (width > text.size()) {
            const QString padding(width - text.size(), QLatin1Char(' '));
            text = leftJustify ? text + padding : padding + text;
        }
        result += text;
    }
    return result;
}

} // namespace QUV
