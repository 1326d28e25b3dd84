// New, Edit Types, Help Topics, the web site and About as the main window runs
// them, with the test manager plug-in of this folder.
#include <dlfcn.h>

#include <deque>
#include <functional>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "frmAbout.h"
#include "types_fixtures.h"
#include "uDialogPrompts.h"
#include "uEditTypes.h"
#include "uMain.h"
#include "uMessages.h"
#include "uNew.h"
#include "uParticleMan.h"
#include "uPlatform.h"
#include "uPreferences.h"

class TypesMainTest : public QObject {
    Q_OBJECT

    QList<TMessageRecord> messages;
    std::deque<TMsgResult> answers;
    std::deque<std::function<int(QDialog *)>> dialogs;
    QStringList dialogNames;
    QList<QUrl> opened;
    QStringList inputs;
    void *testManager = nullptr;

    static QString Plugins(const char *set)
    {
        return qEnvironmentVariable("TYPES_TEST_PLUGINS") + QLatin1Char('/') + set;
    }

    void SetSaveFails(int fails)
    {
        reinterpret_cast<void (*)(int)>(dlsym(testManager, "typesTestSetSaveFails"))(fails);
    }

    QString LastSprite()
    {
        return reinterpret_cast<const char *(*)()>(dlsym(testManager, "typesTestLastSprite"))();
    }

    QStringList ComboItems(const TfrmMain &w)
    {
        QStringList items;
        for (int i = 0; i < w.TypeCombo->count(); ++i)
            items << w.TypeCombo->itemText(i);
        return items;
    }

    // A window with the test manager loaded, as the start-up sequence leaves it.
    void LoadInto(TfrmMain &w, const char *set)
    {
        SetPluginDirectory(Plugins(set));
        w.Managers.Load(PluginDirectory(), w.HostWarning());
        w.FillNewList();
        w.SetEditControlsEnabled(false);
    }

    void AcceptNewDialog()
    {
        dialogs.push_back([](QDialog *d) {
            return qobject_cast<TfrmNew *>(d) ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
    }

private slots:
    void initTestCase()
    {
        // Our own handle on the plug-in the window loads: the same library.
        testManager = dlopen(QFile::encodeName(Plugins("one") + "/embTypesTestMan.so").constData(),
                             RTLD_NOW | RTLD_LOCAL);
        QVERIFY(testManager);
        SetMessageHook([this](const TMessageRecord &m) {
            messages.append(m);
            if (answers.empty())
                return TMsgResult::Ok;
            const TMsgResult answer = answers.front();
            answers.pop_front();
            return answer;
        });
        SetDialogHook([this](QDialog *d) {
            dialogNames << d->metaObject()->className();
            if (dialogs.empty())
                return int(QDialog::Rejected);
            auto handler = dialogs.front();
            dialogs.pop_front();
            return handler(d);
        });
        Prompts::SetUrlHandler([this](const QUrl &url) {
            opened.append(url);
            return true;
        });
        Prompts::SetInputHandler([this](QWidget *, const QString &, const QString &, QString &value) {
            if (inputs.isEmpty())
                return false;
            value = inputs.takeFirst();
            return true;
        });
    }

    void init()
    {
        messages.clear();
        answers.clear();
        dialogs.clear();
        dialogNames.clear();
        opened.clear();
        inputs.clear();
        reinterpret_cast<void (*)()>(dlsym(testManager, "typesTestReset"))();
        ProgramSettings.DefaultSpr.clear();
        ProgramSettings.Headinsert = QStringLiteral("//made here");
    }

    void newWithoutAManagerSaysSoAndCreatesNothing()
    {
        TfrmMain w;
        LoadInto(w, "none");
        QCOMPARE(w.Managers.Count(), 0);
        w.RecordModified = true;
        w.acNewExecute();
        QVERIFY(dialogNames.isEmpty());
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].text.startsWith("No particle manager plug-in is loaded"));
        QCOMPARE(w.windowTitle(), QString("Sparkwright"));
        QVERIFY(!w.DocumentReady);
        QVERIFY(!w.NewDocument(0));  // a direct call with a bad index is refused too
        QCOMPARE(w.windowTitle(), QString("Sparkwright"));
    }

    void newWithTheDefaultSprite()
    {
        TfrmMain w;
        LoadInto(w, "one");
        QCOMPARE(w.frmNew->ListBox1()->item(0)->text(), QString("Types Test Particle [embTypesTestMan.so]"));
        ProgramSettings.DefaultSpr = QStringLiteral("/home/ann/art/Flare.spr");
        AcceptNewDialog();
        w.acNewExecute();
        QCOMPARE(dialogNames, QStringList{"TfrmNew"});
        QCOMPARE(LastSprite(), QString("sprites/Flare.spr"));
        QCOMPARE(w.windowTitle(), QString("Sparkwright [NewParticle]"));
        QCOMPARE(w.DocumentName, QString("NewParticle"));
        QVERIFY(w.DocumentPath.isEmpty());
        QCOMPARE(ComboItems(w), (QStringList{"<GLOBAL>", "emitter", "particle"}));
        QCOMPARE(w.TypeCombo->currentIndex(), 0);
        const QString expected = "//made here\nmaintype emitter\n{ emitter sprite=sprites/emitter.spr }\n"
                                 "{ particle sprite=sprites/Flare.spr }\n";
        QCOMPARE(w.ScriptEditor->toPlainText(), expected);
        QCOMPARE(LinesText(w.ScriptBackup), expected);
        QVERIFY(!w.RecordModified);
        QVERIFY(!w.ScriptModified);
        QVERIFY(w.DocumentReady);
        QVERIFY(w.acEditTypes->isEnabled());
        QVERIFY(w.ScriptEditor->isEnabled());
        QCOMPARE(w.lblScriptManager->text(), QString("Types Test Particle"));
        QVERIFY(messages.isEmpty());
        // The defaults record came from the same manager.
        QCOMPARE(w.DefaultsRecord.types[3].lifetime.min, 103.0);

        // Revert after typing brings the generated text back.
        w.ScriptEditor->setPlainText(QStringLiteral("junk"));
        QVERIFY(w.ScriptModified);
        w.btnRevertClick();
        QCOMPARE(w.ScriptEditor->toPlainText(), expected);
        QVERIFY(!w.ScriptModified);
    }

    void newAsksAboutUnsavedChangesFirst()
    {
        TfrmMain w;
        LoadInto(w, "one");
        w.DocumentName = QStringLiteral("/tmp/old.tt");
        w.ScriptModified = true;
        answers = {TMsgResult::Cancel};
        w.acNewExecute();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("Save changes in \"/tmp/old.tt\"?"));
        QCOMPARE(messages[0].caption, QString("Confirm"));
        QVERIFY(dialogNames.isEmpty());
        QCOMPARE(LastSprite(), QString("<never called>"));

        answers = {TMsgResult::No};
        AcceptNewDialog();
        w.acNewExecute();
        QCOMPARE(dialogNames, QStringList{"TfrmNew"});
        QCOMPARE(w.DocumentName, QString("NewParticle"));

        // Cancelling the New dialog changes nothing.
        w.RecordModified = true;
        answers = {TMsgResult::No};
        w.acNewExecute();
        QVERIFY(w.RecordModified);
        QCOMPARE(w.DocumentName, QString("NewParticle"));
    }

    void newWhoseScriptCannotBeWritten()
    {
        TfrmMain w;
        LoadInto(w, "one");
        w.ScriptEditor->setPlainText(QStringLiteral("before"));
        w.ScriptModified = false;
        SetSaveFails(1);
        AcceptNewDialog();
        w.acNewExecute();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text,
                 QString("Failed to save particles to memory.\r\nManager: embTypesTestMan.so"));
        QCOMPARE(messages[0].caption, QString("Error"));
        QCOMPARE(messages[0].icon, TMsgIcon::Warning);
        // The record, caption and type list already show the new document;
        // the pane and the flags stay as they were.
        QCOMPARE(w.windowTitle(), QString("Sparkwright [NewParticle]"));
        QCOMPARE(ComboItems(w), (QStringList{"<GLOBAL>", "emitter", "particle"}));
        QCOMPARE(w.ScriptEditor->toPlainText(), QString("before"));
        QVERIFY(!w.DocumentReady);
        QVERIFY(!w.acEditTypes->isEnabled());
    }

    void editTypesRebuildsTheRecordOnOk()
    {
        TfrmMain w;
        LoadInto(w, "one");
        AcceptNewDialog();
        w.acNewExecute();
        const ParticleSystem before = w.DocumentRecord;

        // Cancel: nothing changes, however much was done in the dialog.
        dialogs.push_back([](QDialog *d) {
            auto *dialog = qobject_cast<TfrmEditTypes *>(d);
            dialog->LLV()->setCurrentRow(0);
            dialog->btnSetMainClick();
            return int(QDialog::Rejected);
        });
        w.acEditTypesExecute();
        QCOMPARE(dialogNames.last(), QString("TfrmEditTypes"));
        QVERIFY(!w.RecordModified);
        QCOMPARE(std::memcmp(&w.DocumentRecord, &before, sizeof before), 0);

        int shownMain = -1;
        QStringList shownNames;
        inputs << "smoke";
        dialogs.push_back([&](QDialog *d) {
            auto *dialog = qobject_cast<TfrmEditTypes *>(d);
            shownMain = dialog->MainIndex();
            for (const std::string &name : dialog->Names())
                shownNames << QString::fromStdString(name);
            dialog->LLV()->setCurrentRow(1);
            dialog->btnSetMainClick();
            dialog->btnAddClick();
            return int(QDialog::Accepted);
        });
        w.TypeCombo->setCurrentIndex(2);
        w.acEditTypesExecute();
        QCOMPARE(shownMain, 0);
        QCOMPARE(shownNames, (QStringList{"emitter", "particle"}));
        QVERIFY(w.RecordModified);
        QCOMPARE(w.DocumentRecord.typeCount, 3);
        QCOMPARE(QString(w.DocumentRecord.maintype), QString("particle"));
        QVERIFY(SameEntry(w.DocumentRecord.types[0], before.types[0]));
        QVERIFY(SameEntry(w.DocumentRecord.types[1], before.types[1]));
        QVERIFY(SameBody(w.DocumentRecord.types[2], w.DefaultsRecord.types[2]));
        QCOMPARE(ComboItems(w), (QStringList{"<GLOBAL>", "emitter", "particle", "smoke"}));
        QCOMPARE(w.TypeCombo->currentIndex(), 0);
        QVERIFY(messages.isEmpty());
    }

    void fromNewToSaveWithTheRealManager()
    {
        const QString bin = ProgramDirectory();
        if (!QFile::exists(bin + "/embTarnParticleMan.so"))
            QSKIP("the script manager plug-in is not built");
        TfrmMain w;
        SetPluginDirectory(bin);
        w.Managers.Load(PluginDirectory(), w.HostWarning());
        w.FillNewList();
        int tarn = -1;
        for (int i = 0; i < w.Managers.Count(); ++i)
            if (w.Managers[i].fileName == "embTarnParticleMan.so")
                tarn = i;
        QVERIFY(tarn >= 0);
        ProgramSettings.Headinsert.clear();
        dialogs.push_back([tarn](QDialog *d) {
            qobject_cast<TfrmNew *>(d)->ListBox1()->setCurrentRow(tarn);
            return int(QDialog::Accepted);
        });
        w.acNewExecute();
        QVERIFY(messages.isEmpty());
        // The new effect as script text: an emitter spraying plain coloured particles.
        const QString expected =
            "\"particles\" \"40\"\n\"maintype\" \"emitter\"\n\n{\n"
            "\t\"name\" \"emitter\"\n\t\"spraytype\" \"particle\"\n\t\"sprayrate\" \"10\"\n}\n\n{\n"
            "\t\"name\" \"particle\"\n\t\"startsize\" \"10\"\n\t\"endsize\" \"100\"\n"
            "\t\"startangle\" \"0..360\"\n\t\"angledelta\" \"-40..40\"\n\t\"lifetime\" \"4\"\n"
            "\t\"rendermode\" \"color\"\n\t\"startred\" \"1\"\n\t\"endred\" \"1\"\n"
            "\t\"startgreen\" \"1\"\n\t\"endgreen\" \"1\"\n\t\"startblue\" \"1\"\n"
            "\t\"endblue\" \"1\"\n\t\"startalpha\" \"1\"\n\t\"endalpha\" \"0\"\n"
            "\t\"gravity\" \"70\"\n}\n";
        QCOMPARE(w.ScriptEditor->toPlainText(), expected);

        // Add a type, make it the main one, and save without touching the text.
        inputs << "smoke";
        dialogs.push_back([](QDialog *d) {
            auto *dialog = qobject_cast<TfrmEditTypes *>(d);
            dialog->btnAddClick();
            dialog->LLV()->setCurrentRow(2);
            dialog->btnSetMainClick();
            return int(QDialog::Accepted);
        });
        w.acEditTypesExecute();
        QVERIFY(w.RecordModified);
        QTemporaryDir dir;
        const QString path = dir.path() + "/smoke.nbs";
        QVERIFY(w.SaveDocument(path, tarn + 1));
        QVERIFY(!w.RecordModified);
        QVERIFY(w.OpenDocument(path, tarn + 1));
        QCOMPARE(w.DocumentRecord.typeCount, 3);
        QCOMPARE(QString(w.DocumentRecord.maintype), QString("smoke"));
        QCOMPARE(QString(w.DocumentRecord.types[2].name), QString("smoke"));
        // The added type took the defaults of its position: present colours, lifetime 4.
        QCOMPARE(w.DocumentRecord.types[2].lifetime.min, 4.0);
        QCOMPARE(QString(w.DocumentRecord.types[0].spraytype.text), QString("particle"));
        QVERIFY(messages.isEmpty());
    }

    void helpAndWebSite()
    {
        TfrmMain w;
        w.acHelpTopicsExecute();
        // The guide is copied beside the program by the build.
        if (QFile::exists(ProgramDirectory() + "/Sparkwright.chm")) {
            QCOMPARE(opened.size(), 1);
            QVERIFY(opened[0].toLocalFile().endsWith("/Sparkwright.chm"));
        } else {
            QVERIFY(messages.isEmpty());
            QCOMPARE(opened.size(), 1);
            QCOMPARE(opened[0].toLocalFile(), ProgramDirectory() + "/Sparkwright.htm");
        }
        w.acWebSiteExecute();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[1].toString(), QString(Contacts::kWebSite));
    }

    void aboutStopsTheFrameTimerWhileShown()
    {
        TfrmMain w;
        QVERIFY(w.FrameTimer->isActive());
        bool activeWhileShown = true;
        QString version;
        dialogs.push_back([&](QDialog *d) {
            auto *box = qobject_cast<TAboutBox *>(d);
            activeWhileShown = w.FrameTimer->isActive();
            version = box->Version()->text();
            return int(QDialog::Accepted);
        });
        w.acHelpAboutExecute();
        QCOMPARE(dialogNames, QStringList{"TAboutBox"});
        QVERIFY(!activeWhileShown);
        QVERIFY(w.FrameTimer->isActive());
        QCOMPARE(version, QString("Version 1.0.1.229"));
    }

    void sideStripShowsTheJpegPicture()
    {
        TfrmMain w;
        const QPixmap strip = w.SideStrip->pixmap();
        QVERIFY(!strip.isNull());
        QCOMPARE(strip.size(), QSize(24, 512));
        QCOMPARE(w.SideStrip->width(), 17);
    }

    void cleanupTestCase()
    {
        SetMessageHook({});
        SetDialogHook({});
        Prompts::SetUrlHandler({});
        Prompts::SetInputHandler({});
        SetPluginDirectory(QString());
    }
};

QTEST_MAIN(TypesMainTest)
#include "types_main_test.moc"
