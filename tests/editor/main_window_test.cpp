// The main window with test plug-ins: start-up sequence, document workflow,
// closing, settings and dialogs.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <map>
#include <memory>

#include "EditorTestSupport.h"
#include "uGameDirectories.h"
#include "uMain.h"
#include "uParticleMan.h"
#include "uPlaybackControls.h"
#include "uPreferences.h"
#include "uPropertyGrid.h"
#include "uRender.h"
#include "uSelectRenderer.h"
#include "uViewport.h"

namespace {
QString ActionLine(QAction *a)
{
    if (a->isSeparator())
        return "-";
    return a->text() + " | " + a->shortcut().toString() + " | " + a->property("hint").toString() +
           (a->isEnabled() ? " | on" : " | off");
}

QStringList Lines(const QList<QAction *> &actions)
{
    QStringList lines;
    for (QAction *a : actions)
        lines << (a->isSeparator() ? "-" : a->text());
    return lines;
}

// A real edit through the inspector: one step in the document's history.
void EditParticleCount(TfrmMain &w, int count)
{
    w.ObjectInspectorValidate(1, 0, "Number of Particles", QString::number(count));
    QCOMPARE(w.DocumentRecord.particles, count);
}

}  // namespace

class MainWindowTests : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString gameDir;

    std::unique_ptr<TfrmMain> Start(const QStringList &args = {}) { return StartEditor(args); }

    void SeedUsualSettings()
    {
        SetStoredValue("GameDir", gameDir);
        SetStoredValue("CurrentRenderer", "1");
    }

    QString Effect(const QString &name, const QByteArray &text = "maintype=spark\ntype=spark\ntype=smoke\n")
    {
        const QString path = work.filePath(name);
        WriteFile(path, text);
        return path;
    }

private slots:
    void initTestCase()
    {
        gameDir = work.filePath("game");
        QDir().mkpath(gameDir);
    }

    void init() { ResetEditor(FakePlugins("app")); }

    void actionTableAsDesigned()
    {
        TfrmMain w;
        QStringList lines;
        for (QAction *a : {w.acNew,
                           w.acOpen,
                           w.acSave,
                           w.acSaveAs,
                           w.acReopenClosed,
                           w.acClearMissing,
                           w.acClearRecent,
                           w.acEditTypes,
                           w.acPreferences,
                           w.acChangeGamedir,
                           w.acExit,
                           w.acUndo,
                           w.acRedo,
                           w.acCut,
                           w.acCopy,
                           w.acPaste,
                           w.acSelectAll,
                           w.acSelectRendererOGL,
                           w.acSelectRendererD3D7,
                           w.acSelectRendererD3D9,
                           w.acShowGround,
                           w.acGetRenderInfo,
                           w.acHelpTopics,
                           w.acWebSite,
                           w.acHelpAbout})
            lines << ActionLine(a);
        const QStringList expected = {
            "&New... | Ctrl+N | Create new particles | on",
            "&Open... | Ctrl+O | Load particles from file | on",
            "&Save | Ctrl+S | Save changes in particles | off",
            "Save &As... |  | Save particles to another file | off",
            "Reopen &Closed File | Ctrl+Shift+T | Reopen the file closed last | off",
            "Remove &Missing Files |  | Remove the files that no longer exist from the list | off",
            "C&lear List |  | Empty the list of recent files | off",  // nothing listed yet
            "Edit &Types... | Ctrl+T | Edit particle types | off",    // no document yet
            "&Preferences... | Ctrl+P |  | on",
            "&Game Directories... | Ctrl+G | Change your game directory | on",
            "E&xit |  | Close program | on",
            "&Undo | Ctrl+Z | Undo|Reverts the last action | on",
            "&Redo | Ctrl+Shift+Z | Redo|Repeats the last action undone | on",
            "Cu&t | Ctrl+X | Cut|Cuts the selection and puts it on the Clipboard | on",
            "&Copy | Ctrl+C | Copy|Copies the selection and puts it on the Clipboard | on",
            "&Paste | Ctrl+V | Paste|Inserts Clipboard contents | on",
            "Select &All | Ctrl+A | Select All|Selects the entire document | on",
            "&OpenGL | Ctrl+F1 | Select OpenGL Renderer | off",
            "&Direct3D7 | Ctrl+F2 | Select Direct3D7 Renderer | off",
            "D&irect3D9 | Ctrl+F3 | Select Direct3D9 Renderer | off",
            "Show &Ground | F4 | Toggle ground rendering | on",
            "&Renderer Information... | Ctrl+I | Show information about current renderer | off",
            "&Help Topics | F1 | Show Sparkwright Help File | on",
            "&Brindle Works On Web |  | Visit Brindle Works web site | on",
            "&About Sparkwright... |  | Show information about program | on",
        };
        QCOMPARE(lines, expected);
        QVERIFY(w.acShowGround->isChecked());
        QCOMPARE(w.acRedo->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
        QCOMPARE(w.acCopy->statusTip(), QString("Copies the selection and puts it on the Clipboard"));
        QCOMPARE(w.acCopy->toolTip(), QString("Copy"));

        QCOMPARE(Lines(w.mnuFile->actions()),
                 QStringList({"&New...", "&Open...", "&Recent Files", "&Save", "Save &As...", "-",
                              "Edit &Types...", "-", "&Preferences...", "&Game Directories...", "-",
                              "E&xit"}));
        QCOMPARE(Lines(w.mnuEdit->actions()),
                 QStringList({"&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "-", "Select &All"}));
        QCOMPARE(Lines(w.mnuRender->actions()),
                 QStringList({"&OpenGL", "&Direct3D7", "D&irect3D9", "-", "Show &Ground", "-",
                              "&Renderer Information...", "-", "&Pause", "S&tep Frame", "&Restart Effect",
                              "Sp&eed", "-", "Reset &View", "&Frame Effect"}));
        QCOMPARE(Lines(w.mnuHelp->actions()),
                 QStringList({"&Help Topics", "&Brindle Works On Web", "-", "&About Sparkwright..."}));
        QCOMPARE(Lines(w.ToolBar->actions()),
                 QStringList({"&New...", "&Open...", "&Save", "-", "&Undo", "&Redo", "Cu&t", "&Copy",
                              "&Paste", "-", "&Help Topics", "-", "&Pause", "S&tep Frame", "&Restart Effect",
                              "", "Reset &View", "&Frame Effect"}));
        QCOMPARE(w.Tabs->tabText(0), QString("Properties"));
        QCOMPARE(w.Tabs->tabText(1), QString("Script"));
        QCOMPARE(w.lblScriptManager->text(), QString("<Not loaded>"));
        QCOMPARE(w.windowTitle(), QString("Sparkwright"));
        QCOMPARE(w.FrameTimer->interval(), 16);
        QVERIFY(w.FrameTimer->isActive());
    }

    void firstRunDeclinedEndsWithoutPluginsOrSettings()
    {
        MessageCatcher messages;
        DialogCatcher dialogs;
        bool cancelEnabled = true;
        QString shownBase = "x";
        dialogs.handlers.push_back([&](QDialog *d) {
            auto *g = qobject_cast<TfrmGameDirectories *>(d);
            cancelEnabled = g->btnCancel->isEnabled();
            shownBase = g->edBaseDir->text();
            return int(QDialog::Rejected);  // closed by its frame
        });
        auto w = Start();
        QCOMPARE(dialogs.seen, QStringList({"frmGameDirectories"}));
        QVERIFY(!cancelEnabled);
        QCOMPARE(shownBase, QString());
        QVERIFY(w->Terminated);
        QCOMPARE(w->Managers.Count(), 0);
        QVERIFY(w->Renderers[0].module == nullptr);
        QVERIFY(CloseByFrame(*w));
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(StoredKeys().isEmpty());
    }

    void firstRunAsksDirectoriesThenRendererAndSendsDefaults()
    {
        MessageCatcher messages;
        DialogCatcher dialogs;
        dialogs.handlers.push_back(AcceptGameDirectories(gameDir));
        QStringList buttons;
        dialogs.handlers.push_back([&](QDialog *d) {
            auto *s = qobject_cast<TfrmSelectRenderer *>(d);
            for (int slot = 0; slot < 3; ++slot) {
                QRadioButton *b = s->Button(slot);
                buttons << QString("%1 %2 %3 %4")
                               .arg(b->text())
                               .arg(b->isEnabled())
                               .arg(b->isChecked())
                               .arg(b->toolTip());
            }
            buttons << s->windowTitle();
            return int(QDialog::Accepted);
        });
        auto w = Start();
        QCOMPARE(dialogs.seen, QStringList({"frmGameDirectories", "frmSelectRenderer"}));
        QCOMPARE(buttons, QStringList({"OpenGL 1 1 Fake GL", "Direct3D7 0 0 ", "Direct3D9 1 0 Fake D3D9",
                                       "Renderer"}));
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(w->GameDir, gameDir);
        QVERIFY(w->Renderers.DeviceOpen());
        QCOMPARE(w->Renderers.Current(), 0);
        QVERIFY(w->acSelectRendererOGL->isChecked());
        QVERIFY(w->acSelectRendererOGL->isEnabled());
        QVERIFY(!w->acSelectRendererD3D7->isEnabled());
        QVERIFY(w->acSelectRendererD3D9->isEnabled());
        QVERIFY(w->acGetRenderInfo->isEnabled());

        const QSize size = w->ViewportPixelSize();
        QCOMPARE(RendererLog(w->Renderers, 0),
                 QStringList({"Initialize", "Open window",
                              QString("Resize %1 %2").arg(size.width()).arg(size.height()),
                              "Gamedir [" + gameDir + "] []", "Options 1 1", "Ground 1"}));
        const double *o = RendererOptions(w->Renderers, 0);
        QCOMPARE(o[0], 128 / 255.0);
        QCOMPARE(o[3], 70 / 255.0);
        QCOMPARE(o[6], 1.0);

        QVERIFY(CloseByFrame(*w));
        QCOMPARE(StoredKeys().size(), 12);
        QCOMPARE(StoredValue("GameDir"), gameDir);
        QCOMPARE(StoredValue("GameDir2"), QString(""));
        QCOMPARE(StoredValue("CurrentRenderer"), QString("1"));
        QCOMPARE(StoredValue("ShowGround"), QString("1"));
        QCOMPARE(StoredValue("StartMaximized"), QString("0"));
        QCOMPARE(StoredValue("Headinsert"), QString("//Generated by Sparkwright"));
        QCOMPARE(StoredValue("BgColor"), QString("8421504"));
        QCOMPARE(StoredValue("TxtColor"), QString("16777215"));
        QCOMPARE(StoredValue("WaitSync"), QString("1"));
    }

    void storedRendererChoiceSkipsTheDialog()
    {
        SeedUsualSettings();
        DialogCatcher dialogs;
        auto w = Start();
        QVERIFY(dialogs.seen.isEmpty());
        QVERIFY(w->Renderers.DeviceOpen());
        QVERIFY(w->acSelectRendererOGL->isChecked());
    }

    void renderersLoadedEarlyPrepareTheStoredChoiceAndReportAtStartUp()
    {
        // The working set's OpenGL renderer and a Direct3D7 library that is none.
        QTemporaryDir plugins;
        QVERIFY(QFile::copy(FakePlugins("app") + "/gxOpenGL.so", plugins.filePath("gxOpenGL.so")));
        WriteFile(plugins.filePath("gxD3D7.so"), "not a library\n");
        SetPluginDirectory(plugins.path());
        SeedUsualSettings();
        MessageCatcher messages;
        auto w = std::make_unique<TfrmMain>(nullptr, TStartup::LoadRenderersEarly);
        w->Renderers.FinishPreparation();
        // Loaded while the window was built, and the stored choice told; the
        // report about the other library waits for the start-up sequence.
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Initialize", "Prepare"}));
        QVERIFY(messages.messages.isEmpty());
        w->FormActivate();
        QCOMPARE(messages.Texts(), QStringList({"Failed to load library: gxD3D7.so"}));
        // The same library goes on to open its device: it was not loaded again.
        QCOMPARE(RendererLog(w->Renderers, 0).mid(0, 3),
                 QStringList({"Initialize", "Prepare", "Open window"}));
        QVERIFY(w->Renderers.DeviceOpen());

        // No stored choice (a first run): nothing is prepared.
        w.reset();
        SetStoredValue("CurrentRenderer", "0");
        auto fresh = std::make_unique<TfrmMain>(nullptr, TStartup::LoadRenderersEarly);
        fresh->Renderers.FinishPreparation();
        QCOMPARE(RendererLog(fresh->Renderers, 0), QStringList({"Initialize"}));
    }

    void unusableStoredRendererChoiceAsksAgain_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("unsupported slot") << "2";
        QTest::newRow("beyond the slots") << "7";
        QTest::newRow("negative") << "-1";
        QTest::newRow("not a number") << "gl";
    }

    void unusableStoredRendererChoiceAsksAgain()
    {
        QFETCH(QString, stored);
        SetStoredValue("GameDir", gameDir);
        SetStoredValue("CurrentRenderer", stored);
        MessageCatcher messages;
        DialogCatcher dialogs;
        dialogs.handlers.push_back([](QDialog *d) {
            qobject_cast<TfrmSelectRenderer *>(d)->RadioButton3->setChecked(true);
            return int(QDialog::Accepted);
        });
        auto w = Start();
        QCOMPARE(dialogs.seen, QStringList({"frmSelectRenderer"}));
        // Direct3D9 is current, but its device never opens: no message, no frames.
        QCOMPARE(w->Renderers.Current(), 2);
        QVERIFY(!w->Renderers.DeviceOpen());
        QVERIFY(w->acSelectRendererD3D9->isChecked());
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(RendererLog(w->Renderers, 2), QStringList({"Initialize", "Open window"}));
        QTest::qWait(60);
        QCOMPARE(RendererLog(w->Renderers, 2).size(), 2);
        QVERIFY(CloseByFrame(*w));
        QCOMPARE(StoredValue("CurrentRenderer"), QString("3"));
    }

    void withoutRenderersTheEditorRunsOnWithoutAViewport()
    {
        SetPluginDirectory(FakePlugins("empty"));
        SeedUsualSettings();
        MessageCatcher messages;
        DialogCatcher dialogs;
        const QString path = Effect("lonely.alp");
        auto w = Start({path});
        QCOMPARE(messages.Texts().size(), 2);
        QCOMPARE(messages.messages[0].text, QString("No renderers available!"));
        QCOMPARE(messages.messages[0].caption, QString("Sparkwright"));
        QCOMPARE(messages.messages[0].icon, TMsgIcon::Warning);
        // No manager either: the command line says so instead of failing silently.
        QVERIFY(messages.messages[1].text.startsWith("No particle manager plug-in is loaded"));
        QVERIFY(!w->acGetRenderInfo->isEnabled());
        QVERIFY(!w->acSelectRendererOGL->isEnabled());
        QVERIFY(dialogs.seen.isEmpty());
        QCOMPARE(w->windowTitle(), QString("Sparkwright"));

        // Open and Save As say the same.
        w->acOpenExecute();
        w->acSaveAsExecute();
        QCOMPARE(messages.messages.size(), 4);
        QCOMPARE(messages.messages[3].text, messages.messages[1].text);
        QVERIFY(dialogs.seen.isEmpty());
    }

    void commandLineOpensThroughTheManagerOfTheExtension()
    {
        SeedUsualSettings();
        MessageCatcher messages;
        const QString path = Effect("effect.BET", "maintype=spark\ntype=spark\r\ntype=smoke\n");
        auto w = Start({path});
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(w->DocumentPath, path);
        QCOMPARE(w->DocumentName, path);
        QCOMPARE(w->windowTitle(), "Sparkwright [" + path + "]");
        QCOMPARE(w->CurrentManager, 1);
        QCOMPARE(w->DocumentRecord.particles, 2);
        QCOMPARE(w->lblScriptManager->text(), QString("Beta Particle"));
        QVERIFY(w->DocumentReady);
        QVERIFY(!w->RecordModified && !w->ScriptModified);
        QVERIFY(w->acSave->isEnabled() && w->acSaveAs->isEnabled() && w->acEditTypes->isEnabled());
        QVERIFY(w->TypeCombo->isEnabled() && w->ObjectInspector->isEnabled());
        QCOMPARE(w->TypeCombo->count(), 3);
        QCOMPARE(w->TypeCombo->itemText(0), QString("<GLOBAL>"));
        // This manager gives no text: the pane cannot be used.
        QCOMPARE(w->ScriptEditor->toPlainText(), QString("Script is not editable!"));
        QVERIFY(!w->ScriptEditor->isEnabled() && !w->btnUpdate->isEnabled() && !w->btnRevert->isEnabled());
        const QStringList log = RendererLog(w->Renderers, 0);
        QVERIFY(log.indexOf("Particles 2") >= 0);
        QCOMPARE(log.at(log.indexOf("Particles 2") + 1), QString("Textures"));
    }

    void commandLineWithUnsupportedOrMissingFiles()
    {
        SeedUsualSettings();
        {
            MessageCatcher messages;
            const QString path = Effect("effect.xyz");
            auto w = Start({path});
            QCOMPARE(messages.Texts(), QStringList({"Unsupported file format: \"" + path + "\""}));
            QCOMPARE(messages.messages[0].caption, QString("Sparkwright"));
            QCOMPARE(messages.messages[0].icon, TMsgIcon::Warning);
            QCOMPARE(w->windowTitle(), QString("Sparkwright"));
            QVERIFY(!w->acSave->isEnabled());
        }
        {
            // A file that is not there is said so, not passed over in silence.
            MessageCatcher messages;
            auto w = Start({work.filePath("absent.alp")});
            QCOMPARE(messages.Texts(), QStringList({"The file \"" + work.filePath("absent.alp") +
                                                    "\", named on the command line, does not exist."}));
            QCOMPARE(messages.messages[0].icon, TMsgIcon::Warning);
            QVERIFY(w->DocumentPath.isEmpty());
        }
        {
            MessageCatcher messages;
            auto w = Start({work.path()});
            QCOMPARE(messages.Texts(),
                     QStringList({"\"" + work.path() +
                                  "\", named on the command line, is a folder, not a particle file."}));
        }
    }

    void openUsesTheChosenFilterEntryNotTheExtension()
    {
        SeedUsualSettings();
        MessageCatcher messages;
        DialogCatcher dialogs;
        auto w = Start();
        QVERIFY(!w->OpenDialog);  // made when first needed
        w->CreateFileDialogs();
        QCOMPARE(w->OpenDialog->windowTitle(), QString("Open Particle File"));
        QCOMPARE(w->OpenDialog->nameFilters(),
                 QStringList({"Alpha Particles (*.alp)", "Beta Particles (*.bet)"}));
        QCOMPARE(w->OpenDialog->directory().absolutePath(), QDir(ProgramDirectory()).absolutePath());
        QCOMPARE(w->SaveDialog->nameFilters(), w->OpenDialog->nameFilters());
        QCOMPARE(w->SaveDialog->defaultSuffix(), QString("alp"));
        w->SaveDialog->selectNameFilter("Beta Particles (*.bet)");
        emit w->SaveDialog->filterSelected("Beta Particles (*.bet)");
        QCOMPARE(w->SaveDialog->defaultSuffix(), QString("bet"));

        const QString path = Effect("picked.alp");
        dialogs.handlers.push_back([&](QDialog *d) {
            auto *f = qobject_cast<QFileDialog *>(d);
            f->selectNameFilter(f->nameFilters().at(1));
            f->selectFile(path);
            return int(QDialog::Accepted);
        });
        w->acOpenExecute();
        QCOMPARE(w->CurrentManager, 1);
        QCOMPARE(w->DocumentRecord.particles, 2);

        // The dialog keeps the entry chosen last.
        const QString second = Effect("again.alp");
        dialogs.handlers.push_back([&](QDialog *d) {
            qobject_cast<QFileDialog *>(d)->selectFile(second);
            return int(QDialog::Accepted);
        });
        w->acOpenExecute();
        QCOMPARE(w->DocumentPath, second);
        QCOMPARE(w->CurrentManager, 1);
        QVERIFY(messages.messages.isEmpty());
    }

    void aRejectedFileChangesNothing()
    {
        SeedUsualSettings();
        const QString good = Effect("good.alp");
        auto w = Start({good});
        MessageCatcher messages;
        const QString bad = Effect("bad.alp", "REJECT\n");
        QVERIFY(!w->OpenDocument(bad, 1));
        QCOMPARE(messages.Texts(),
                 QStringList({"Failed to load particles from " + bad + "\r\nManager: embAlphaMan.so"}));
        QCOMPARE(messages.messages[0].caption, QString("Error"));
        QCOMPARE(messages.messages[0].icon, TMsgIcon::Warning);
        QCOMPARE(w->DocumentPath, good);
        QCOMPARE(w->windowTitle(), "Sparkwright [" + good + "]");
    }

    void saveShowsTheFileAsTheManagerWroteIt()
    {
        SeedUsualSettings();
        auto w = Start({Effect("source.alp")});
        ProgramSettings.Headinsert = "//first line\r\n//second line";
        w->ScriptEditor->appendPlainText("type=typed");
        QVERIFY(w->ScriptModified);
        w->RecordModified = true;
        const QString target = work.filePath("saved.alp");
        QVERIFY(w->SaveDocument(target, 1));
        const QString written = ReadFile(target);
        QVERIFY(written.startsWith("//first line\r\n//second line\r\nmaintype=spark\r\n"));
        QCOMPARE(w->ScriptEditor->toPlainText(), QString(written).replace("\r\n", "\n"));
        QCOMPARE(LinesText(w->ScriptBackup, "\r\n"), written);
        QCOMPARE(w->DocumentPath, target);
        QCOMPARE(w->windowTitle(), "Sparkwright [" + target + "]");
        QCOMPARE(w->lblScriptManager->text(), QString("Alpha Particle"));
        QVERIFY(!w->RecordModified && !w->ScriptModified);
    }

    void aFailedSaveKeepsTheModifiedFlags()
    {
        SeedUsualSettings();
        const QString source = Effect("kept.alp");
        auto w = Start({source});
        w->ScriptEditor->appendPlainText("type=more");
        w->RecordModified = true;
        MessageCatcher messages;
        const QString target = work.filePath("no/such/folder/x.alp");
        QVERIFY(!w->SaveDocument(target, 1));
        QCOMPARE(messages.Texts(),
                 QStringList({"Failed to save particles to " + target + "\r\nManager: embAlphaMan.so"}));
        QCOMPARE(messages.messages[0].caption, QString("Error"));
        QVERIFY(w->RecordModified && w->ScriptModified);
        QCOMPARE(w->DocumentPath, source);

        // Closing still asks; Cancel keeps the window and writes nothing.
        messages.answers.push_back(TMsgResult::Cancel);
        QVERIFY(!CloseByFrame(*w));
        QCOMPARE(messages.messages.size(), 2);
        QCOMPARE(messages.messages[1].text, "Save changes in \"" + source + "\"?");
        QCOMPARE(messages.messages[1].caption, QString("Confirm"));
        QCOMPARE(messages.messages[1].buttons, TMsgButtons::YesNoCancel);
        QVERIFY(!w->ClosedDown);
        QVERIFY(StoredValue("ShowGround").isNull());
    }

    void closeQuestionAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(TMsgResult::Yes);
        QTest::newRow("no") << int(TMsgResult::No);
    }

    void closeQuestionAnswers()
    {
        QFETCH(int, answer);
        SeedUsualSettings();
        const QString path = Effect("asked.alp");
        auto w = Start({path});
        w->Tabs->setCurrentIndex(1);  // Save then applies the pane first
        w->ScriptEditor->appendPlainText("type=asked");
        QFile::remove(path);
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult(answer));
        QVERIFY(CloseByFrame(*w));
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(w->ClosedDown);
        QCOMPARE(StoredValue("ShowGround"), QString("1"));
        // Yes saves what the pane held, No saves nothing.
        QCOMPARE(QFile::exists(path), answer == int(TMsgResult::Yes));
        if (answer == int(TMsgResult::Yes))
            QVERIFY(ReadFile(path).contains("type=asked"));
    }

    // Yes to the save question and then no save (Save As cancelled, the
    // file read-only) keeps the window and the edits: closing, New and Open.
    void aSaveThatDoesNotHappenKeepsTheDocument()
    {
        SeedUsualSettings();
        auto w = Start({Effect("base.alp")});
        w->DocumentPath.clear();
        w->DocumentName = "NewParticle";
        EditParticleCount(*w, 77);
        MessageCatcher messages;
        DialogCatcher dialogs;  // rejects the save dialog
        messages.answers.push_back(TMsgResult::Yes);
        QVERIFY(!CloseByFrame(*w));
        QCOMPARE(messages.Texts(), QStringList({"Save changes in \"NewParticle\"?"}));
        QCOMPARE(dialogs.seen, QStringList({"SaveDialog"}));
        QVERIFY(!w->ClosedDown);
        QCOMPARE(w->DocumentRecord.particles, 77);
        QVERIFY(w->HasUnsavedChanges());
        QCOMPARE(w->windowTitle(), QString("Sparkwright [NewParticle] *"));

        // A file that cannot be written: the failure is shown and the window stays.
        const QString locked = Effect("locked.alp");
        QVERIFY(w->OpenDocument(locked, 1));
        EditParticleCount(*w, 55);
        // A folder where the file was: no write can succeed, not even as root.
        QVERIFY(QFile::remove(locked));
        QVERIFY(QDir(work.path()).mkdir("locked.alp"));
        for (auto command : {0, 1, 2}) {
            messages.messages.clear();
            messages.answers.push_back(TMsgResult::Yes);
            const QString other = Effect("other.alp");
            dialogs.handlers.push_back([other](QDialog *d) {  // Open picks a file before asking
                auto *files = qobject_cast<QFileDialog *>(d);
                if (!files)
                    return int(QDialog::Rejected);
                files->selectFile(other);
                return int(QDialog::Accepted);
            });
            if (command == 0)
                QVERIFY(!CloseByFrame(*w));
            else if (command == 1)
                w->acNew->trigger();
            else
                w->acOpenExecute();
            QVERIFY2(messages.messages.size() == 2, qPrintable(messages.Texts().join('/')));
            QVERIFY(messages.messages[1].text.startsWith("Failed to save particles to " + locked));
            QCOMPARE(w->DocumentPath, locked);
            QCOMPARE(w->DocumentRecord.particles, 55);
            QVERIFY(w->HasUnsavedChanges());
        }
        QVERIFY(!w->ClosedDown);
        QVERIFY(QDir(work.path()).rmdir("locked.alp"));
    }

    void exitNeitherAsksNorWrites()
    {
        SeedUsualSettings();
        auto w = Start({Effect("dropped.alp")});
        w->ScriptEditor->appendPlainText("type=lost");
        MessageCatcher messages;
        const QStringList before = StoredKeys();
        w->acExit->trigger();
        QVERIFY(w->Terminated);
        QVERIFY(CloseByFrame(*w));
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(StoredKeys(), before);
    }

    void filterTextsBecomeDialogFilters()
    {
        QCOMPARE(FilterNameFilters("Tarn Nimbus Particles (*.nbs)|*.nbs"),
                 QStringList({"Tarn Nimbus Particles (*.nbs)"}));
        QCOMPARE(FilterNameFilters("Plain|*.txt;*.text|Odd (*.x)|*.y"),
                 QStringList({"Plain (*.txt *.text)", "Odd (*.x) (*.y)"}));
        QCOMPARE(FilterNameFilters(""), QStringList());
        QCOMPARE(FilterNameFilters("Dangling|"), QStringList({"Dangling ()"}));
        QCOMPARE(FilterDefaultSuffix("Plain (*.txt *.text)"), QString("txt"));
        QCOMPARE(FilterDefaultSuffix("All files (*.*)"), QString());
        QCOMPARE(FilterDefaultSuffix("Odd (*.x) (*.y)"), QString("y"));
    }

    void scriptLinesKeepTheTextOfTheFile()
    {
        QCOMPARE(TextLines("a\r\nb\r\n"), QStringList({"a", "b"}));
        QCOMPARE(TextLines("a\nb"), QStringList({"a", "b"}));
        QCOMPARE(TextLines("a\r\rb\n"), QStringList({"a", "", "b"}));
        QCOMPARE(TextLines(""), QStringList());
        QCOMPARE(TextLines("\n"), QStringList({""}));
        QCOMPARE(LinesText({"a", "b"}, "\r\n"), QString("a\r\nb\r\n"));
        QCOMPARE(LinesText(TextLines("x\r\ny\r\n"), "\r\n"), QString("x\r\ny\r\n"));
    }

    void storedValuesFollowTheReadingRules()
    {
        std::map<QString, QString> values;
        auto reader = [&](const QString &name) -> std::optional<QString> {
            auto it = values.find(name);
            return it == values.end() ? std::nullopt : std::optional<QString>(it->second);
        };
        TStoredSettings s = ReadSettingsFrom(reader);
        QCOMPARE(s.CurrentRenderer, 0);
        QVERIFY(s.ShowGround && !s.StartMaximized && s.program.WaitSync && s.program.TextShadow);
        QCOMPARE(s.program.BgColor, 8421504u);
        QCOMPARE(s.program.GrColor, 4605510u);
        QCOMPARE(s.program.TxtColor, 16777215u);
        QCOMPARE(s.program.Headinsert, QString("//Generated by Sparkwright"));

        values = {{"WaitSync", "2"},
                  {"TextShadow", "0"},
                  {"BgColor", "abc"},
                  {"GrColor", "-2147483643"},
                  {"TxtColor", " 12"},
                  {"ShowGround", "-1"},
                  {"StartMaximized", "99999999999"},
                  {"CurrentRenderer", "+3"},
                  {"Headinsert", ""}};
        s = ReadSettingsFrom(reader);
        QVERIFY(s.program.WaitSync);
        QVERIFY(!s.program.TextShadow);
        QCOMPARE(s.program.BgColor, 8421504u);
        QCOMPARE(s.program.GrColor, 0x80000005u);  // a system colour, kept as stored
        QCOMPARE(s.program.TxtColor, 16777215u);
        QVERIFY(s.ShowGround);
        QVERIFY(!s.StartMaximized);
        QCOMPARE(s.CurrentRenderer, 3);
        QCOMPARE(s.program.Headinsert, QString(""));  // present but empty is not absent

        QStringList written;
        s.program.Headinsert = "//one\r\n//two";
        WriteSettingsTo(s, [&](const QString &name, const QString &value) { written << name + "=" + value; });
        QCOMPARE(written, QStringList({"GameDir=", "GameDir2=", "CurrentRenderer=3", "ShowGround=1",
                                       "StartMaximized=0", "DefaultSpr=", "Headinsert=//one\r\n//two",
                                       "BgColor=8421504", "GrColor=-2147483643", "TxtColor=16777215",
                                       "WaitSync=1", "TextShadow=0"}));
    }

    void storedSettingsReachTheWindowAndTheRenderer()
    {
        SeedUsualSettings();
        SetStoredValue("StartMaximized", "1");
        SetStoredValue("ShowGround", "0");
        SetStoredValue("WaitSync", "2");
        SetStoredValue("BgColor", "abc");
        SetStoredValue("TxtColor", "255");
        SetStoredValue("TextShadow", "0");
        SetStoredValue("Headinsert", "//a\r\n//b");
        auto w = Start();
        QVERIFY(w->windowState() & Qt::WindowMaximized);
        QVERIFY(!w->acShowGround->isChecked());
        const QStringList log = RendererLog(w->Renderers, 0);
        QVERIFY(log.contains("Options 1 0"));
        QVERIFY(log.contains("Ground 0"));
        const double *o = RendererOptions(w->Renderers, 0);
        QCOMPARE(o[0], 128 / 255.0);
        QCOMPARE(o[6], 1.0);
        QCOMPARE(o[7], 0.0);
        QCOMPARE(ProgramSettings.Headinsert, QString("//a\r\n//b"));
        QVERIFY(CloseByFrame(*w));
        QCOMPARE(StoredValue("StartMaximized"), QString("1"));
        QCOMPARE(StoredValue("ShowGround"), QString("0"));
        QCOMPARE(StoredValue("WaitSync"), QString("1"));
        QCOMPARE(StoredValue("BgColor"), QString("8421504"));
        QCOMPARE(StoredValue("Headinsert"), QString("//a\r\n//b"));
    }

    void preferencesCancelChangesNothingAndOkResendsOptions()
    {
        SeedUsualSettings();
        SetStoredValue("DefaultSpr", "/sprites/spark.spr");
        auto w = Start();
        DialogCatcher dialogs;
        QString shown;
        dialogs.handlers.push_back([&](QDialog *d) {
            auto *p = qobject_cast<TfrmPreferences *>(d);
            shown = QString("%1|%2|%3|%4|%5")
                        .arg(p->edDefaultSpr->text())
                        .arg(p->cbWaitSync->isChecked())
                        .arg(TfrmPreferences::FieldColour(p->edGrColor))
                        .arg(p->cbTextShadow->isChecked())
                        .arg(p->memHeadinsert->toPlainText());
            p->cbWaitSync->setChecked(false);
            p->memHeadinsert->setPlainText("//changed");
            return int(QDialog::Rejected);
        });
        ClearRendererLog(w->Renderers, 0);
        w->acPreferences->trigger();
        QCOMPARE(shown, QString("/sprites/spark.spr|1|4605510|1|//Generated by Sparkwright"));
        QVERIFY(ProgramSettings.WaitSync);
        QCOMPARE(ProgramSettings.Headinsert, QString("//Generated by Sparkwright"));
        QVERIFY(RendererLog(w->Renderers, 0).isEmpty());

        dialogs.handlers.push_back([](QDialog *) { return int(QDialog::Accepted); });
        w->acPreferences->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Options 1 1"}));

        dialogs.handlers.push_back([](QDialog *d) {
            auto *p = qobject_cast<TfrmPreferences *>(d);
            p->memHeadinsert->setPlainText("//one\n//two");
            p->cbTextShadow->setChecked(false);
            TfrmPreferences::SetFieldColour(p->edBgColor, 0x0000FF);
            return int(QDialog::Accepted);
        });
        w->acPreferences->trigger();
        QCOMPARE(ProgramSettings.Headinsert, QString("//one\r\n//two"));
        QVERIFY(!ProgramSettings.TextShadow);
        QCOMPARE(ProgramSettings.BgColor, 0x0000FFu);
        QCOMPARE(RendererOptions(w->Renderers, 0)[0], 1.0);
        QCOMPARE(RendererOptions(w->Renderers, 0)[10], 0.0);
    }

    void gameDirectoriesAreValidatedBeforeTheyAreTaken()
    {
        SeedUsualSettings();
        auto w = Start();
        MessageCatcher messages;
        DialogCatcher dialogs;
        const QString extra = work.filePath("extra");
        QDir().mkpath(extra);
        QStringList results;
        QDialog *shownDialog = nullptr;
        dialogs.handlers.push_back([&](QDialog *d) {
            shownDialog = d;
            auto *g = qobject_cast<TfrmGameDirectories *>(d);
            results << g->edBaseDir->text() << QString::number(g->btnCancel->isEnabled());
            g->edBaseDir->setText("");
            g->accept();
            results << QString::number(g->result());
            g->edBaseDir->setText(work.filePath("missing"));
            g->accept();
            g->edBaseDir->setText(extra);
            g->edAdditionalDir->setText(work.filePath("missing2"));
            g->accept();
            results << QString::number(g->result());
            g->edAdditionalDir->setText("");
            g->accept();
            return g->result();
        });
        ClearRendererLog(w->Renderers, 0);
        w->acChangeGamedir->trigger();
        QCOMPARE(results, QStringList({gameDir, "1", "0", "0"}));
        QCOMPARE(messages.Texts(),
                 QStringList(
                     {"Please specify a valid base game directory!",
                      "Please specify a valid base game directory!",
                      "Please specify a valid additional game directory, or leave the field empty!"}));
        for (const TMessageRecord &m : messages.messages) {
            QCOMPARE(m.caption, QString("Sparkwright"));
            QVERIFY(m.owner == shownDialog);  // the dialog owns its warnings
        }
        QCOMPARE(w->GameDir, extra);
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Gamedir [" + extra + "] []"}));

        dialogs.handlers.push_back([](QDialog *) { return int(QDialog::Rejected); });
        w->acChangeGamedir->trigger();
        QCOMPARE(w->GameDir, extra);
        QCOMPARE(RendererLog(w->Renderers, 0).size(), 1);
    }

    void playbackControlsDriveTheRendererAndFollowWhatItOffers()
    {
        SeedUsualSettings();
        auto w = Start();
        w->FrameTimer->stop();
        TPlaybackControls *p = w->Playback;
        QVERIFY(p);
        p->Refresh();
        QVERIFY(p->acPlayPause->isEnabled());
        QVERIFY(p->acFrameEffect->isEnabled());
        QCOMPARE(p->lblTime->text(), QString("Time: 0.00 s   Speed: 1x"));

        ClearRendererLog(w->Renderers, 0);
        w->edKeys->setFocus();
        QTest::keyClick(w->edKeys, Qt::Key_Space);  // Space in the viewport pauses
        QCOMPARE(p->acPlayPause->text(), QString("&Play"));
        p->cbSpeed->setCurrentIndex(1);
        emit p->cbSpeed->activated(1);
        p->acStep->trigger();
        p->acRestart->trigger();
        p->acResetView->trigger();
        p->acFrameEffect->trigger();
        p->SpeedAction(5)->trigger();
        p->acPlayPause->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0),
                 QStringList({"Playback 1 1", "Playback 1 0.25", "Step", "Restart", "Reset camera",
                              "Frame effect", "Playback 1 4", "Playback 0 4"}));
        QVERIFY(p->SpeedAction(5)->isChecked());
        QCOMPARE(p->cbSpeed->currentText(), QString("4x"));
        QCOMPARE(p->lblTime->text(), QString("Time: 0.00 s   Speed: 4x"));

        // A renderer without the optional exports: every control is disabled,
        // Space does nothing, and the status bar shows no time.
        w->SelectRendererExecute(1);
        p->Refresh();
        QVERIFY(!p->acPlayPause->isEnabled());
        QVERIFY(!p->acStep->isEnabled());
        QVERIFY(!p->acRestart->isEnabled());
        QVERIFY(!p->acResetView->isEnabled());
        QVERIFY(!p->acFrameEffect->isEnabled());
        QVERIFY(!p->cbSpeed->isEnabled());
        QVERIFY(p->lblTime->text().isEmpty());
        ClearRendererLog(w->Renderers, 1);
        QTest::keyClick(w->edKeys, Qt::Key_Space);
        QVERIFY(!RendererLog(w->Renderers, 1).contains("Playback 1 4"));
        QVERIFY(!w->Renderers.EffectClock().paused);
    }

    void anOpenedDocumentIsFramedOnceItsEffectRuns()
    {
        SeedUsualSettings();
        auto w = Start({Effect("framed.alp")});
        w->FrameTimer->stop();
        QCOMPARE(w->DocumentPath, work.filePath("framed.alp"));
        w->Renderers.SetPlayback(false, 4.0);  // a second of effect in a quarter of one
        ClearRendererLog(w->Renderers, 0);
        w->Playback->Refresh();
        QVERIFY(!RendererLog(w->Renderers, 0).contains("Frame effect"));  // not yet underway
        QElapsedTimer waited;
        waited.start();
        while (w->Renderers.EffectClock().seconds < 1.0 && waited.elapsed() < 5000) {
            w->Renderers.UpdateDevice();
            QTest::qWait(20);
        }
        QVERIFY(w->Renderers.EffectClock().seconds >= 1.0);
        w->Playback->Refresh();
        w->Playback->Refresh();
        QCOMPARE(RendererLog(w->Renderers, 0).count("Frame effect"), 1);  // once, not on every refresh
    }

    void framesComeQuicklyOnlyJustAfterALoad()
    {
        SeedUsualSettings();
        auto w = Start({Effect("quick.alp")});
        QCOMPARE(w->DocumentPath, work.filePath("quick.alp"));
        QVERIFY(w->FrameTimer->isActive());
        QCOMPARE(w->FrameTimer->interval(), kQuickFrameIntervalMs);
        ClearRendererLog(w->Renderers, 0);
        QTRY_COMPARE_WITH_TIMEOUT(w->FrameTimer->interval(), kFrameIntervalMs, 2000);
        QVERIFY(RendererLog(w->Renderers, 0).count("Update") >= 2);  // the quick frames were drawn
        QVERIFY(w->FrameTimer->isActive());
    }

    void viewportMouseAndKeysBecomeInputCodes()
    {
        SeedUsualSettings();
        auto w = Start();
        w->FrameTimer->stop();
        ClearRendererLog(w->Renderers, 0);
        const QPoint inside(5, 5);
        QTest::mousePress(w->Viewport, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(w->Viewport, Qt::LeftButton, {}, inside);
        QTest::mousePress(w->Viewport, Qt::RightButton, {}, inside);
        QTest::mouseRelease(w->Viewport, Qt::RightButton, {}, inside);
        QTest::mousePress(w->Viewport, Qt::MiddleButton, {}, inside);
        QTest::mouseRelease(w->Viewport, Qt::MiddleButton, {}, inside);
        QTest::mouseRelease(w->Viewport, Qt::LeftButton, {}, QPoint(-20, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(7, 7), w->Viewport->mapToGlobal(QPointF(7, 7)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w->Viewport, &move);
        QTest::keyClick(w->edKeys, Qt::Key_8, Qt::KeypadModifier);
        QTest::keyClick(w->edKeys, Qt::Key_6, Qt::KeypadModifier);
        QTest::keyClick(w->edKeys, Qt::Key_8);  // not the keypad
        QTest::keyClick(w->edKeys, Qt::Key_Right);
        QTest::keyClick(w->edKeys, Qt::Key_A);
        QCOMPARE(RendererLog(w->Renderers, 0),
                 QStringList({"Input 9", "Input 12", "Input 10", "Input 13", "Input 12", "Input 13",
                              "Input 11", "Input 1", "Input 4", "Input 8"}));
        QVERIFY(w->edKeys->text().isEmpty());
        QCOMPARE(ViewportKeyCode(Qt::Key_5, true), 2);
        QCOMPARE(ViewportKeyCode(Qt::Key_4, true), 3);
        QCOMPARE(ViewportKeyCode(Qt::Key_Up, false), 5);
        QCOMPARE(ViewportKeyCode(Qt::Key_Down, true), 6);
        QCOMPARE(ViewportKeyCode(Qt::Key_Left, false), 7);
        QCOMPARE(ViewportKeyCode(Qt::Key_5, false), 0);
    }

    void editActionsWorkOnTheFocusedTextControl()
    {
        SeedUsualSettings();
        auto w = Start({Effect("edit.alp", "maintype=a\n")});
        w->show();
        QApplication::setActiveWindow(w.get());
        w->Tabs->setCurrentIndex(1);
        w->ScriptEditor->setFocus();
        QTRY_VERIFY(w->ScriptEditor->hasFocus());
        w->acSelectAll->trigger();
        QCOMPARE(w->ScriptEditor->textCursor().selectedText(),
                 QString("maintype=a") + QChar::ParagraphSeparator);
        w->acCut->trigger();
        QCOMPARE(w->ScriptEditor->toPlainText(), QString());
        QVERIFY(w->ScriptModified);
        w->acUndo->trigger();
        QCOMPARE(w->ScriptEditor->toPlainText(), QString("maintype=a\n"));
        w->acPaste->trigger();  // replaces the selection the undo restored
        QVERIFY(w->ScriptEditor->toPlainText().startsWith("maintype=a"));

        // Another text control takes the commands once it has the focus.
        QLineEdit *edit = w->edKeys;
        edit->setReadOnly(false);
        edit->setText("xyz");
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        w->acSelectAll->trigger();
        QCOMPARE(edit->selectedText(), QString("xyz"));
        w->acCopy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("xyz"));
    }

    void frameTimerDrivesTheRendererExceptWhileAMenuIsOpen()
    {
        SeedUsualSettings();
        auto w = Start();
        ClearRendererLog(w->Renderers, 0);
        QTRY_VERIFY_WITH_TIMEOUT(RendererLog(w->Renderers, 0).contains("Update"), 2000);
        emit w->mnuRender->aboutToShow();
        QVERIFY(!w->FrameTimer->isActive());
        ClearRendererLog(w->Renderers, 0);
        QTest::qWait(60);
        QVERIFY(!RendererLog(w->Renderers, 0).contains("Update"));
        emit w->mnuRender->aboutToHide();
        QVERIFY(w->FrameTimer->isActive());
    }

    void renderMenuSwitchesAndResendsOptions()
    {
        SeedUsualSettings();
        auto w = Start();
        w->FrameTimer->stop();
        ClearRendererLog(w->Renderers, 0);
        w->acSelectRendererOGL->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Options 1 1"}));  // not closed, not reopened
        QVERIFY(w->acSelectRendererOGL->isChecked());

        ClearRendererLog(w->Renderers, 0);
        w->acSelectRendererD3D9->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Close"}));
        QVERIFY(w->acSelectRendererD3D9->isChecked());
        QVERIFY(!w->acSelectRendererOGL->isChecked());
        QCOMPARE(w->Renderers.Current(), 2);

        MessageCatcher messages;
        w->acGetRenderInfo->trigger();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].text.contains("Name:     Fake D3D9\r\n"));

        w->acShowGround->trigger();  // no device: the mark still toggles
        QVERIFY(!w->acShowGround->isChecked());
        w->acSelectRendererOGL->trigger();
        ClearRendererLog(w->Renderers, 0);
        w->acShowGround->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Ground 1"}));
    }

    // The sync clears its flags when a tab switch or Update brings the other
    // side up to date; the edit is still unsaved and the close must ask.
    void editsTakenUpByTheSyncStillAskBeforeClosing()
    {
        SeedUsualSettings();
        const QString path = Effect("synced.alp");
        auto w = Start({path});
        w->show();
        EditParticleCount(*w, 9);
        w->Tabs->setCurrentIndex(1);
        QVERIFY(!w->RecordModified && !w->ScriptModified);
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult::Cancel);
        QVERIFY(!CloseByFrame(*w));
        QCOMPARE(messages.Texts(), QStringList({"Save changes in \"" + path + "\"?"}));

        // Saving settles it; typed text applied by Update counts again.
        QVERIFY(w->SaveDocument(path, 1));
        w->ScriptEditor->appendPlainText("type=typed");
        w->btnUpdate->click();
        QVERIFY(!w->RecordModified && !w->ScriptModified);
        messages.messages.clear();
        messages.answers.push_back(TMsgResult::Cancel);
        QVERIFY(!CloseByFrame(*w));
        QCOMPARE(messages.messages.size(), 1);

        // Text typed and reverted leaves nothing to save after a reopen.
        QVERIFY(w->OpenDocument(path, 1));
        w->ScriptEditor->appendPlainText("type=dropped");
        w->btnRevert->click();
        w->Tabs->setCurrentIndex(0);
        messages.messages.clear();
        QVERIFY(CloseByFrame(*w));
        QVERIFY(messages.messages.isEmpty());
    }

    // After an undo or a redo the renderer gets the record again, and the
    // type list again when it changed.
    void undoAndRedoAnnounceTheRecordToTheRenderer()
    {
        SeedUsualSettings();
        auto w = Start({Effect("announced.alp")});
        w->FrameTimer->stop();
        const int opened = w->DocumentRecord.particles;
        EditParticleCount(*w, 40);
        w->Tabs->setCurrentIndex(1);
        w->ScriptEditor->setPlainText("maintype=rain\ntype=rain\n");
        w->btnUpdate->click();
        QCOMPARE(w->TypeCombo->count(), 2);
        ClearRendererLog(w->Renderers, 0);
        w->acUndo->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Types", "Particles 40", "Textures"}));
        QCOMPARE(w->TypeCombo->count(), 3);
        QVERIFY(w->ScriptEditor->toPlainText().contains("type=smoke"));
        ClearRendererLog(w->Renderers, 0);
        w->acUndo->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0),
                 QStringList({"Particles " + QString::number(opened), "Textures"}));
        QVERIFY(!w->HasUnsavedChanges());
        ClearRendererLog(w->Renderers, 0);
        w->acRedo->trigger();
        QCOMPARE(RendererLog(w->Renderers, 0), QStringList({"Particles 40", "Textures"}));
        QCOMPARE(w->acRedo->text(), QString("&Redo Update"));
        QVERIFY(w->windowTitle().endsWith(" *"));
    }

    // Typed text the manager rejects is never replaced behind the user's
    // back: not by Undo, not by Save, not by a trip to the other tab.
    void rejectedScriptTextStaysAsTyped()
    {
        SeedUsualSettings();
        const QString path = Effect("rejected.alp");
        const QString original = ReadFile(path);
        auto w = Start({path});
        EditParticleCount(*w, 40);
        w->Tabs->setCurrentIndex(1);
        w->ScriptEditor->setPlainText("REJECT this");
        MessageCatcher messages;
        w->acUndo->trigger();
        QCOMPARE(w->ScriptEditor->toPlainText(), QString("REJECT this"));
        QCOMPARE(w->DocumentRecord.particles, 40);
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].text.startsWith("Failed to load particles from memory."));
        QVERIFY(!w->acSaveExecute());
        QCOMPARE(ReadFile(path), original);
        w->Tabs->setCurrentIndex(0);
        w->Tabs->setCurrentIndex(1);
        QCOMPARE(w->ScriptEditor->toPlainText(), QString("REJECT this"));
        QVERIFY(w->ScriptModified);
        QVERIFY(w->windowTitle().endsWith(" *"));
    }

    void newAsksAfterAnEditTheScriptTabTookUp()
    {
        SeedUsualSettings();
        auto w = Start({Effect("fresh.alp")});
        EditParticleCount(*w, 9);
        w->Tabs->setCurrentIndex(1);
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult::Cancel);
        DialogCatcher dialogs;
        w->acNew->trigger();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].text.startsWith("Save changes in "));
        QVERIFY(dialogs.seen.isEmpty());  // cancelled before the New dialog
    }

    // Opening another file replaces the document, so unsaved edits are asked
    // about first: Cancel keeps them, No drops them.
    void openAsksAboutUnsavedEdits()
    {
        SeedUsualSettings();
        const QString first = Effect("first.alp");
        const QString second = Effect("second.alp", "maintype=other\ntype=other\n");
        auto w = Start({first});
        EditParticleCount(*w, 9);
        MessageCatcher messages;
        DialogCatcher dialogs;
        auto pick = [&](QDialog *d) {
            qobject_cast<QFileDialog *>(d)->selectFile(second);
            return int(QDialog::Accepted);
        };
        messages.answers.push_back(TMsgResult::Cancel);
        dialogs.handlers.push_back(pick);
        w->acOpenExecute();
        QCOMPARE(messages.Texts(), QStringList({"Save changes in \"" + first + "\"?"}));
        QCOMPARE(w->DocumentPath, first);
        QVERIFY(w->HasUnsavedChanges());

        messages.messages.clear();
        messages.answers.push_back(TMsgResult::No);
        dialogs.handlers.push_back(pick);
        w->acOpenExecute();
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(w->DocumentPath, second);
        QVERIFY(!w->HasUnsavedChanges());

        // Nothing to save: no question.
        messages.messages.clear();
        dialogs.handlers.push_back(pick);
        w->acOpenExecute();
        QVERIFY(messages.messages.isEmpty());
    }

    // The frame timer stands while the about box is up, so the viewport must
    // hold a fresh frame, not what the closed menu covered.
    void aboutDrawsAFrameBeforeTheTimerStops()
    {
        SeedUsualSettings();
        auto w = Start();
        w->FrameTimer->stop();
        ClearRendererLog(w->Renderers, 0);
        DialogCatcher dialogs;
        QStringList logWhileShown;
        dialogs.handlers.push_back([&](QDialog *) {
            logWhileShown = RendererLog(w->Renderers, 0);
            return int(QDialog::Accepted);
        });
        w->acHelpAbout->trigger();
        QCOMPARE(dialogs.seen.size(), 1);
        QCOMPARE(logWhileShown, QStringList({"Update"}));
        QVERIFY(w->FrameTimer->isActive());
    }

    // Cut, copy and paste once wore the style's discard, list-view and apply
    // pictures; each needs a picture of its own.
    void editToolbarIconsAreTheirOwn()
    {
        TfrmMain w;
        QStyle *style = w.style();
        QList<QImage> foreign;
        for (QStyle::StandardPixmap sp :
             {QStyle::SP_DialogDiscardButton, QStyle::SP_DialogApplyButton, QStyle::SP_FileDialogDetailedView,
              QStyle::SP_ArrowBack, QStyle::SP_DialogHelpButton})
            foreign << style->standardIcon(sp).pixmap(24, 24).toImage();
        QList<QImage> own;
        for (QAction *a : {w.acCut, w.acCopy, w.acPaste}) {
            QVERIFY(!a->icon().isNull());
            const QImage image = a->icon().pixmap(24, 24).toImage();
            QVERIFY2(!foreign.contains(image), qPrintable(a->objectName()));
            QVERIFY2(!own.contains(image), qPrintable(a->objectName()));
            own << image;
        }
        QVERIFY(w.ToolBar->actions().contains(w.acCut));

        // Tabs indent the script by a few letters, not a quarter of the pane.
        const QFontMetricsF metrics(w.ScriptEditor->font());
        QVERIFY(w.ScriptEditor->tabStopDistance() <= metrics.horizontalAdvance("nnnnnn"));
        QVERIFY(w.ScriptEditor->tabStopDistance() >= metrics.horizontalAdvance("nn"));
    }

    // At the default size the inspector shows its longest label whole and
    // both columns without scrolling sideways.
    void inspectorColumnsFitTheDefaultWindow()
    {
        SeedUsualSettings();
        auto w = Start({Effect("layout.alp")});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        TObjectInspector *grid = w->InspectorGrid;
        const int keyRow = grid->RowOfKey("Number of Particles");
        QVERIFY(keyRow >= 0);
        QVERIFY(grid->columnWidth(0) > grid->fontMetrics().horizontalAdvance("Number of Particles"));
        QVERIFY(grid->columnWidth(1) >= 155);
        QVERIFY(grid->horizontalHeader()->length() <= grid->viewport()->width());

        // A longer label widens the column; it never narrows again.
        const int before = grid->columnWidth(0);
        InspectorRow row;
        row.key = "A user parameter with a much longer label than any other";
        grid->SetRows({row});
        QVERIFY(grid->columnWidth(0) >
                grid->fontMetrics().horizontalAdvance(QString::fromStdString(row.key)));
        grid->SetRows({});
        QVERIFY(grid->columnWidth(0) > before);
    }
};

int main(int argc, char **argv)
{
    UsePrivateSettingsFolder();
    QApplication app(argc, argv);
    MainWindowTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "main_window_test.moc"
