#include "uParticleMan.h"

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
    // Optional: a manager without them works, without the script checks.
    BindExport(m.module, "embCheckMemoryFile", m.CheckMemoryFile);
    BindExport(m.module, "embGetScriptKeys", m.GetScriptKeys);
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

TManagerHost::~TManagerHost()
{
    Unload();
}

void TManagerHost::Load(const QString &directory, const THostWarning &warn)
{
    Unload();
    count_ = 0;
    auto report = [&warn](const QString &text) {
        if (warn)
            warn(text, QString());
    };
    const QStringList files = FindPluginFiles(directory, ManagerFilePrefix(), ManagerFileSuffix());
    for (const QString &file : files) {
        if (count_ >= kMaxManagers)
            break;
        TParticleManager &slot = table_[count_];
        slot = TParticleManager{};
        TLibraryHandle module = LoadLibraryFile(directory + QLatin1Char('/') + file);
        if (!module) {
            report(QStringLiteral("Failed to load library: ") + file);
            continue;
        }
        slot.module = module;
        slot.fileName = file;
        loaded_[count_] = true;
        if (!BindManager(slot)) {
            report(file + QStringLiteral(" is not a valid ParticleMan extension!"));
            FreeLibraryFile(module);
            slot = TParticleManager{};
            loaded_[count_] = false;
            continue;
        }
        char buffer[kManagerNameBufferSize] = {};
        slot.GetManagerTitle(buffer);
        slot.title = BufferText(buffer, sizeof buffer);
        slot.isText = PluginLowByte(slot.IsText());
        for (int i = 0; i < kUserSlotCount; ++i) {
            slot.GetUserParmName(i, slot.userParmNames[i]);
            slot.userParmNames[i][kManagerNameBufferSize - 1] = '\0';
        }
        ++count_;
    }
}

void TManagerHost::Unload()
{
    for (int i = 0; i < count_; ++i) {
        if (table_[i].module && loaded_[i])
            FreeLibraryFile(table_[i].module);
        table_[i].module = nullptr;
        loaded_[i] = false;
    }
}

int TManagerHost::Add(const TParticleManager &manager)
{
    if (count_ >= kMaxManagers)
        return -1;
    table_[count_] = manager;
    loaded_[count_] = false;
    return count_++;
}

QString TManagerHost::FilterText() const
{
    QString filter;
    for (int i = 0; i < count_; ++i) {
        if (!table_[i].module)
            continue;
        char buffer[kManagerNameBufferSize] = {};
        table_[i].GetSupportedExtensions(buffer);
        if (i > 0)
            filter += QLatin1Char('|');
        filter += BufferText(buffer, sizeof buffer);
    }
    return filter;
}

int TManagerHost::ForExtension(const QString &extension) const
{
    const QByteArray ext = extension.toLatin1();
    for (int i = 0; i < count_; ++i) {
        if (table_[i].module && PluginYes(table_[i].IsExtensionSupported(ext.constData())))
            return i;
    }
    return -1;
}

QString TManagerHost::ListLine(int index) const
{
    if (!Valid(index))
        return QString();
    const TParticleManager &m = table_[index];
    return m.title + QStringLiteral(" [") + m.fileName + QLatin1Char(']');
}

bool TManagerHost::Valid(int index) const
{
    return index >= 0 && index < count_ && table_[index].module != nullptr;
}
