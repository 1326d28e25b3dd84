// Where the running program lies: the command-line tools find the plug-ins
// beside themselves, as the editor does.
#pragma once

#include <string>

// The folder of the program's file without a trailing slash; "." when it
// cannot be read.
std::string ProgramFolder();
