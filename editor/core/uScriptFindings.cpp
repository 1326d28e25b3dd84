#include "uScriptFindings.h"

#include <charconv>
#include <cstring>

#include "ManagerApi.h"
#include "uPropertyRows.h"

namespace {

bool ReadNumber(std::string_view &text, int &value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || value < 1)
        return false;
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    return true;
}

bool Take(std::string_view &text, std::string_view prefix)
{
    if (text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

struct KeyLabels {
    const char *key;
    std::vector<const char *> labels;
};

const std::vector<KeyLabels> &KeyLabelTable()
{
    using namespace InspectorKey;
    static const std::vector<KeyLabels> table = {
        {"particles", {kParticles}},
        {"maintype", {kMainType}},
        {"attachment", {kAttachment}},
        {"name", {kName}},
        {"spraytype", {kSprayType}},
        {"overlaytype", {kOverlayType}},
        {"sprayforce", {kSprayForce}},
        {"spraypitch", {kSprayPitch}},
        {"sprayyaw", {kSprayYaw}},
        {"sprayrate", {kSprayRate}},
        {"windstrength", {kWindStrength}},
        {"windyaw", {kWindYaw}},
        {"offset", {kOffset}},
        {"startsize", {kStartSize}},
        {"endsize", {kEndSize}},
        {"sizedelta", {kSizeDelta}},
        {"startangle", {kStartAngle}},
        {"angledelta", {kAngleDelta}},
        {"startframe", {kStartFrame}},
        {"endframe", {kEndFrame}},
        {"framerate", {kFramerate}},
        {"lifetime", {kLifeTime}},
        {"sprite", {kSpriteName}},
        {"rendermode", {kRenderMode}},
        {"startred", {kStartRed, kStartColor1, kStartColor2}},
        {"startgreen", {kStartGreen, kStartColor1, kStartColor2}},
        {"startblue", {kStartBlue, kStartColor1, kStartColor2}},
        {"endred", {kEndRed, kEndColor1, kEndColor2}},
        {"endgreen", {kEndGreen, kEndColor1, kEndColor2}},
        {"endblue", {kEndBlue, kEndColor1, kEndColor2}},
        {"startalpha", {kStartAlpha}},
        {"endalpha", {kEndAlpha}},
        {"drawcondition", {kDrawCondition}},
        {"gravity", {kGravity}},
        {"bounce", {kBounce}},
        {"bouncefriction", {kBounceFriction}},
        {"drag", {kDrag}},
        {"killcondition", {kKillCondition}},
    };
    return table;
}

std::string Plural(std::size_t n, const char *word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::vector<ScriptFinding> ParseCheckReport(std::string_view report)
{
    std::vector<ScriptFinding> findings;
    while (!report.empty()) {
        std::size_t end = report.find('\n');
        if (end == std::string_view::npos)
            end = report.size();
        std::string_view line = report.substr(0, end);
        report.remove_prefix(std::min(end + 1, report.size()));
        ScriptFinding finding;
        if (!ReadNumber(line, finding.line) || !Take(line, ":") || !ReadNumber(line, finding.column))
            continue;
        if (Take(line, ": error: "))
            finding.error = true;
        else if (!Take(line, ": warning: "))
            continue;
        finding.message = std::string(line);
        findings.push_back(std::move(finding));
    }
    return findings;
}

bool HoldsNoKey(const std::vector<ScriptFinding> &findings)
{
    for (const ScriptFinding &f : findings) {
        if (f.line == 1 && f.column == 1 && f.message == kNoKeyFinding)
            return true;
    }
    return false;
}

std::vector<std::string> InspectorLabelsForKey(std::string_view scriptKey)
{
    for (const KeyLabels &entry : KeyLabelTable()) {
        if (scriptKey == entry.key)
            return {entry.labels.begin(), entry.labels.end()};
    }
    return {};
}

std::optional<std::string> FindingsSummary(const std::vector<ScriptFinding> &findings)
{
    if (findings.empty())
        return std::nullopt;
    std::size_t errors = 0;
    for (const ScriptFinding &f : findings)
        errors += f.error ? 1 : 0;
    const std::size_t warnings = findings.size() - errors;
    std::string text;
    if (errors > 0)
        text = Plural(errors, "error");
    if (warnings > 0)
        text += (text.empty() ? "" : " and ") + Plural(warnings, "warning");
    text += " in the script: the first at line " + std::to_string(findings.front().line) +
            " (see the problems list of the Script tab)";
    return text;
}

int CharacterColumn(const std::vector<int> &byteLengths, int byteColumn)
{
    int bytes = 1;
    int column = 1;
    for (int length : byteLengths) {
        if (bytes >= byteColumn)
            break;
        bytes += length;
        ++column;
    }
    return column;
}
