// Recovery files and outside changes in the main window, with test plug-ins:
// work kept on Exit, by the timer and across a killed process, offered back
// at the next start; the document's file rewritten by another process.
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <memory>

#include "EditorTestSupport.h"
#include "uMain.h"
#include "uPlatform.h"
#include "uRecovery.h"

namespace {
// An edit the test manager's text carries: new types through Update.
void UpdateTypes(TfrmMain &w, const QString &text)
{
    w.Tabs->setCurrentIndex(1);
    w.ScriptEditor->setPlainText(text);
    w.btnUpdate->click();
    w.Tabs->setCurrentIndex(0);
}

std::size_t LeftoverCount()
{
    return RecoveryStore().Leftovers().size();
}

// Another process writes the file, as a text editor or a tool would.
void RewriteElsewhere(const QString &path, const QByteArray &text)
{
    QCOMPARE(QProcess::execute("/bin/sh", {"-c", "printf '%s' \"$2\" > \"$1\"", "sh", path, QString(text)}),
             0);
}

// The child process of aKilledEditorOffersItsWorkBack: opens the file, makes
// an edit, waits for its recovery file, says so and runs until killed.
int RunEditingChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    SetPluginDirectory(FakePlugins("app"));
    TfrmMain w;
    w.CommandLine = {path};
    w.FormActivate();
    w.RecoveryInterval = 100;
    UpdateTypes(w, "maintype=killed\ntype=killed\ntype=second\n");
    QFile expected(path + ".expected");
    if (!expected.open(QIODevice::WriteOnly))
        return 2;
    expected.write(reinterpret_cast<const char *>(&w.DocumentRecord), sizeof w.DocumentRecord);
    expected.close();
    QDeadlineTimer deadline(20000);
    while (!w.Recovery->HasFile() && !deadline.hasExpired())
        QTest::qWait(20);
    std::printf("kept\n");
    std::fflush(stdout);
    return app.exec();
}
}  // namespace

class RecoveryTests : public QObject {
    Q_OBJECT

    QTemporaryDir work;

    std::unique_ptr<TfrmMain> Start(const QStringList &args = {}) { return StartEditor(args); }

    QString Effect(const QString &name, const QByteArray &text = "maintype=spark\ntype=spark\ntype=smoke\n")
    {
        const QString path = work.filePath(name);
        WriteFile(path, text);
        return path;
    }

private slots:
    void init()
    {
        ResetEditor(FakePlugins("app"));
        const QString gameDir = work.filePath("game");
        QDir().mkpath(gameDir);
        SetStoredValue("GameDir", gameDir);
        SetStoredValue("CurrentRenderer", "1");
    }

    void exitKeepsTheWorkForTheNextStart()
    {
        const QString path = Effect("kept.alp");
        auto edited = std::make_unique<ParticleSystem>();
        {
            auto w = Start({path});
            UpdateTypes(*w, "maintype=kept\ntype=kept\ntype=more\n");
            *edited = w->DocumentRecord;
            QVERIFY(!w->Recovery->HasFile());  // not yet: at most every 30 s
            w->acExit->trigger();
            QVERIFY(w->Recovery->HasFile());
        }
        QCOMPARE(LeftoverCount(), std::size_t(1));

        MessageCatcher messages;
        messages.answers = {TMsgResult::Yes};
        auto w = Start({Effect("other.alp")});  // the restored work takes its place
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages[0].buttons, TMsgButtons::RestoreDiscard);
        QCOMPARE(messages.messages[0].caption, QString("Recover Unsaved Work"));
        QVERIFY(messages.messages[0].text.contains("File: " + path + "\r\n"));
        QCOMPARE(w->DocumentPath, path);
        QVERIFY(std::memcmp(edited.get(), &w->DocumentRecord, sizeof *edited) == 0);
        QVERIFY(w->HasUnsavedChanges());
        QCOMPARE(w->windowTitle(), "Sparkwright [" + path + "] *");
        QCOMPARE(w->acUndo->text(), QString("&Undo Restore"));
        QCOMPARE(w->TypeCombo->itemText(1), QString("kept"));
        // The old session's file is gone; this session keeps the work now.
        QCOMPARE(LeftoverCount(), std::size_t(0));
        QVERIFY(w->Recovery->HasFile());
        QVERIFY(w->acSaveExecute());
        QVERIFY(!w->Recovery->HasFile());
        QVERIFY(ReadFile(path).contains("maintype=kept"));
    }

    void discardOrRestoreADocumentNeverSaved()
    {
        {
            auto w = Start();
            QVERIFY(w->NewDocument(0));
            UpdateTypes(*w, "maintype=fresh\ntype=fresh\n");
            w->acExit->trigger();
        }
        MessageCatcher messages;
        messages.answers = {TMsgResult::Cancel};  // neither: asked again next time
        Start();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].text.contains("File: (never saved)\r\n"));
        QCOMPARE(LeftoverCount(), std::size_t(1));

        messages.answers = {TMsgResult::Yes};
        {
            auto w = Start();
            QCOMPARE(w->DocumentName, QString("NewParticle"));
            QVERIFY(w->DocumentPath.isEmpty());
            QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("fresh"));
            QVERIFY(w->HasUnsavedChanges());
            QVERIFY(!w->acUndo->text().contains("Restore"));
            QVERIFY(w->ScriptEditor->toPlainText().contains("type=fresh"));
            w->acExit->trigger();
        }
        messages.messages.clear();
        messages.answers = {TMsgResult::No};
        auto w = Start();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(w->DocumentName.isEmpty());
        QCOMPARE(LeftoverCount(), std::size_t(0));
    }

    void theTimerKeepsTheWorkUntilItIsSavedUndoneOrDropped()
    {
        const QString path = Effect("timed.alp");
        auto w = Start({path});
        w->RecoveryInterval = 50;
        UpdateTypes(*w, "maintype=timed\ntype=timed\n");
        QTRY_VERIFY(w->Recovery->HasFile());
        QFile file(w->Recovery->FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::optional<RecoveryEntry> kept = ParseRecoveryFile(file.readAll());
        QVERIFY(kept);
        QCOMPARE(kept->documentPath, path);
        QCOMPARE(kept->managerFile, QString("embAlphaMan.so"));
        QVERIFY(kept->text.contains("maintype=timed"));

        w->acUndo->trigger();  // back at the saved state: nothing to keep
        QVERIFY(!w->HasUnsavedChanges());
        QVERIFY(!w->Recovery->HasFile());
        w->acRedo->trigger();
        QTRY_VERIFY(w->Recovery->HasFile());

        // Typed text the manager reads is the newest work.
        w->Tabs->setCurrentIndex(1);
        w->ScriptEditor->setPlainText("maintype=typed\ntype=typed\n");
        QVERIFY(w->WriteRecovery());
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(ParseRecoveryFile(file.readAll())->text.contains("maintype=typed"));

        // Closing and answering No drops the work on purpose.
        MessageCatcher messages;
        messages.answers = {TMsgResult::No};
        QVERIFY(CloseByFrame(*w));
        QVERIFY(!w->Recovery->HasFile());
        QCOMPARE(LeftoverCount(), std::size_t(0));
    }

    void aKilledEditorOffersItsWorkBack()
    {
        const QString path = Effect("killed.alp");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SPARKWRIGHT_TEST_CHILD", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {"--edit-and-wait", path});
        QVERIFY(child.waitForStarted());
        QDeadlineTimer deadline(30000);
        while (!child.canReadLine() && !deadline.hasExpired())
            child.waitForReadyRead(200);
        QCOMPARE(child.readLine().trimmed(), QByteArray("kept"));
        child.kill();  // SIGKILL: no chance to clean up
        QVERIFY(child.waitForFinished());
        QCOMPARE(LeftoverCount(), std::size_t(1));

        MessageCatcher messages;
        messages.answers = {TMsgResult::Yes};
        auto w = Start();
        QCOMPARE(messages.messages.size(), 1);
        QFile expected(path + ".expected");
        QVERIFY(expected.open(QIODevice::ReadOnly));
        const QByteArray edited = expected.readAll();
        QCOMPARE(edited.size(), qsizetype(sizeof(ParticleSystem)));
        QVERIFY(std::memcmp(edited.constData(), &w->DocumentRecord, sizeof(ParticleSystem)) == 0);
        QCOMPARE(w->DocumentPath, path);
        QVERIFY(w->HasUnsavedChanges());
    }

    void anOutsideChangeIsReloadedAsAStep()
    {
        const QString path = Effect("watched.alp");
        auto w = Start({path});
        RewriteElsewhere(path, "maintype=rain\ntype=rain\n");
        QTRY_COMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("rain"));
        QCOMPARE(w->acUndo->text(), QString("&Undo Reload"));
        QVERIFY(!w->HasUnsavedChanges());
        QVERIFY(w->statusBar()->currentMessage().startsWith("Reloaded \"" + path));
        QCOMPARE(w->TypeCombo->count(), 2);
        QVERIFY(w->ScriptEditor->toPlainText().contains("type=rain"));
        w->acUndo->trigger();
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("spark"));
        QVERIFY(w->HasUnsavedChanges());  // differs from the file now
        w->acRedo->trigger();
        QVERIFY(!w->HasUnsavedChanges());

        // Deleted, then written again a while later: still followed.
        QVERIFY(QFile::remove(path));
        QTRY_VERIFY(w->statusBar()->currentMessage().contains("was deleted or moved"));
        QTest::qWait(400);
        RewriteElsewhere(path, "maintype=snow\ntype=snow\n");
        QTRY_COMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("snow"));
    }

    void anOutsideChangeWithUnsavedWorkAsksAndSaveAsksBeforeOverwriting()
    {
        const QString path = Effect("contested.alp");
        auto w = Start({path});
        UpdateTypes(*w, "maintype=mine\ntype=mine\n");
        MessageCatcher messages;
        messages.answers = {TMsgResult::No};
        RewriteElsewhere(path, "maintype=theirs\ntype=theirs\n");
        QTRY_COMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].text.contains("was changed by another program"));
        QCOMPARE(messages.messages[0].buttons, TMsgButtons::YesNo);
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("mine"));

        // Save asks first; No keeps the other program's file.
        messages.answers = {TMsgResult::No};
        QVERIFY(!w->acSaveExecute());
        QCOMPARE(messages.messages.size(), 2);
        QVERIFY(messages.messages[1].text.contains("Save over it?"));
        QVERIFY(ReadFile(path).contains("maintype=theirs"));
        QVERIFY(w->HasUnsavedChanges());
        messages.answers = {TMsgResult::Yes};
        QVERIFY(w->acSaveExecute());
        QVERIFY(ReadFile(path).contains("maintype=mine"));
        // The editor's own save is no outside change.
        QTest::qWait(700);
        QCOMPARE(messages.messages.size(), 3);

        // Asked again and answered Yes: the file's version comes in as a step.
        messages.answers = {TMsgResult::Yes};
        UpdateTypes(*w, "maintype=again\ntype=again\n");
        RewriteElsewhere(path, "maintype=later\ntype=later\n");
        QTRY_COMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("later"));
        QCOMPARE(messages.messages.size(), 4);
        w->acUndo->trigger();
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("again"));
    }
};

int main(int argc, char **argv)
{
    UsePrivateSettingsFolder();
    if (argc >= 3 && std::strcmp(argv[1], "--edit-and-wait") == 0)
        return RunEditingChild(argc, argv);
    QApplication app(argc, argv);
    RecoveryTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "recovery_workflow_test.moc"
