#include "uSpriteChoice.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "uPropertyRows.h"

namespace {

std::string FileNamePart(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Canonical(const std::string &path)
{
    if (path.empty())
        return {};
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return {};
    return resolved;
}

// The path of file below dir ("" when it is not below it).
std::string RelativeBelow(const std::string &file, const std::string &dir)
{
    const std::string root = Canonical(dir);
    if (root.empty())
        return {};
    const std::string prefix = root == "/" ? root : root + "/";
    if (file.size() <= prefix.size() || file.compare(0, prefix.size(), prefix) != 0)
        return {};
    return file.substr(prefix.size());
}

bool SameFolder(const std::string &a, const std::string &b)
{
    const std::string ca = Canonical(a);
    return !ca.empty() && ca == Canonical(b);
}

}  // namespace

std::string SpriteSourceText(const CatalogEntry &entry, const std::string &baseDir,
                             const std::string &additionalDir)
{
    switch (entry.origin) {
    case SpriteOrigin::BaseFolder: return "base folder";
    case SpriteOrigin::AdditionalFolder: return "additional folder";
    case SpriteOrigin::Archive:
    case SpriteOrigin::BrokenArchive: break;
    }
    const size_t slash = entry.container.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : entry.container.substr(0, slash);
    const std::string name = FileNamePart(entry.container);
    if (!baseDir.empty() && SameFolder(folder, baseDir))
        return name + " in the base folder";
    if (!additionalDir.empty() && SameFolder(folder, additionalDir))
        return name + " in the additional folder";
    return entry.container;
}

bool SpriteMatchesFilter(const CatalogEntry &entry, std::string_view filter)
{
    const std::string name = SpriteKey(entry.name);
    size_t i = 0;
    while (i < filter.size()) {
        while (i < filter.size() && filter[i] == ' ')
            ++i;
        size_t end = i;
        while (end < filter.size() && filter[end] != ' ')
            ++end;
        if (end > i && name.find(SpriteKey(std::string(filter.substr(i, end - i)))) == std::string::npos)
            return false;
        i = end;
    }
    return true;
}

std::optional<std::string> SpriteRowPath(const CatalogEntry &entry)
{
    if (entry.origin == SpriteOrigin::BrokenArchive)
        return std::nullopt;
    std::string path = entry.name;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || path.size() > static_cast<size_t>(kMaxTextLength))
        return std::nullopt;
    return path;
}

std::optional<std::string> SpriteRowPathForFile(const std::string &file, const std::string &baseDir,
                                                const std::string &additionalDir)
{
    const std::string real = Canonical(file);
    std::string path;
    if (!real.empty()) {
        path = RelativeBelow(real, baseDir);
        if (path.empty())
            path = RelativeBelow(real, additionalDir);
    }
    if (path.empty())
        path = "sprites/" + FileNamePart(file);
    if (path.size() > static_cast<size_t>(kMaxTextLength))
        return std::nullopt;
    return path;
}

std::optional<std::string> SpriteRowPathInGame(const std::string &file, const std::string &baseDir,
                                               const std::string &additionalDir)
{
    const std::string real = Canonical(file);
    if (real.empty())
        return std::nullopt;
    std::string path = RelativeBelow(real, baseDir);
    if (path.empty())
        path = RelativeBelow(real, additionalDir);
    if (path.empty() || path.size() > static_cast<size_t>(kMaxTextLength))
        return std::nullopt;
    return path;
}

std::string SpriteDetailsText(const SpritePreview &preview)
{
    std::string text = std::to_string(preview.width) + " x " + std::to_string(preview.height) + ", " +
                       std::to_string(preview.frameCount) + (preview.frameCount == 1 ? " frame" : " frames");
    if (preview.hasGroups)
        text += " (" + std::to_string(preview.pictures.size()) + " pictures, animated)";
    else if (preview.pictures.size() > 1)
        text += " (animated)";
    return text;
}

bool SpriteMissing(const std::string &baseDir, const std::string &additionalDir,
                   const std::string &spriteText)
{
    if (spriteText.empty())
        return false;
    GameFileSystem fs;
    fs.SetGamedir(baseDir.c_str(), additionalDir.c_str(), nullptr);
    return !fs.Contains(spriteText.c_str());
}

std::string MissingSpriteTooltip(const std::string &spriteText)
{
    return "The sprite \"" + spriteText +
           "\" is not found in the game directories: the viewport draws its particles without it.";
}
