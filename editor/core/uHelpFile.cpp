#include "uHelpFile.h"

#include <filesystem>
#include <system_error>

namespace {

bool IsFile(const std::filesystem::path &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

HelpFileChoice ChooseHelpFile(const std::string &programDir)
{
    const std::filesystem::path dir(programDir);
    for (auto [kind, name] :
         {std::pair{HelpFileKind::Chm, "Sparkwright.chm"}, std::pair{HelpFileKind::Htm, "Sparkwright.htm"}}) {
        const std::filesystem::path path = dir / name;
        if (IsFile(path))
            return {kind, path.string()};
    }
    return {};
}

std::string HelpFileNotOpenedMessage(const std::string &path)
{
    return "The help file \"" + path +
           "\" could not be opened: no program to show it is set up on this system.\r\n"
           "Open the file with a web browser to read it.";
}
