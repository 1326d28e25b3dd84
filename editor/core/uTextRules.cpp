#include "uTextRules.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <vector>

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

QString TextFromBytes(std::string_view bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    if (IsValidUtf8(bytes)) {
        QString text = QString::fromUtf8(bytes.data(), size);
        // Only a text that goes back to the very same bytes is shown as UTF-8.
        const QByteArray back = text.toUtf8();
        if (back.size() == size && std::equal(back.begin(), back.end(), bytes.begin()))
            return text;
    }
    return QString::fromLatin1(bytes.data(), size);
}

namespace {
bool FitsLatin1(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}
}  // namespace

std::string BytesFromText(const QString &text, TextEncoding shownAs)
{
    if (shownAs == TextEncoding::Latin1 && FitsLatin1(text))
        return text.toLatin1().toStdString();
    return text.toUtf8().toStdString();
}

std::string BytesForEditedText(const QString &text, std::string_view originalBytes,
                               TextEncoding documentEncoding)
{
    if (text == TextFromBytes(originalBytes))
        return std::string(originalBytes);
    return BytesFromText(text, documentEncoding);
}

std::string LineBytes(const QString &latin1Text)
{
    return latin1Text.toLatin1().toStdString();
}

QString LinesFromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString MissingCommandLineFileMessage(const QString &path, bool isFolder)
{
    return isFolder ? QStringLiteral("\"%1\", named on the command line, is a folder, not a particle file.")
                          .arg(path)
                    : QStringLiteral("The file \"%1\", named on the command line, does not exist.").arg(path);
}

namespace {
std::vector<std::string_view> ByteLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = bytes.find('\n', start);
        lines.push_back(
            bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}
}  // namespace

QString ScriptTextFromBytes(std::string_view bytes)
{
    QString text;
    bool first = true;
    for (std::string_view line : ByteLines(bytes)) {
        if (!first)
            text += QLatin1Char('\n');
        text += TextFromBytes(line);
        first = false;
    }
    return text;
}

std::string ScriptBytesFromText(const QString &text, std::string_view shownBytes)
{
    const std::vector<std::string_view> shown = ByteLines(shownBytes);
    QHash<QString, std::string_view> byText;
    std::vector<QString> shownText;
    shownText.reserve(shown.size());
    for (std::string_view line : shown) {
        shownText.push_back(TextFromBytes(line));
        if (!byText.contains(shownText.back()))
            byText.insert(shownText.back(), line);
    }
    const TextEncoding set = EncodingOf(shownBytes);
    std::string bytes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            bytes += '\n';
        const QString &line = lines[i];
        // The same line in the same place first: two lines may show alike
        // (an e-acute in Latin-1 and in UTF-8) and each keeps its own bytes.
        const auto at = static_cast<std::size_t>(i);
        if (at < shown.size() && shownText[at] == line) {
            bytes += shown[at];
        } else if (const auto found = byText.constFind(line); found != byText.constEnd()) {
            bytes += *found;
        } else {
            bytes += BytesFromText(line, set);
        }
    }
    return bytes;
}
