// The demo game's sample effects, for the pixel tests.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

// The ".nbs" files of demoDir/effects, sorted.
inline std::vector<std::string> DemoEffectNames(const std::string &demoDir)
{
    std::vector<std::string> effects;
    if (DIR *dir = opendir((demoDir + "/effects").c_str())) {
        while (dirent *entry = readdir(dir))
            if (std::string(entry->d_name).ends_with(".nbs"))
                effects.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(effects.begin(), effects.end());
    return effects;
}
