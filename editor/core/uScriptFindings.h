// The findings of a manager's script check: read from its report, tied to
// the inspector rows of the keys they concern, and summed up for the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScriptFinding {
    int line = 0;    // from 1
    int column = 0;  // from 1, in bytes of the text the manager was given
    bool error = false;
    std::string message;
};

// Reads "LINE:COLUMN: error|warning: MESSAGE" lines; other lines are skipped.
std::vector<ScriptFinding> ParseCheckReport(std::string_view report);

// True when the report says that the text holds no key at all.
bool HoldsNoKey(const std::vector<ScriptFinding> &findings);

// The inspector row labels that show a script key ("startred" is shown by
// "Start Red" and by the start colour rows); empty for a key without a row.
std::vector<std::string> InspectorLabelsForKey(std::string_view scriptKey);

// "2 errors and 1 warning in the script: the first at line 4" and the like;
// nothing when there are none.
std::optional<std::string> FindingsSummary(const std::vector<ScriptFinding> &findings);

// A column counted in bytes of the encoded line, as a column in characters
// of the line: `byteLengths` gives each character's encoded length.
int CharacterColumn(const std::vector<int> &byteLengths, int byteColumn);
