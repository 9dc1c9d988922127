#include "JobMetadata.h"

#include <QDate>
#include <QRegularExpression>

namespace JobMetadata {

QString Trim(const QString &AText)
{
    int first = 0;
    int last = AText.size() - 1;
    while (first <= last && AText.at(first).unicode() <= 0x20)
        ++first;
    while (last >= first && AText.at(last).unicode() <= 0x20)
        --last;
    return AText.mid(first, last - first + 1);
}

namespace {

bool ToNumber(const QString &ADigits, int &AValue)
{
    // More than nine digits cannot be a valid part of a time or date and
    // would overflow.
    if (ADigits.isEmpty() || ADigits.size() > 9)
        return false;
    bool ok = false;
    AValue = ADigits.toInt(&ok);
    return ok;
}

} // namespace

int TotalTimeSeconds(const QString &AText)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d+)(?::(\\d+)(?::(\\d+)(?:[.,]\\d+)?)?)?$"));
    const QRegularExpressionMatch match = pattern.match(Trim(AText));
    if (!match.hasMatch())
        return 0;
    int hours = 0, minutes = 0, seconds = 0;
    if (!ToNumber(match.captured(1), hours))
        return 0;
    if (match.hasCaptured(2) && !ToNumber(match.captured(2), minutes))
        return 0;
    if (match.hasCaptured(3) && !ToNumber(match.captured(3), seconds))
        return 0;
    if (hours >= 24 || minutes >= 60 || seconds >= 60)
        return 0;
    return hours * 3600 + minutes * 60 + seconds;
}

bool TryReadDate(const QString &AText, TDate &ADate)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)-(\\d+)(?:-(\\d+))?$"));
    const QRegularExpressionMatch match = pattern.match(Trim(AText));
    if (!match.hasMatch())
        return false;
    const int currentYear = QUV::CurrentDateTime().date().year();
    int year = currentYear, month = 0, day = 0;
    if (match.hasCaptured(3)) {
        if (!ToNumber(match.captured(1), year) || !ToNumber(match.captured(2), month)
            || !ToNumber(match.captured(3), day))
            return false;
        if (match.captured(1).size() <= 2) {
            year += currentYear / 100 * 100;
            if (year > currentYear + 50)
                year -= 100;
        }
    } else if (!ToNumber(match.captured(1), month) || !ToNumber(match.captured(2), day)) {
        return false;
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1)
        return false;
    ADate = QUV::ToDateTime(date);
    return true;
}

QString SetInfo(const QString &AText)
{
    QString text = AText;
    text.replace(QStringLiteral("of"), QStringLiteral("av"), Qt::CaseInsensitive);
    return Trim(text);
}

QString BookType(const QString &AIdentity)
{
    return AIdentity.startsWith(QLatin1Char('C'), Qt::CaseInsensitive) ? QStringLiteral("AUDIO")
                                                                          : QStringLiteral("MOVIE");
}

} // namespace JobMetadata
