#include "uTextRules.h"

#include <QFile>
#include <algorithm>

QString ApplicationTitle()
{
    return QStringLiteral("Sparkwright");
}

QStringList FilterNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The dialog takes its patterns from the last parentheses of an entry.
        const QString suffix = QLatin1Char('(') + patterns + QLatin1Char(')');
        result << (description.trimmed().endsWith(suffix) ? description
                                                           : description + QLatin1Char(' ') + suffix);
    }
    return result;
}

QString FilterDefaultSuffix(const QString &nameFilter)
{
    const int open = nameFilter.lastIndexOf(QLatin1Char('('));
    const QString patterns = open < 0 ? nameFilter : nameFilter.mid(open + 1).chopped(1);
    for (const QString &pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (pattern.startsWith(QStringLiteral("*.")) && pattern.indexOf(QLatin1Char('*'), 2) < 0 &&
            !pattern.contains(QLatin1Char('?')))
            return pattern.mid(2);
    }
    return QString();
}

QStringList TextLines(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (t.isEmpty())
        return {};
    if (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    return t.split(QLatin1Char('\n'));
}

QString LinesText(const QStringList &lines, const QString &lineBreak)
{
    QString text;
    for (const QString &line : lines)
        text += line + lineBreak;
    return text;
}

QStringList ReadTextFileLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return TextLines(QString::fromLatin1(file.readAll()));
}

QString FileExtension(const QString &path)
{
    const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(slash + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}
