#include "EditorTestSupport.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "uPlatform.h"
#include "uRender.h"

MessageCatcher::MessageCatcher()
{
    SetMessageHook([this](const TMessageRecord &m) {
        messages << m;
        if (answers.empty())
            return m.buttons == TMsgButtons::Ok ? TMsgResult::Ok : TMsgResult::Yes;
        const TMsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageCatcher::~MessageCatcher()
{
    SetMessageHook(nullptr);
}

QStringList MessageCatcher::Texts() const
{
    QStringList texts;
    for (const TMessageRecord &m : messages)
        texts << m.text;
    return texts;
}

DialogCatcher::DialogCatcher()
{
    SetDialogHook([this](QDialog *dialog) {
        seen << dialog->objectName();
        if (handlers.empty())
            return int(QDialog::Rejected);
        auto handler = std::move(handlers.front());
        handlers.pop_front();
        return handler(dialog);
    });
}

DialogCatcher::~DialogCatcher()
{
    SetDialogHook(nullptr);
}

QStringList RendererLog(int slot)
{
    auto log = reinterpret_cast<const char *(*)()>(LibraryExport(RendererTable[slot].module, "FakeRendererLog"));
    if (!log)
        return {};
    return QString::fromLatin1(log()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void ClearRendererLog(int slot)
{
    if (auto clear = reinterpret_cast<void (*)()>(LibraryExport(RendererTable[slot].module, "FakeRendererClear")))
        clear();
}

const double *RendererOptions(int slot)
{
    return static_cast<const double *>(LibraryExport(RendererTable[slot].module, "FakeLastOptions"));
}

QString FakePlugins(const QString &set)
{
    return qEnvironmentVariable("SPARKWRIGHT_FAKE_PLUGINS") + QLatin1Char('/') + set;
}

void UsePrivateSettingsFolder()
{
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
}


void ClearStoredSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    store.clear();
    store.sync();
}

void SetStoredValue(const QString &name, const QString &value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    store.setValue(QStringLiteral("Settings/") + name, value);
    store.sync();
}

QString StoredValue(const QString &name)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    const QString key = QStringLiteral("Settings/") + name;
    return store.contains(key) ? store.value(key).toString() : QString();
}

QStringList StoredKeys()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    return store.allKeys();
}
