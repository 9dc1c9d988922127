#include "QUV.Types.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
}

namespace QUV {

TDateTime ToDateTime(const QDate &value)
{
    return static_cast<double>(kEpoch.daysTo(value));
}

TDateTime ToDateTime(const QDateTime &value)
{
    const double days = static_cast<double>(kEpoch.daysTo(value.date()));
    const double fraction = static_cast<double>(value.time().msecsSinceStartOfDay()) / kMsPerDay;
    // Before the epoch the fraction counts away from zero, as the format defines.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime FromDateTime(TDateTime value)
{
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    qint64 ms = std::llround(fraction * kMsPerDay);
    qint64 days = static_cast<qint64>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += (value >= 0 ? 1 : -1);
    }
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

namespace {
std::function<QDateTime()> &Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

QDateTime CurrentDateTime()
{
    return Clock() ? Clock()() : QDateTime::currentDateTime();
}

void SetClock(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}

TDateTime Now()
{
    return ToDateTime(CurrentDateTime());
}

TDateTime Date()
{
    return ToDateTime(CurrentDateTime().date());
}

const QLocale &RegionalLocale()
{
    static const QLocale locale(QLocale::Swedish, QLocale::Sweden);
    return locale;
}

QString FormatShortDate(const QDate &value)
{
    return value.toString(ShortDateFormat());
}

QString FormatLongTime(const QTime &value)
{
    return value.toString(LongTimeFormat());
}

} // namespace QUV
