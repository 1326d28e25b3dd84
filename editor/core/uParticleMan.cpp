#include "uParticleMan.h"

#include "uMessages.h"

TParticleManager ManagerTable[kMaxManagers];
int ManagerCount = 0;

namespace {
// Plug-ins are outside code: never trust them to terminate a buffer.
QString BufferText(char *buffer, int size)
{
    buffer[size - 1] = '\0';
    return QString::fromLatin1(buffer);
}

bool BindManager(TParticleManager &m)
{
    // Every export is tried so that a partial table never survives.
    bool ok = true;
    ok &= BindExport(m.module, "embGetSupportedExtensions", m.GetSupportedExtensions);
    ok &= BindExport(m.module, "embIsExtensionSupported", m.IsExtensionSupported);
    ok &= BindExport(m.module, "embLoadFile", m.LoadFile);
    ok &= BindExport(m.module, "embSaveFile", m.SaveFile);
    ok &= BindExport(m.module, "embGetManagerTitle", m.GetManagerTitle);
    ok &= BindExport(m.module, "embLoadMemoryFile", m.LoadMemoryFile);
    ok &= BindExport(m.module, "embSaveMemoryFile", m.SaveMemoryFile);
    ok &= BindExport(m.module, "embGetDefaults", m.GetDefaults);
    ok &= BindExport(m.module, "embNewParticles", m.NewParticles);
    ok &= BindExport(m.module, "embIsText", m.IsText);
    ok &= BindExport(m.module, "embGetUserParmName", m.GetUserParmName);
    return ok;
}
}  // namespace

QString ManagerFilePrefix()
{
    return QStringLiteral("emb");
}

QString ManagerFileSuffix()
{
    return QStringLiteral("Man") + ModuleSuffix();
}

void LoadManagers(QWidget *owner)
{
    ManagerCount = 0;
    const QString directory = PluginDirectory();
    const QStringList files = FindPluginFiles(directory, ManagerFilePrefix(), ManagerFileSuffix());
    for (const QString &file : files) {
        if (ManagerCount >= kMaxManagers)
            break;
        TParticleManager &slot = ManagerTable[ManagerCount];
        slot = TParticleManager{};
        TLibraryHandle module = LoadLibraryFile(directory + QLatin1Char('/') + file);
        if (!module) {
            ShowMessageBox(owner, QStringLiteral("Failed to load library: ") + file, QString(),
                           TMsgIcon::Warning);
            continue;
        }
        slot.module = module;
        slot.fileName = file;
        if (!BindManager(slot)) {
            ShowMessageBox(owner, file + QStringLiteral(" is not a valid ParticleMan extension!"),
                           QString(), TMsgIcon::Warning);
            FreeLibraryFile(module);
            slot = TParticleManager{};
            continue;
        }
        char buffer[kManagerNameBufferSize] = {};
        slot.GetManagerTitle(buffer);
        slot.title = BufferText(buffer, sizeof buffer);
        slot.isText = static_cast<uint8_t>(slot.IsText() & 0xFF);
        for (int i = 0; i < kUserSlotCount; ++i) {
            slot.GetUserParmName(i, slot.userParmNames[i]);
            slot.userParmNames[i][kManagerNameBufferSize - 1] = '\0';
        }
        ++ManagerCount;
    }
}

void UnloadManagers()
{
    for (int i = 0; i < ManagerCount; ++i) {
        if (ManagerTable[i].module) {
            FreeLibraryFile(ManagerTable[i].module);
            ManagerTable[i].module = nullptr;
        }
    }
}

QString ManagerFilterText()
{
    QString filter;
    for (int i = 0; i < ManagerCount; ++i) {
        if (!ManagerTable[i].module)
            continue;
        char buffer[kManagerNameBufferSize] = {};
        ManagerTable[i].GetSupportedExtensions(buffer);
        if (i > 0)
            filter += QLatin1Char('|');
        filter += BufferText(buffer, sizeof buffer);
    }
    return filter;
}

int ManagerForExtension(const QString &extension)
{
    const QByteArray ext = extension.toLatin1();
    for (int i = 0; i < ManagerCount; ++i) {
        if (ManagerTable[i].module && (ManagerTable[i].IsExtensionSupported(ext.constData()) & 0xFF))
            return i;
    }
    return -1;
}

QString ManagerListLine(int index)
{
    if (!ManagerValid(index))
        return QString();
    const TParticleManager &m = ManagerTable[index];
    return m.title + QStringLiteral(" [") + m.fileName + QLatin1Char(']');
}

bool ManagerValid(int index)
{
    return index >= 0 && index < ManagerCount && ManagerTable[index].module != nullptr;
}
