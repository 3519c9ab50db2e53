#include "metadatatexts.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

QString relative(qint64 count, const QString &unit, bool past)
{
    const QString amount = MetadataTexts::counted(count, unit);
    return past ? amount + u" ago"_s : u"in "_s + amount;
}

// A named phrase for one unit back or ahead, the count otherwise.
QString phrase(
    qint64 count, const QString &unit, bool past, const QString &lastName, const QString &nextName)
{
    if (count == 1)
        return past ? lastName : nextName;
    return relative(count, unit, past);
}

} // namespace

QString MetadataTexts::counted(qint64 count, const QString &noun)
{
    return QString::number(count) + u' ' + noun + (count == 1 ? QString() : u"s"_s);
}

QString MetadataTexts::homeShortened(const QString &path, const QString &home)
{
    QString trimmedHome = home;
    while (trimmedHome.size() > 1 && trimmedHome.endsWith(u'/'))
        trimmedHome.chop(1);
    if (trimmedHome.isEmpty() || trimmedHome == u"/"_s || !path.startsWith(trimmedHome))
        return path;
    // Only the home folder itself: /home/anna is not inside /home/ann, and
    // /data/home/ann is not home at all.
    if (path.size() > trimmedHome.size() && path.at(trimmedHome.size()) != u'/')
        return path;
    return u"~"_s + path.mid(trimmedHome.size());
}

QString MetadataTexts::installedPathsText(const QStringList &paths, const QString &home)
{
    QStringList shortened;
    shortened.reserve(paths.size());
    for (const QString &path : paths)
        shortened.append(homeShortened(path, home));
    return shortened.join(u'\n');
}

QString MetadataTexts::sizeText(qint64 bytes)
{
    if (bytes < 1000)
        return bytes == 1 ? u"1 byte"_s : QString::number(bytes) + u" bytes"_s;
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString MetadataTexts::ageText(const QDateTime &date, const QDateTime &now)
{
    if (!date.isValid())
        return {};
    const qint64 seconds = date.secsTo(now);
    const bool past = seconds >= 0;
    const qint64 distance = past ? seconds : -seconds;
    if (distance < 60)
        return u"now"_s;
    if (distance < 3600)
        return relative(distance / 60, u"minute"_s, past);
    if (distance < 86400)
        return relative(distance / 3600, u"hour"_s, past);
    // Days and longer count calendar days, so "yesterday" means the day before today.
    const qint64 days = std::abs(date.date().daysTo(now.date()));
    if (days < 7)
        return phrase(std::max<qint64>(days, 1), u"day"_s, past, u"yesterday"_s, u"tomorrow"_s);
    if (days < 30)
        return phrase(days / 7, u"week"_s, past, u"last week"_s, u"next week"_s);
    if (days < 365)
        return phrase(days / 30, u"month"_s, past, u"last month"_s, u"next month"_s);
    return phrase(days / 365, u"year"_s, past, u"last year"_s, u"next year"_s);
}

QString MetadataTexts::displayedDescription(const QString &description)
{
    const QChar first = description.isEmpty() ? QChar() : description.front();
    if (description.size() < 2 || (first != u'"' && first != u'\'') || description.back() != first)
        return description;
    const QStringView inner = QStringView(description).mid(1, description.size() - 2);
    QString plain;
    plain.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner.at(i);
        const QChar next = i + 1 < inner.size() ? inner.at(i + 1) : QChar();
        if (first == u'\'' && c == u'\'' && next == u'\'') {
            plain.append(c); // '' is one quote inside single quotes
            ++i;
        } else if (first == u'"' && c == u'\\' && (next == u'"' || next == u'\\')) {
            plain.append(next);
            ++i;
        } else if (first == u'"' && c == u'\\' && (next == u'n' || next == u't')) {
            plain.append(next == u'n' ? u'\n' : u'\t');
            ++i;
        } else {
            plain.append(c);
        }
    }
    return plain;
}
