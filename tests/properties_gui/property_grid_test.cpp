// The inspector grid and the script pane inside the main window, with a test
// manager placed in the manager table; no renderer is loaded.
#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "property_test_support.h"
#include "uMain.h"
#include "uMessages.h"
#include "uParticleMan.h"
#include "uPlatform.h"
#include "uPropertyGrid.h"
#include "uScriptEditorMenu.h"
#include "uSpriteBrowser.h"

namespace {

// Test manager: one line per header value and per type name.
int loads = 0;

int32_t SaveText(char *buffer, int32_t size, const char *header, const ParticleSystem *rec)
{
    QByteArray text = QByteArray("// ") + header + "\nparticles " + QByteArray::number(rec->particles) +
                      "\nmaintype " + rec->maintype + "\n";
    for (int i = 0; i < UsedTypeCount(*rec); ++i)
        text += QByteArray("type ") + rec->types[i].name + "\n";
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::memcpy(buffer, text.constData(),
                std::min<std::size_t>(static_cast<std::size_t>(text.size()), static_cast<std::size_t>(size)));
    return 1;
}

int32_t LoadText(const char *text, ParticleSystem *rec)
{
    ++loads;
    std::vector<std::string> names;
    std::string mainType;
    int particles = 0;
    for (const QByteArray &line : QByteArray(text).split('\n')) {
        const QByteArray l = line.trimmed();
        if (l.startsWith("particles "))
            particles = l.mid(10).toInt();
        else if (l.startsWith("maintype "))
            mainType = l.mid(9).toStdString();
        else if (l.startsWith("type "))
            names.push_back(l.mid(5).toStdString());
        else if (!l.isEmpty() && !l.startsWith("//"))
            return 0;
    }
    *rec = MakeRecord(names, mainType.c_str());
    rec->particles = particles;
    return 1;
}

int32_t Defaults(ParticleSystem *rec)
{
    *rec = MakeRecord({"default"});
    return 1;
}

int moduleStandIn;

}  // namespace

class InspectorGuiTest : public QObject {
    Q_OBJECT
private:
    std::vector<TMessageRecord> messages;
    TfrmMain *w = nullptr;

    void PlaceTestManager()
    {
        TParticleManager m;
        m.module = &moduleStandIn;  // the host never frees a manager it did not load
        m.fileName = QStringLiteral("embTestMan.so");
        m.title = QStringLiteral("Test Particles");
        m.isText = 1;
        for (int i = 0; i < kUserSlotCount; ++i)
            SetText(m.userParmNames[i], "<Undefined>");
        SetText(m.userParmNames[1], "Glow");
        m.SaveMemoryFile = SaveText;
        m.LoadMemoryFile = LoadText;
        m.GetDefaults = Defaults;
        QCOMPARE(w->Managers.Add(m), 0);
    }

    void LoadDocument(const ParticleSystem &record)
    {
        w->DocumentRecord = record;
        w->RefreshAfterLoad();
        w->SetEditControlsEnabled(true);
    }

    // Emits the grid's validation for a row as the grid does after an edit.
    void Validate(const QString &key, const QString &value)
    {
        const int row = w->InspectorGrid->RowOfKey(key);
        QVERIFY2(row >= 0, qPrintable(key));
        w->InspectorGrid->SetValue(row, value);
        emit w->InspectorGrid->Validate(1, row, key, value);
    }

private slots:
    void init()
    {
        loads = 0;
        messages.clear();
        SetMessageHook([this](const TMessageRecord &m) {
            messages.push_back(m);
            return TMsgResult::Ok;
        });
        w = new TfrmMain;
        PlaceTestManager();
        w->CurrentManager = 0;
    }

    void cleanup()
    {
        delete w;
        w = nullptr;
        SetMessageHook({});
        SetDialogHook({});
        SetPluginDirectory(QString());
    }

    void gridReportsTypedPickedAndEnteredRows()
    {
        TObjectInspector grid;
        InspectorRow plain{"Gravity", "1", EditStyle::Plain, false, 0, RowPicker::None, {}};
        InspectorRow pick{"Render Mode",  "b", EditStyle::PickList, true, 255, RowPicker::None,
                          {"a", "b", "c"}};
        InspectorRow ellipsis{"Sprite Name", "", EditStyle::Ellipsis, false, 255, RowPicker::Sprite, {}};
        grid.SetRows({plain, pick, ellipsis});
        grid.show();
        QSignalSpy validated(&grid, &TObjectInspector::Validate);
        QSignalSpy buttons(&grid, &TObjectInspector::EditButtonClick);

        grid.setCurrentCell(0, 1);
        auto *line = grid.viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        QCOMPARE(line->text(), QStringLiteral("1"));
        QTest::keyClick(line, Qt::Key_Return);  // unchanged, still validated
        QTRY_COMPARE(validated.count(), 1);
        QCOMPARE(validated.at(0).at(2).toString(), QStringLiteral("Gravity"));
        QCOMPARE(validated.at(0).at(3).toString(), QStringLiteral("1"));

        grid.setCurrentCell(1, 0);
        grid.setCurrentCell(0, 1);
        line = grid.viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        line->selectAll();
        QTest::keyClicks(line, "-5");
        grid.setCurrentCell(2, 0);  // leaving a typed cell validates it
        QTRY_COMPARE(validated.count(), 2);
        QCOMPARE(validated.at(1).at(3).toString(), QStringLiteral("-5"));
        QCOMPARE(grid.Value(0), QStringLiteral("-5"));

        grid.setCurrentCell(0, 1);
        grid.setCurrentCell(2, 0);  // leaving an untouched cell does not
        QTest::qWait(20);
        QCOMPARE(validated.count(), 2);

        grid.setCurrentCell(1, 1);
        auto *combo = grid.viewport()->findChild<QComboBox *>();
        QVERIFY(combo);
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QStringLiteral("b"));
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        QTRY_COMPARE(validated.count(), 3);
        QCOMPARE(validated.at(2).at(3).toString(), QStringLiteral("c"));

        grid.setCurrentCell(2, 1);
        line = grid.viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        QCOMPARE(line->maxLength(), 255);
        QCOMPARE(line->actions().size(), 1);
        line->actions().first()->trigger();
        QTRY_COMPARE(buttons.count(), 1);
        QCOMPARE(buttons.at(0).at(0).toInt(), 2);
    }

    void refreshFillsTypeListAndPages()
    {
        LoadDocument(MakeRecord({"emitter", "smoke"}, "ghost"));
        QCOMPARE(w->TypeCombo->count(), 3);
        QCOMPARE(w->TypeCombo->itemText(0), QStringLiteral("<GLOBAL>"));
        QCOMPARE(w->TypeCombo->itemText(2), QStringLiteral("smoke"));
        QCOMPARE(w->TypeCombo->currentIndex(), 0);
        QCOMPARE(w->lblScriptManager->text(), QStringLiteral("Test Particles"));
        QCOMPARE(w->DefaultsRecord.typeCount, 1);
        QVERIFY(w->DocumentReady);
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].text, QStringLiteral("Main type not defined!"));
        QCOMPARE(messages[0].caption, QStringLiteral("Warning"));
        QCOMPARE(w->InspectorGrid->rowCount(), 3);
        QCOMPARE(w->InspectorGrid->Value(QStringLiteral("Main Type")), QStringLiteral("ghost"));

        w->TypeCombo->setCurrentIndex(2);
        emit w->TypeCombo->activated(2);
        QCOMPARE(w->InspectorGrid->Key(0), QStringLiteral("Name"));
        QCOMPARE(w->InspectorGrid->Value(0), QStringLiteral("smoke"));
        QVERIFY(w->ObjectInspector->isEnabled());
    }

    void validatedRowsChangeTheRecord()
    {
        w->DocumentRecord.types[1].userValue2.supported = 1;
        ParticleSystem rec = MakeRecord({"emitter", "smoke"});
        rec.types[1].userValue2.supported = 1;
        LoadDocument(rec);
        w->TypeCombo->setCurrentIndex(2);
        w->FillInspector(2);

        Validate(QStringLiteral("Glow"), QStringLiteral("2.5"));  // labelled by the manager
        QCOMPARE(w->DocumentRecord.types[1].userValue2.value, 2.5);
        QVERIFY(w->RecordModified);

        Validate(QStringLiteral("Name"), QStringLiteral("ash"));
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].name), QByteArray("ash"));
        QCOMPARE(w->TypeCombo->itemText(2), QStringLiteral("ash"));
        QCOMPARE(w->TypeCombo->currentIndex(), 2);

        emit w->InspectorGrid->Validate(1, 0, QStringLiteral("Sparkle"), QStringLiteral("1"));
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].text, QStringLiteral("Unknown key: \"Sparkle\""));
        QCOMPARE(messages[0].caption, QStringLiteral("Sparkwright"));
        QCOMPARE(messages[0].icon, TMsgIcon::Warning);

        const ParamRange before = w->DocumentRecord.types[1].startred;
        Validate(QStringLiteral("Start Color 1"), QStringLiteral("1 x 0"));
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[1].text, QStringLiteral("'x' is not a valid floating point value"));
        QCOMPARE(w->DocumentRecord.types[1].startred.min, before.min);

        w->DocumentReady = false;  // after a rejected script nothing is applied
        Validate(QStringLiteral("Gravity"), QStringLiteral("9"));
        QCOMPARE(w->DocumentRecord.types[1].gravity.present, 0);
    }

    void pickersWriteTheRecordDirectly()
    {
        LoadDocument(MakeRecord({"emitter", "smoke"}));
        w->TypeCombo->setCurrentIndex(2);
        w->FillInspector(2);
        w->RecordModified = false;
        const QByteArray spriteBefore(w->DocumentRecord.types[1].sprite.text);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString shortName = dir.filePath(QStringLiteral("fire.spr"));
        const QString longName = dir.filePath(QString(248, QLatin1Char('a')));
        for (const QString &path : {shortName, longName}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QString chosen = shortName;
        // The sprite browser opens first; its File button leads to the file dialog.
        SetDialogHook([&chosen](QDialog *d) {
            if (auto *browser = qobject_cast<TfrmSpriteBrowser *>(d)) {
                browser->ChooseFile();
                return browser->result();
            }
            auto *files = qobject_cast<QFileDialog *>(d);
            if (!files || files->windowTitle() != QStringLiteral("Browse for Sprite"))
                return int(QDialog::Rejected);
            files->selectFile(chosen);
            return int(QDialog::Accepted);
        });
        const int spriteRow = w->InspectorGrid->RowOfKey(QStringLiteral("Sprite Name"));
        w->ObjectInspectorEditButtonClick(spriteRow);
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].sprite.text), QByteArray("sprites/fire.spr"));
        QCOMPARE(w->DocumentRecord.types[1].sprite.present, 1);
        QCOMPARE(w->InspectorGrid->Value(spriteRow), QStringLiteral("sprites/fire.spr"));
        // No game directory holds it: the row carries a warning.
        QVERIFY(!w->InspectorGrid->item(spriteRow, 1)->icon().isNull());
        QVERIFY(w->InspectorGrid->item(spriteRow, 1)
                    ->toolTip()
                    .contains(QStringLiteral("\"sprites/fire.spr\" is not found in the game directories")));
        // With the folder as the base game directory it is found, and the mark goes.
        w->GameDir = dir.path();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sprites")));
        QVERIFY(QFile::copy(shortName, dir.filePath(QStringLiteral("sprites/fire.spr"))));
        w->FillInspector(2);
        QVERIFY(w->InspectorGrid->item(spriteRow, 1)->icon().isNull());
        QVERIFY(w->InspectorGrid->item(spriteRow, 1)->toolTip().isEmpty());
        w->GameDir.clear();

        chosen = longName;  // "sprites/" and 248 characters do not fit
        w->ObjectInspectorEditButtonClick(spriteRow);
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].sprite.text), QByteArray("sprites/fire.spr"));
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY(messages[0].text.contains(QStringLiteral("longer than 255")));

        SetDialogHook([](QDialog *d) {
            auto *colours = qobject_cast<QColorDialog *>(d);
            if (!colours)
                return int(QDialog::Rejected);
            colours->setCurrentColor(QColor(255, 128, 0));
            return int(QDialog::Accepted);
        });
        const int secondRow = w->InspectorGrid->RowOfKey(QStringLiteral("End Color 2"));
        w->ObjectInspectorEditButtonClick(secondRow);
        QCOMPARE(w->InspectorGrid->Value(secondRow), QStringLiteral("1.000 0.502 0.000"));
        const ParticleType &t = w->DocumentRecord.types[1];
        QCOMPARE(t.endred.min, 1.0);  // from "End Color 1"
        QCOMPARE(t.endgreen.max, 0.502);
        QCOMPARE(t.endblue.max, 0.0);
        // A picked value is a step, and the script pane is rewritten on showing.
        QVERIFY(w->RecordModified);
        QCOMPARE(w->acUndo->text(), QStringLiteral("&Undo End Color 2"));
        w->acUndo->trigger();
        QCOMPARE(t.endgreen.max, 1.0);
        QCOMPARE(w->acUndo->text(), QStringLiteral("&Undo Sprite Name"));
        // The browser's pick is a step of its own: undone, the row and the
        // record show the sprite from before, and Redo brings the pick back.
        w->acUndo->trigger();
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].sprite.text), spriteBefore);
        QCOMPARE(w->InspectorGrid->Value(w->InspectorGrid->RowOfKey(QStringLiteral("Sprite Name"))),
                 QString::fromLatin1(spriteBefore));
        w->acRedo->trigger();
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].sprite.text), QByteArray("sprites/fire.spr"));
    }

    void scriptTabFollowsTheRecordAndBack()
    {
        LoadDocument(MakeRecord({"emitter", "smoke"}));
        w->SetScriptText(QStringLiteral("loaded text"));
        w->ScriptBackup = QStringList{QStringLiteral("loaded text")};
        w->RecordModified = true;
        w->Tabs->setCurrentIndex(1);
        QVERIFY(w->ScriptEditor->toPlainText().contains(QStringLiteral("type smoke")));
        QVERIFY(!w->RecordModified);
        QVERIFY(!w->ScriptModified);

        w->ScriptEditor->setPlainText(QStringLiteral("particles 7\nmaintype a\ntype a\ntype b\ntype c\n"));
        QVERIFY(w->ScriptModified);
        w->Tabs->setCurrentIndex(0);
        QCOMPARE(loads, 1);
        QCOMPARE(w->DocumentRecord.particles, 7);
        QCOMPARE(w->TypeCombo->count(), 4);
        QVERIFY(!w->ScriptModified);

        w->Tabs->setCurrentIndex(1);
        w->ScriptEditor->setPlainText(QStringLiteral("rubbish"));
        w->btnUpdate->click();  // Update with a text the manager rejects
        QCOMPARE(loads, 2);
        QVERIFY(!w->DocumentReady);
        QCOMPARE(messages.back().text,
                 QStringLiteral("Failed to load particles from memory.\r\nManager: embTestMan.so"));
        QCOMPARE(messages.back().caption, QStringLiteral("Error"));

        w->ScriptEditor->setPlainText(QStringLiteral("typed"));
        w->btnRevert->click();  // Revert shows what Update stored
        QCOMPARE(w->ScriptEditor->toPlainText(), QStringLiteral("rubbish\n"));
        QVERIFY(!w->ScriptModified);
        QCOMPARE(w->DocumentRecord.particles, 7);
    }

    void rowBeingEditedCountsBeforeATabSwitch()
    {
        LoadDocument(MakeRecord({"emitter", "smoke"}));
        w->Terminated = true;  // keeps the start-up sequence from running on show
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->TypeCombo->setCurrentIndex(2);
        w->FillInspector(2);
        w->InspectorGrid->setFocus();
        w->InspectorGrid->setCurrentCell(0, 1);
        auto *line = w->InspectorGrid->viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        line->setFocus();
        line->selectAll();
        QTest::keyClicks(line, "ember");
        w->Tabs->setCurrentIndex(1);  // the open editor is committed on the way
        QCOMPARE(QByteArray(w->DocumentRecord.types[1].name), QByteArray("ember"));
        QVERIFY(w->ScriptEditor->toPlainText().contains(QStringLiteral("type ember")));
        QVERIFY(!w->RecordModified);
    }

#ifdef SCRIPT_MANAGER_DIR
    void longDocumentSurvivesThePaneWhole()
    {
        w->Managers.Load(QStringLiteral(SCRIPT_MANAGER_DIR));
        QCOMPARE(w->Managers.Count(), 1);
        ParticleSystem &rec = w->DocumentRecord;
        QVERIFY(PluginYes(w->Managers[0].GetDefaults(&rec)));
        rec.typeCount = kMaxParticleTypes;
        for (int i = 0; i < kMaxParticleTypes; ++i) {
            ParticleType &t = rec.types[i];
            SetText(t.name, ("type" + std::to_string(i)).c_str());
            t.sprite.present = 1;
            SetText(t.sprite.text, ("sprites/" + std::string(200, char('a' + i)) + ".spr").c_str());
            // The 27 ranges lie one after another, from gravity to bouncefriction.
            for (ParamRange *r = &t.gravity; r <= &t.bouncefriction; ++r)
                *r = Range(0.123456 * (i + 1), 1.5 + i);
        }
        const ParticleSystem before = rec;
        LoadDocument(before);

        w->RecordModified = true;
        w->Tabs->setCurrentIndex(1);
        const QString text = w->ScriptEditor->toPlainText();
        QVERIFY2(text.size() > kScriptMemoryBufferSize, qPrintable(QString::number(text.size())));
        QVERIFY(text.contains(QStringLiteral("type9")));

        w->ScriptEditor->setPlainText(text);  // as if typed: Update parses it all
        QVERIFY(w->ApplyScript());
        QCOMPARE(rec.typeCount, kMaxParticleTypes);
        QCOMPARE(QByteArray(rec.types[9].sprite.text), QByteArray(before.types[9].sprite.text));
        QCOMPARE(Show(rec.types[9].windyaw), Show(before.types[9].windyaw));
        QCOMPARE(w->TypeCombo->count(), kMaxParticleTypes + 1);
    }
#endif

    void scriptEditorMenu()
    {
        QPlainTextEdit edit;
        edit.setPlainText(QStringLiteral("abc"));
        QMenu *menu = CreateScriptEditorMenu(&edit);
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(texts, (QStringList{"&Undo", "Cu&t", "&Copy", "&Paste", "-", "Select &All"}));
        QCOMPARE(menu->defaultAction(), menu->actions().first());
        QVERIFY(!menu->actions().at(2)->isEnabled());  // nothing selected to copy
        menu->actions().at(5)->trigger();
        QVERIFY(edit.textCursor().hasSelection());
        delete menu;
    }
};

QTEST_MAIN(InspectorGuiTest)
#include "property_grid_test.moc"
