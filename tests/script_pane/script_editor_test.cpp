// The Script tab as a code editor, inside the main window with the real
// script manager: highlighting, findings in the pane, the problems list, the
// inspector marks, completion, find and replace, comments, Go to Line, the
// kept cursor, and the checks when a file is opened. No renderer is loaded.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include "uMain.h"
#include "uMessages.h"
#include "uParticleMan.h"
#include "uPlatform.h"
#include "uPropertyGrid.h"
#include "uScriptEditor.h"
#include "uScriptProblems.h"

namespace {

// A misspelt key, a spray type that names no type and a section left open.
const char kFaultyScript[] = "\"particles\" \"40\"\n"
                             "\"maintype\" \"emitter\"\n"
                             "\n"
                             "{\n"
                             "\t\"name\" \"emitter\"\n"
                             "\t\"spraytype\" \"sparks\"\n"
                             "\t\"sprayrate\" \"10\"\n"
                             "}\n"
                             "\n"
                             "{\n"
                             "\t\"name\" \"particle\"\n"
                             "\t\"lifetim\" \"4\"\n";

int Position(QPlainTextEdit *edit, int line, int column)
{
    return edit->document()->findBlockByNumber(line - 1).position() + column - 1;
}

}  // namespace

class ScriptEditorTest : public QObject {
    Q_OBJECT
private:
    TfrmMain *w = nullptr;
    std::vector<TMessageRecord> messages;
    TMsgResult answer = TMsgResult::Yes;
    QTemporaryDir dir;

    TScriptEditor *Pane() const { return static_cast<TScriptEditor *>(w->ScriptEditor); }

    QString WriteFile(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        return path;
    }

    // The foreground that the highlighter gave the character at a column.
    static QColor ColourAt(const QTextBlock &block, int column)
    {
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            if (column >= range.start && column < range.start + range.length)
                return range.format.foreground().color();
        }
        return {};
    }

private slots:
    void init()
    {
        messages.clear();
        answer = TMsgResult::Yes;
        SetMessageHook([this](const TMessageRecord &m) {
            messages.push_back(m);
            return answer;
        });
        SetPluginDirectory(QStringLiteral(SCRIPT_MANAGER_DIR));
        w = new TfrmMain;
        w->Terminated = true;  // keeps the start-up sequence from running on show
        w->Managers.Load(PluginDirectory(), w->HostWarning());
        QCOMPARE(w->Managers.Count(), 1);
        QVERIFY(w->Managers[0].CheckMemoryFile != nullptr);
        QVERIFY(w->Managers[0].GetScriptKeys != nullptr);
        w->CurrentManager = 0;
        w->SetEditControlsEnabled(true);
        w->Tabs->setCurrentIndex(1);
    }

    void cleanup()
    {
        delete w;
        w = nullptr;
        SetPluginDirectory(QString());
        SetMessageHook({});
        SetDialogHook({});
    }

    void highlightsTheClassesOfASampleLine()
    {
        Pane()->setPlainText(
            QStringLiteral("{\n\t\"lifetime\" \"2..5\" lifetim 4 sprite \"a b\" } // note\n"));
        Pane()->CheckNow();  // takes the manager's key list
        const QTextBlock line = Pane()->document()->findBlockByNumber(1);
        TScriptHighlighter highlighter(nullptr);
        const auto colour = [&highlighter](ScriptTokenClass cls) {
            return highlighter.Format(cls).foreground().color();
        };
        QCOMPARE(ColourAt(line, 1), colour(ScriptTokenClass::Key));          // "lifetime"
        QCOMPARE(ColourAt(line, 13), colour(ScriptTokenClass::Range));       // "2..5"
        QCOMPARE(ColourAt(line, 20), colour(ScriptTokenClass::UnknownKey));  // lifetim
        QCOMPARE(ColourAt(line, 27), colour(ScriptTokenClass::Number));      // 4
        QCOMPARE(ColourAt(line, 29), colour(ScriptTokenClass::Key));         // sprite
        QCOMPARE(ColourAt(line, 37), colour(ScriptTokenClass::String));      // "a b"
        QCOMPARE(ColourAt(line, 42), colour(ScriptTokenClass::Brace));       // }
        QCOMPARE(ColourAt(line, 45), colour(ScriptTokenClass::Comment));     // // note
        QSet<QRgb> distinct;
        for (ScriptTokenClass cls :
             {ScriptTokenClass::Key, ScriptTokenClass::UnknownKey, ScriptTokenClass::Range,
              ScriptTokenClass::Number, ScriptTokenClass::String, ScriptTokenClass::Brace,
              ScriptTokenClass::Comment})
            distinct.insert(colour(cls).rgb());
        QCOMPARE(distinct.size(), 7);
    }

    void findingsAreUnderlinedListedAndAClickJumps()
    {
        Pane()->setPlainText(QString::fromLatin1(kFaultyScript));
        Pane()->CheckNow();
        const std::vector<PaneFinding> &findings = Pane()->Findings();
        QCOMPARE(findings.size(), std::size_t{3});
        QCOMPARE(findings[0].position, Position(Pane(), 6, 14));
        QCOMPARE(findings[0].length, 8);  // "sparks" with its quotes
        QCOMPARE(findings[1].position, Position(Pane(), 10, 1));
        QVERIFY(findings[1].finding.error);
        QCOMPARE(findings[2].position, Position(Pane(), 12, 2));

        int underlined = 0;
        for (const QTextEdit::ExtraSelection &s : Pane()->extraSelections())
            underlined += s.format.underlineStyle() == QTextCharFormat::WaveUnderline ? 1 : 0;
        QCOMPARE(underlined, 3);

        TScriptProblems *problems = Pane()->Problems();
        QCOMPARE(problems->count(), 3);
        QCOMPARE(problems->item(2)->text(),
                 QStringLiteral("Line 12, column 2: unknown key \"lifetim\" (did you mean \"lifetime\"?)"));
        w->resize(1000, 800);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        problems->scrollToItem(problems->item(2));
        QTest::mouseClick(problems->viewport(), Qt::LeftButton, {},
                          problems->visualItemRect(problems->item(2)).center());
        QCOMPARE(Pane()->textCursor().position(), Position(Pane(), 12, 2));
        QTest::mouseClick(problems->viewport(), Qt::LeftButton, {},
                          problems->visualItemRect(problems->item(0)).center());
        QCOMPARE(Pane()->textCursor().blockNumber(), 5);

        // A disabled pane (no document, or a format that is not text) shows none.
        Pane()->setEnabled(false);
        Pane()->CheckNow();
        QCOMPARE(problems->count(), 0);
        Pane()->setEnabled(true);
        QTRY_COMPARE(problems->count(), 3);

        // Fixing the text clears the findings after the pause in typing.
        Pane()->setPlainText(QStringLiteral("particles 5 maintype a { name a }"));
        QTRY_COMPARE(problems->count(), 0);
        QVERIFY(Pane()->Findings().empty());
    }

    void messagesQuoteTheScriptTextInItsOwnCharacters()
    {
        // The pane hands the manager 8-bit text; a quoted value comes back in it.
        Pane()->setPlainText(QStringLiteral("particles 1 maintype a { name a lifetime \"caf\u00e9\" }"));
        Pane()->CheckNow();
        QCOMPARE(Pane()->Problems()->count(), 1);
        QCOMPARE(Pane()->Problems()->item(0)->text(),
                 QStringLiteral(
                     "Line 1, column 42: \"caf\u00e9\" is not a number or a range such as 2..5: reads as 0"));
        QCOMPARE(FindingText("\"caf\xc3\xa9\""), QStringLiteral("\"caf\u00e9\""));
        QCOMPARE(FindingText("\"caf\xe9\""), QStringLiteral("\"caf\u00e9\""));
    }

    void inspectorRowsOfKeysWithFindingsAreMarked()
    {
        w->ScriptEditor->setPlainText(
            QStringLiteral("particles 0\nmaintype a\n{ name a\nlifetime -1 startred x }\n"));
        QVERIFY(w->ApplyScript());
        // No pause in typing has passed: filling the inspector checks the text first.
        w->TypeCombo->setCurrentIndex(1);
        w->FillInspector(1);
        const int lifetime = w->InspectorGrid->RowOfKey(QStringLiteral("Life Time"));
        // The red, green and blue keys are shown together in the colour rows.
        const int colour = w->InspectorGrid->RowOfKey(QStringLiteral("Start Color 1"));
        const int name = w->InspectorGrid->RowOfKey(QStringLiteral("Name"));
        QVERIFY(lifetime >= 0 && colour >= 0 && name >= 0);
        QVERIFY(w->InspectorGrid->item(lifetime, 0)
                    ->toolTip()
                    .contains(QStringLiteral("should not be negative")));
        QVERIFY(
            w->InspectorGrid->item(colour, 0)->toolTip().contains(QStringLiteral("\"x\" is not a number")));
        QVERIFY(!w->InspectorGrid->item(lifetime, 0)->data(Qt::BackgroundRole).isNull());
        QVERIFY(w->InspectorGrid->item(name, 0)->toolTip().isEmpty());
        QVERIFY(w->InspectorGrid->item(name, 0)->data(Qt::BackgroundRole).isNull());

        w->TypeCombo->setCurrentIndex(0);
        w->FillInspector(0);
        const int particles = w->InspectorGrid->RowOfKey(QStringLiteral("Number of Particles"));
        QVERIFY(w->InspectorGrid->item(particles, 0)->toolTip().contains(QStringLiteral("at least 1")));
    }

    void completionOffersKeysAndTypeNames()
    {
        w->resize(1000, 800);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        Pane()->setPlainText(QStringLiteral("{ name spark }\n{\n\t"));
        Pane()->CheckNow();
        Pane()->moveCursor(QTextCursor::End);
        Pane()->setFocus();
        QTest::keyClicks(Pane(), QStringLiteral("lif"));
        QCompleter *completer = Pane()->findChild<QCompleter *>();
        QVERIFY(completer);
        QTRY_VERIFY(completer->popup()->isVisible());
        QCOMPARE(completer->currentCompletion(), QStringLiteral("lifetime"));
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(Pane()->textCursor().block().text(), QStringLiteral("\tlifetime"));

        QTest::keyClicks(Pane(), QStringLiteral(" 4"));
        QTest::keyClick(Pane(), Qt::Key_Return);
        QTest::keyClicks(Pane(), QStringLiteral("spraytype s"));
        // The new line kept the indentation of the line before it.
        QCOMPARE(Pane()->textCursor().block().text(), QStringLiteral("\tspraytype s"));
        Pane()->ShowCompletion();
        QTRY_VERIFY(completer->popup()->isVisible());
        QCOMPARE(completer->currentCompletion(), QStringLiteral("spark"));
        QTest::keyClick(completer->popup(), Qt::Key_Escape);
        QVERIFY(!completer->popup()->isVisible());
    }

    void findAndReplace()
    {
        w->resize(1000, 800);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        Pane()->setPlainText(QStringLiteral("{ name fire }\n{ name Fire spraytype fire }\n"));
        Pane()->setFocus();
        QTest::keyClick(Pane(), Qt::Key_F, Qt::ControlModifier);
        TScriptFindBar *bar = Pane()->FindBar();
        QVERIFY(bar->isVisible());
        QVERIFY(!bar->ReplaceEdit()->isVisible());
        bar->FindEdit()->setText(QStringLiteral("fire"));
        QTest::keyClick(bar->FindEdit(), Qt::Key_Return);
        QCOMPARE(Pane()->textCursor().selectionStart(), 7);
        QVERIFY(bar->FindNext());
        QCOMPARE(Pane()->textCursor().selectionStart(), 21);  // letter case ignored
        bar->MatchCase()->setChecked(true);
        QVERIFY(bar->FindNext());
        QCOMPARE(Pane()->textCursor().selectionStart(), 36);
        QVERIFY(bar->FindNext());
        QCOMPARE(Pane()->textCursor().selectionStart(), 7);  // wraps around
        bar->FindEdit()->setText(QStringLiteral("smoke"));
        QVERIFY(!bar->FindNext());

        Pane()->setFocus();
        QTest::keyClick(Pane(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(bar->ReplaceEdit()->isVisible());
        bar->FindEdit()->setText(QStringLiteral("fire"));
        bar->ReplaceEdit()->setText(QStringLiteral("ember"));
        bar->MatchCase()->setChecked(false);
        QCOMPARE(bar->ReplaceAll(), 3);
        QCOMPARE(Pane()->toPlainText(), QStringLiteral("{ name ember }\n{ name ember spraytype ember }\n"));
        Pane()->undo();
        // One step undoes all.
        QCOMPARE(Pane()->toPlainText(), QStringLiteral("{ name fire }\n{ name Fire spraytype fire }\n"));

        Pane()->moveCursor(QTextCursor::Start);
        bar->MatchCase()->setChecked(true);
        bar->ReplaceEdit()->setText(QStringLiteral("ash"));
        QVERIFY(bar->ReplaceCurrent());  // finds the first
        QVERIFY(bar->ReplaceCurrent());  // replaces it, finds the next
        QCOMPARE(Pane()->toPlainText(), QStringLiteral("{ name ash }\n{ name Fire spraytype fire }\n"));
        QTest::keyClick(bar->FindEdit(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
    }

    void toggleCommentAndGoToLine()
    {
        w->resize(1000, 800);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        Pane()->setPlainText(QStringLiteral("{\n\tname a\n\tlifetime 4\n}"));
        QTextCursor c = Pane()->textCursor();
        c.setPosition(Position(Pane(), 2, 3));
        c.setPosition(Position(Pane(), 3, 2), QTextCursor::KeepAnchor);
        Pane()->setTextCursor(c);
        Pane()->setFocus();
        QTest::keyClick(Pane(), Qt::Key_Slash, Qt::ControlModifier);
        QCOMPARE(Pane()->toPlainText(), QStringLiteral("{\n\t// name a\n\t// lifetime 4\n}"));
        QTest::keyClick(Pane(), Qt::Key_Slash, Qt::ControlModifier);
        QCOMPARE(Pane()->toPlainText(), QStringLiteral("{\n\tname a\n\tlifetime 4\n}"));

        int asked = 0;
        SetDialogHook([&asked](QDialog *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            if (!input)
                return int(QDialog::Rejected);
            ++asked;
            input->setIntValue(3);
            return int(QDialog::Accepted);
        });
        QTest::keyClick(Pane(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(asked, 1);
        QCOMPARE(Pane()->textCursor().blockNumber(), 2);
        QCOMPARE(Pane()->textCursor().positionInBlock(), 0);
    }

    void regeneratedTextKeepsCursorAndScroll()
    {
        w->resize(1000, 500);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("// line %1\n").arg(i);
        Pane()->setPlainText(text + QStringLiteral("particles 5\n"));
        Pane()->JumpTo(Position(Pane(), 200, 4));
        const int scroll = Pane()->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        Pane()->SetTextKeepingPlace(text + QStringLiteral("particles 6\n"));
        QCOMPARE(Pane()->textCursor().position(), Position(Pane(), 200, 4));
        QCOMPARE(Pane()->verticalScrollBar()->value(), scroll);

        // Text above the cursor changed: the cursor goes back to the start.
        Pane()->SetTextKeepingPlace(QStringLiteral("// changed\n") + text);
        QCOMPARE(Pane()->textCursor().position(), 0);
    }

    void aManagerWithoutTheCheckStillOpensAndEdits()
    {
        // The same manager once more, without the optional exports.
        TParticleManager plain = w->Managers[0];
        plain.CheckMemoryFile = nullptr;
        plain.GetScriptKeys = nullptr;
        const int slot = w->Managers.Add(plain);
        QCOMPARE(slot, 1);
        const QString path = WriteFile(QStringLiteral("plain.nbs"), kFaultyScript);
        QVERIFY(w->OpenDocument(path, slot + 1));
        QVERIFY(messages.empty());
        QCOMPARE(w->statusBar()->currentMessage(), QString());
        Pane()->CheckNow();
        QVERIFY(Pane()->Findings().empty());
        QCOMPARE(Pane()->Problems()->count(), 0);
        // Highlighting goes on without the key list: every word where a key belongs is a key.
        TScriptHighlighter highlighter(nullptr);
        const QTextBlock line = Pane()->document()->findBlockByNumber(11);
        QCOMPARE(ColourAt(line, 1), highlighter.Format(ScriptTokenClass::Key).foreground().color());
    }

    void openingAFileReportsFindingsAndAsksAboutAFileWithoutKeys()
    {
        const QString faulty = WriteFile(QStringLiteral("faulty.nbs"), kFaultyScript);
        QVERIFY(w->OpenDocument(faulty, 1));
        QCOMPARE(w->statusBar()->currentMessage(),
                 QStringLiteral(
                     "1 error and 2 warnings in the script: the first at line 6 (see the problems list "
                     "of the Script tab)"));
        QVERIFY(messages.empty());
        // Colouring the opened text with the manager's keys is no typing.
        QVERIFY(!w->ScriptModified);
        QVERIFY(!w->HasUnsavedChanges());

        // A binary file: no key at all. Declined, nothing changes.
        QByteArray binary(65536, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>((i * 7919) % 251);
        const QString empty = WriteFile(QStringLiteral("picture.nbs"), binary);
        answer = TMsgResult::No;
        QVERIFY(!w->OpenDocument(empty, 1));
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].buttons, TMsgButtons::YesNo);
        QVERIFY(messages[0].text.contains(QStringLiteral("holds no particle script key")));
        QCOMPARE(w->DocumentPath, faulty);

        answer = TMsgResult::Yes;
        QVERIFY(w->OpenDocument(empty, 1));
        QCOMPARE(w->DocumentPath, empty);

        const QString clean = WriteFile(QStringLiteral("clean.nbs"), "particles 5 maintype a { name a }\n");
        QVERIFY(w->OpenDocument(clean, 1));
        QCOMPARE(w->statusBar()->currentMessage(), QString());
        QCOMPARE(messages.size(), std::size_t{2});
    }
};

QTEST_MAIN(ScriptEditorTest)
#include "script_editor_test.moc"
