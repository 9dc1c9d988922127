#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QVariant>
#include <QVariantList>

#include <exception>
#include <functional>

// The one general failure class of both programs. The framework raises it
// with English messages naming the operation; the programs raise Swedish
// ones. The application object shows whatever reaches the event loop.
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }
    // Name written by the logger's exception lines ("Exception Class: %s").
    virtual QString ClassName() const { return QStringLiteral("Exception"); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// Parameter array of every catalogue query: positional values, or
// alternating name and value.
using TSarvoArrayOfVariants = QVariantList;

// Days since 1899-12-30; the fraction is the time of day. Book dates are
// stored in the catalogue in this form, so the conversions must be exact.
using TDateTime = double;
using TDate = double;
using TTime = double;

namespace QUV {

TDateTime ToDateTime(const QDateTime &value);
TDateTime ToDateTime(const QDate &value);
QDateTime FromDateTime(TDateTime value);
TDateTime Now();
TDateTime Date();

// The clock every part reads "now" from; tests fix it with SetClock and
// restore the system clock with SetClock({}).
QDateTime CurrentDateTime();
void SetClock(std::function<QDateTime()> clock);

// Regional formats of the library's machines, kept in this one place:
// Swedish short date, long time and numbers with a decimal comma.
const QLocale &RegionalLocale();
inline QString ShortDateFormat() { return QStringLiteral("yyyy-MM-dd"); }
inline QString LongTimeFormat() { return QStringLiteral("HH:mm:ss"); }
QString FormatShortDate(const QDate &value);
QString FormatLongTime(const QTime &value);

} // namespace QUV
