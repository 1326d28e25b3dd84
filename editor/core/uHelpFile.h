// Which help file the Help Topics command opens.
#pragma once

#include <string>

enum class HelpFileKind { Chm, Htm, None };

struct HelpFileChoice {
    HelpFileKind kind = HelpFileKind::None;
    std::string path;  // empty for None
};

// "Sparkwright.chm" in programDir when it exists, else "Sparkwright.htm", else none.
HelpFileChoice ChooseHelpFile(const std::string &programDir);

// The text shown when neither file is there.
inline constexpr const char *kNoHelpMessage = "Sorry, no help available.";

// The text shown when the system has no program that opens the help file.
std::string HelpFileNotOpenedMessage(const std::string &path);
