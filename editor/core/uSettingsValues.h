// The values the editor keeps between runs, and the rules by which their
// stored texts are read and written. Plain Qt Core, so they can be fuzzed alone.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct TProgramSettings {
    QString DefaultSpr;
    QString Headinsert;
    uint32_t BgColor = 8421504;
    uint32_t GrColor = 4605510;
    uint32_t TxtColor = 16777215;
    bool WaitSync = true;
    bool TextShadow = true;
};

// All twelve stored values, in the order they are read and written.
struct TStoredSettings {
    QString GameDir;
    QString GameDir2;
    int CurrentRenderer = 0;
    bool ShowGround = true;
    bool StartMaximized = false;
    TProgramSettings program;
};

// Defaults of a first run.
TStoredSettings DefaultSettings();

// Registry rules for a stored text: a signed decimal integer, else the default.
int ReadIntegerText(const std::optional<QString> &text, int defaultValue);
bool ReadBooleanText(const std::optional<QString> &text, bool defaultValue);

using TValueReader = std::function<std::optional<QString>(const QString &name)>;
using TValueWriter = std::function<void(const QString &name, const QString &value)>;
TStoredSettings ReadSettingsFrom(const TValueReader &read);
void WriteSettingsTo(const TStoredSettings &settings, const TValueWriter &write);

// The header text goes at the top of every script exactly as it is, so each
// of its lines must be a comment to the script reader: empty, or beginning,
// after blanks, with "//" (or two backslashes). The first line that is not (0-based),
// or -1 when all are.
int FirstHeaderLineNotComment(const QString &header);
// The Preferences dialog's refusal of such a header.
QString HeaderLineNotCommentMessage(const QString &header, int line);
