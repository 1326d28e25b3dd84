// The few operating-system services the editor needs beyond Qt: the folder of
// the running program, shared libraries, and the listing of plug-in files.
// The window system's part lives with the windows (uWindowSystem).
// One implementation per platform; only the Linux one exists now.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Folder of the running executable, without a trailing separator.
QString ProgramDirectory();

// Where the hosts look for plug-ins: the program's folder unless a test points
// them elsewhere. An empty text restores the program's folder.
QString PluginDirectory();
void SetPluginDirectory(const QString &directory);

using TLibraryHandle = void *;

// Null when the library cannot be loaded.
TLibraryHandle LoadLibraryFile(const QString &path);
// Null when the library lacks the export.
void *LibraryExport(TLibraryHandle library, const char *name);
// Looks an export up into a typed function pointer; false when it is missing.
template <typename Fn>
bool BindExport(TLibraryHandle library, const char *name, Fn &slot)
{
    slot = reinterpret_cast<Fn>(LibraryExport(library, name));
    return slot != nullptr;
}
void FreeLibraryFile(TLibraryHandle library);

// True when a file name matches a pattern made of a fixed beginning, one
// wildcard and a fixed end ("emb" "*" "Man.so"), ignoring letter case.
bool MatchesPluginPattern(const QString &fileName, const QString &prefix, const QString &suffix);

// Plain files of a folder whose names match the pattern above, sorted by name
// so that every run sees the same order.
QStringList FindPluginFiles(const QString &directory, const QString &prefix, const QString &suffix);

// The platform's suffix of loadable modules, with its dot.
QString ModuleSuffix();
