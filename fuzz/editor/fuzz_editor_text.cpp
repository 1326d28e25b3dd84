// Arbitrary bytes as stored settings, filter texts, script files and record
// texts. Besides
// memory errors it checks the properties the editor relies on: every value
// read stays within its kind, and script lines survive a round trip.
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>

#include "uScriptSync.h"
#include "uSettingsValues.h"
#include "uTextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));

    // Settings: the input's lines are the twelve values in their order.
    static const char *const names[] = {"GameDir",        "GameDir2",   "CurrentRenderer", "ShowGround",
                                        "StartMaximized", "DefaultSpr", "Headinsert",      "BgColor",
                                        "GrColor",        "TxtColor",   "WaitSync",        "TextShadow"};
    const QStringList values = text.split(QLatin1Char('\n'));
    std::map<QString, QString> stored;
    for (int i = 0; i < values.size() && i < 12; ++i)
        stored[QLatin1String(names[i])] = values[i];
    const TStoredSettings s = ReadSettingsFrom([&](const QString &name) -> std::optional<QString> {
        auto it = stored.find(name);
        return it == stored.end() ? std::nullopt : std::optional<QString>(it->second);
    });
    std::map<QString, QString> written;
    WriteSettingsTo(s, [&](const QString &name, const QString &value) { written[name] = value; });
    if (written.size() != 12)
        std::abort();
    // What was written reads back as the same settings.
    const TStoredSettings again = ReadSettingsFrom(
        [&](const QString &name) -> std::optional<QString> { return written.at(name); });
    if (again.CurrentRenderer != s.CurrentRenderer || again.program.BgColor != s.program.BgColor ||
        again.program.WaitSync != s.program.WaitSync || again.program.Headinsert != s.program.Headinsert)
        std::abort();

    // Filter texts from a manager.
    for (const QString &filter : FilterNameFilters(text)) {
        const QString suffix = FilterDefaultSuffix(filter);
        if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char(' ')))
            std::abort();
    }
    FileExtension(text);

    // Script text: lines joined again and split give the same lines.
    const QStringList lines = TextLines(text);
    if (TextLines(LinesText(lines, QStringLiteral("\r\n"))) != lines)
        std::abort();

    // Record texts: the screen's picture of any bytes goes back to the same
    // bytes in either character set, and never holds a substitute character.
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const QString shown = TextFromBytes(bytes);
    if (shown.contains(QChar(0xFFFD)) && !IsValidUtf8(bytes))
        std::abort();
    for (TextEncoding documentSet : {TextEncoding::Utf8, TextEncoding::Latin1})
        if (BytesForEditedText(shown, bytes, documentSet) != bytes)
            std::abort();
    FirstHeaderLineNotComment(text);

    // Script text: an overlong text is reported inside the script, with its size.
    if (const auto overlong = FindOverlongText(bytes)) {
        const auto lines = std::count(bytes.begin(), bytes.end(), '\n') + 1;
        if (overlong->line < 1 || overlong->line > lines || overlong->bytes <= 255 || overlong->bytes > size)
            std::abort();
    }
    return 0;
}
