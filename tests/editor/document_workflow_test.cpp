// The document's history with the real plug-ins on an X display: undo and
// redo of each kind of step, and the ways work used to be lost: a save that
// does not happen, a stale script pane, Revert and a bad Update.
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>

#include "EditorTestSupport.h"
#include "uEditTypes.h"
#include "uMain.h"

namespace {
QString Demo(const QString &part)
{
    return qEnvironmentVariable("SPARKWRIGHT_DEMO") + QLatin1Char('/') + part;
}

bool SameRecord(const ParticleSystem &a, const ParticleSystem &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
}  // namespace

class DocumentWorkflowTests : public QObject {
    Q_OBJECT
    QTemporaryDir work;

    // The demo fountain, copied so that saves do not touch the demo.
    std::unique_ptr<TfrmMain> StartOnCopy(const QString &name, QString *path = nullptr)
    {
        const QString copy = work.filePath(name);
        QFile::remove(copy);
        if (!QFile::copy(Demo("effects/fountain.nbs"), copy))
            return nullptr;
        if (path)
            *path = copy;
        SetStoredValue("GameDir", Demo("game"));
        SetStoredValue("CurrentRenderer", "1");
        return StartEditor({copy}, true);
    }

    // Edit Types: the second type in the list made the main type, and OK.
    static void MakeSecondTypeMain(TfrmMain &w)
    {
        DialogCatcher dialogs;
        dialogs.handlers.push_back([](QDialog *d) {
            auto *types = qobject_cast<TfrmEditTypes *>(d);
            types->LLV()->setCurrentRow(1);
            types->btnSetMainClick();
            return int(QDialog::Accepted);
        });
        w.acEditTypesExecute();
    }

    // An inspector edit on a type page, as committing a cell does.
    static void EditTypeRow(TfrmMain &w, int page, const QString &key, const QString &value)
    {
        w.TypeCombo->setCurrentIndex(page);
        w.TypeComboChange(page);
        w.ObjectInspectorValidate(1, 0, key, value);
    }

private slots:
    void init() { ResetEditor(qEnvironmentVariable("SPARKWRIGHT_REAL_PLUGINS")); }

    void everyKindOfStepUndoesAndRedoes()
    {
        MessageCatcher messages;
        QString path;
        auto w = StartOnCopy("steps.nbs", &path);
        QVERIFY(w);
        const auto opened = std::make_unique<ParticleSystem>(w->DocumentRecord);
        QCOMPARE(w->acUndo->text(), QString("&Undo"));
        QCOMPARE(w->windowTitle(), "Sparkwright [" + path + "]");

        EditTypeRow(*w, 2, "Gravity", "-40");
        QCOMPARE(w->DocumentRecord.types[1].gravity.min, -40.0);
        QCOMPARE(w->acUndo->text(), QString("&Undo Gravity"));
        QCOMPARE(w->windowTitle(), "Sparkwright [" + path + "] *");
        w->TypeCombo->setCurrentIndex(0);
        w->ObjectInspectorValidate(1, 0, "Number of Particles", "90");
        QCOMPARE(w->DocumentRecord.particles, 90);

        MakeSecondTypeMain(*w);
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("drop"));
        QCOMPARE(w->acUndo->text(), QString("&Undo Edit Types"));

        w->Tabs->setCurrentIndex(1);
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"maintype\" \"drop\""));
        w->ScriptEditor->setPlainText(
            "\"particles\" \"12\"\n\"maintype\" \"rain\"\n{\n\"name\" \"rain\"\n}\n");
        w->btnUpdate->click();
        QCOMPARE(w->DocumentRecord.typeCount, 1);
        QCOMPARE(w->acUndo->text(), QString("&Undo Update"));
        const auto updated = std::make_unique<ParticleSystem>(w->DocumentRecord);

        // Back to the opened file, step by step, the views following.
        w->acUndo->trigger();
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("drop"));
        QCOMPARE(w->TypeCombo->count(), w->DocumentRecord.typeCount + 1);
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"name\" \"drop\""));
        QVERIFY(!w->ScriptModified);
        QCOMPARE(w->acRedo->text(), QString("&Redo Update"));
        w->acUndo->trigger();
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"maintype\" \"fountain\""));
        w->acUndo->trigger();
        QCOMPARE(w->DocumentRecord.particles, 400);
        w->acUndo->trigger();
        QVERIFY(SameRecord(w->DocumentRecord, *opened));
        QVERIFY(!w->HasUnsavedChanges());
        QCOMPARE(w->windowTitle(), "Sparkwright [" + path + "]");
        QCOMPARE(w->acUndo->text(), QString("&Undo"));

        for (int i = 0; i < 4; ++i)
            w->acRedo->trigger();
        QVERIFY(SameRecord(w->DocumentRecord, *updated));
        QCOMPARE(w->acRedo->text(), QString("&Redo"));
        QVERIFY(messages.messages.isEmpty());
    }

    // Edit Types confirmed while the Script tab shows: the pane follows at
    // once, and Save writes the new types instead of the old text.
    void theScriptPaneIsNeverStale()
    {
        QString path;
        auto w = StartOnCopy("stale.nbs", &path);
        QVERIFY(w);
        w->Tabs->setCurrentIndex(1);
        MakeSecondTypeMain(*w);
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"maintype\" \"drop\""));
        QVERIFY(w->acSaveExecute());
        QVERIFY(ReadFile(path).contains("\"maintype\" \"drop\""));
        QCOMPARE(QByteArray(w->DocumentRecord.maintype), QByteArray("drop"));
        QVERIFY(!w->HasUnsavedChanges());
    }

    // Revert after inspector edits, then Save: Undo brings the edits back and
    // a second save keeps them. A text that is no script empties the effect
    // on Update, and Undo brings the effect back.
    void revertAndABadUpdateCanBeUndone()
    {
        MessageCatcher messages;
        QString path;
        auto w = StartOnCopy("revert.nbs", &path);
        QVERIFY(w);
        const auto opened = std::make_unique<ParticleSystem>(w->DocumentRecord);
        EditTypeRow(*w, 2, "End Size", "9");
        const auto edited = std::make_unique<ParticleSystem>(w->DocumentRecord);
        w->Tabs->setCurrentIndex(1);
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"endsize\" \"9\""));
        w->btnRevert->click();
        QCOMPARE(w->acUndo->text(), QString("&Undo Revert"));
        QVERIFY(SameRecord(w->DocumentRecord, *opened));
        QVERIFY(w->acSaveExecute());
        QVERIFY(!ReadFile(path).contains("\"endsize\" \"9\""));
        w->acUndo->trigger();
        QVERIFY(SameRecord(w->DocumentRecord, *edited));
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"endsize\" \"9\""));
        QVERIFY(w->HasUnsavedChanges());
        QVERIFY(w->acSaveExecute());
        QVERIFY(ReadFile(path).contains("\"endsize\" \"9\""));

        w->ScriptEditor->setPlainText("these are just words, no effect at all");
        w->btnUpdate->click();
        QVERIFY(!SameRecord(w->DocumentRecord, *edited));
        w->acUndo->trigger();
        QVERIFY(SameRecord(w->DocumentRecord, *edited));
        QVERIFY(w->ScriptEditor->toPlainText().contains("\"name\" \"drop\""));
        QVERIFY(!w->HasUnsavedChanges());
        messages.messages.clear();
    }

    // Yes to the close question and a save that cannot happen: the window stays.
    void aFailedSaveOnCloseKeepsTheWork()
    {
        MessageCatcher messages;
        QString path;
        auto w = StartOnCopy("kept.nbs", &path);
        QVERIFY(w);
        EditTypeRow(*w, 2, "Gravity", "5");
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(work.path()).mkdir("kept.nbs"));  // no write can replace a folder
        messages.answers = {TMsgResult::Yes};
        QVERIFY(!CloseByFrame(*w));
        QCOMPARE(messages.messages.size(), 2);
        QVERIFY(messages.messages[1].text.startsWith("Failed to save particles to " + path));
        QCOMPARE(w->DocumentRecord.types[1].gravity.min, 5.0);
        QVERIFY(w->HasUnsavedChanges());
        QVERIFY(QDir(work.path()).rmdir("kept.nbs"));
        messages.answers = {TMsgResult::Yes};
        QVERIFY(CloseByFrame(*w));
        QVERIFY(ReadFile(path).contains("\"gravity\" \"5\""));
    }
};

int main(int argc, char **argv)
{
    UsePrivateSettingsFolder();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    DocumentWorkflowTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "document_workflow_test.moc"
