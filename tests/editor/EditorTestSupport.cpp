#include "EditorTestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "uGameDirectories.h"
#include "uMain.h"
#include "uParticleMan.h"
#include "uPlatform.h"
#include "uPreferences.h"
#include "uRecovery.h"
#include "uRender.h"

namespace {
// Where the editor keeps its settings.
const QString kCompany = QStringLiteral("Brindle Works");
const QString kProduct = QStringLiteral("EmbEd");
}  // namespace

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

QStringList RendererLog(const TRendererHost &host, int slot)
{
    auto log = reinterpret_cast<const char *(*)()>(LibraryExport(host[slot].module, "FakeRendererLog"));
    if (!log)
        return {};
    return QString::fromLatin1(log()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void ClearRendererLog(const TRendererHost &host, int slot)
{
    if (auto clear = reinterpret_cast<void (*)()>(LibraryExport(host[slot].module, "FakeRendererClear")))
        clear();
}

const double *RendererOptions(const TRendererHost &host, int slot)
{
    return static_cast<const double *>(LibraryExport(host[slot].module, "FakeLastOptions"));
}

void ResetEditor(const QString &pluginDirectory)
{
    ClearStoredSettings();
    QDir(RecoveryStore::DefaultFolder()).removeRecursively();
    SetPluginDirectory(pluginDirectory);
    ProgramSettings = TProgramSettings{};
}

std::function<int(QDialog *)> AcceptGameDirectories(const QString &baseDir)
{
    return [baseDir](QDialog *d) {
        auto *g = qobject_cast<TfrmGameDirectories *>(d);
        g->edBaseDir->setText(baseDir);
        g->accept();
        return g->result();
    };
}

bool CloseByFrame(QWidget &window)
{
    QCloseEvent event;
    QApplication::sendEvent(&window, &event);
    return event.isAccepted();
}

QString ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::unique_ptr<TfrmMain> StartEditor(const QStringList &args, bool shown)
{
    auto w = std::make_unique<TfrmMain>();
    w->CommandLine = args;
    if (shown)
        w->show();
    w->FormActivate();
    return w;
}

QString FakePlugins(const QString &set)
{
    return qEnvironmentVariable("SPARKWRIGHT_FAKE_PLUGINS") + QLatin1Char('/') + set;
}

void UsePrivateSettingsFolder()
{
    static QTemporaryDir folder;
    // A test process started by a test inherits its parent's folders.
    if (qEnvironmentVariableIsSet("SPARKWRIGHT_TEST_CHILD"))
        return;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + "/config"));
    // Recovery files go to the data folder: never the user's own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));
}

void ClearStoredSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kCompany, kProduct);
    store.clear();
    store.sync();
}

void SetStoredValue(const QString &name, const QString &value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kCompany, kProduct);
    store.setValue(QStringLiteral("Settings/") + name, value);
    store.sync();
}

QString StoredValue(const QString &name)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kCompany, kProduct);
    const QString key = QStringLiteral("Settings/") + name;
    return store.contains(key) ? store.value(key).toString() : QString();
}

QStringList StoredKeys()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kCompany, kProduct);
    return store.allKeys();
}
