#include "uPlatform.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString &PluginDirectoryOverride()
{
    static QString directory;
    return directory;
}
}  // namespace

QString ProgramDirectory()
{
    // The link is the running image itself, whatever symlink started it.
    const QFileInfo exe(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    return exe.absolutePath();
}

QString PluginDirectory()
{
    const QString &custom = PluginDirectoryOverride();
    return custom.isEmpty() ? ProgramDirectory() : custom;
}

void SetPluginDirectory(const QString &directory)
{
    PluginDirectoryOverride() = directory;
}

TLibraryHandle LoadLibraryFile(const QString &path)
{
    return dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
}

void *LibraryExport(TLibraryHandle library, const char *name)
{
    return library ? dlsym(library, name) : nullptr;
}

void FreeLibraryFile(TLibraryHandle library)
{
    if (library)
        dlclose(library);
}

bool MatchesPluginPattern(const QString &fileName, const QString &prefix, const QString &suffix)
{
    return fileName.size() >= prefix.size() + suffix.size() &&
           fileName.startsWith(prefix, Qt::CaseInsensitive) && fileName.endsWith(suffix, Qt::CaseInsensitive);
}

QStringList FindPluginFiles(const QString &directory, const QString &prefix, const QString &suffix)
{
    QStringList found;
    const QDir dir(directory);
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (MatchesPluginPattern(entry.fileName(), prefix, suffix))
            found << entry.fileName();
    }
    return found;
}

QString ModuleSuffix()
{
    return QStringLiteral(".so");
}
