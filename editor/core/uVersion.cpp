#include "uVersion.h"

std::string ProgramFileVersion()
{
#ifdef SPARKWRIGHT_VERSION
    return SPARKWRIGHT_VERSION;
#else
    return {};
#endif
}

std::string VersionLine(const std::string &version)
{
    return "Version " + (version.empty() ? std::string("<unknown>") : version);
}
