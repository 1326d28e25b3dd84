// The commands of paktool: pack a folder, list an archive, extract it.
// Each prints its own errors to standard error and returns the exit status.
#pragma once

#include <string>
#include <vector>

int PakPack(const std::string &folder, const std::string &archive);
int PakList(const std::string &archive);
// Extracts every member, or only the named ones, below folder.
int PakExtract(const std::string &archive, const std::string &folder, const std::vector<std::string> &wanted);
// Whether a member name is a plain relative path that stays below the folder.
bool PakSafeName(const std::string &name);
