// The program's own file version, as the About box shows it.
#pragma once

#include <string>

// The version compiled into the program, or an empty text when it has none.
std::string ProgramFileVersion();

// "Version " and the version, or "<unknown>" when the version is empty.
std::string VersionLine(const std::string &version);
