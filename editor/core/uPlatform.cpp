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
           fileName.startsWith(prefix, Qt::CaseInsensitive) &&
           fileName.endsWith(suffix, Qt::CaseInsensitive);
}

QStringList FindPluginFiles(const QString &directory, const QString &prefix,
                            const QString &suffix)
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

// Xlib last: its macros clash with Qt's names.
#include <QGuiApplication>
#include <X11/Xlib.h>

void SyncWindowSystem()
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (Display *display = x11->display())
            XSync(display, False);
    }
}

void SetNativeBackground(uintptr_t window, int red, int green, int blue)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display || !window)
        return;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || !attributes.visual)
        return;
    // Place each channel under its mask, whatever the visual's layout.
    auto channel = [](unsigned long mask, int value) -> unsigned long {
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const unsigned long max = mask >> shift;
        return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
    };
    const Visual *v = attributes.visual;
    XSetWindowBackground(display, window,
                         channel(v->red_mask, red) | channel(v->green_mask, green) | channel(v->blue_mask, blue));
    XClearWindow(display, window);
    XFlush(display);
}
