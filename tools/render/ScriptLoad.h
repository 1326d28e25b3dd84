// Reading a script into the particle record through the manager plug-in, as
// the editor does: the plug-in is loaded from the program's own folder.
#pragma once

#include <string>

#include "ParticleSystem.h"

// The folder the running program lies in (links resolved), with no slash at the end.
std::string ProgramFolder();

// Loads the manager at managerPath and reads the script into record. False
// with a message for a missing or unusable manager, a missing script or a
// script the manager rejects.
bool LoadScript(const std::string &managerPath, const std::string &script, ParticleSystem &record,
                std::string &error);

inline constexpr const char *kManagerFileName = "embTarnParticleMan.so";
