// The Script tab's text editor: highlighting, line numbers, the current line,
// matching braces and quotes, completion, comment toggling, Go to Line, and
// the manager's findings underlined in the text. The logic lives in the
// editor core (uScriptLexer, uScriptFindings, uScriptEditing); this is the
// widget side.
#pragma once

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <functional>
#include <string>
#include <vector>

#include "uScriptFindings.h"
#include "uScriptLexer.h"

class QBoxLayout;
class QCompleter;
class QStringListModel;
class QTimer;
class TScriptFindBar;
class TScriptProblems;

// What the pane needs of the document's manager; either may be empty.
struct ScriptCheckServices {
    // The script text as the manager reads it, in its 8-bit encoding.
    std::function<std::string(const QString &text)> encode;
    // The manager's check report for an encoded text; empty when it has no check.
    std::function<std::string(const std::string &encoded)> check;
    // The manager's key list ("header KEY" / "type KEY" lines); empty without one.
    std::function<std::string()> keyList;
};

class TScriptHighlighter : public QSyntaxHighlighter {
public:
    explicit TScriptHighlighter(QTextDocument *document);
    void SetKeys(const ScriptKeySet &keys);
    const ScriptKeySet &Keys() const { return keys_; }
    QTextCharFormat Format(ScriptTokenClass cls) const;

protected:
    void highlightBlock(const QString &text) override;

private:
    ScriptKeySet keys_;
};

// One finding placed in the pane.
struct PaneFinding {
    ScriptFinding finding;
    int position = 0;  // in the document
    int length = 1;
    ScriptPlace place;
};

class TScriptEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TScriptEditor(QWidget *parent = nullptr);

    // Puts the find bar and the problems list into the layout after the editor,
    // and the pane's shortcuts on the layout's widget.
    void AttachCompanions(QBoxLayout *layout);
    TScriptFindBar *FindBar() const { return findBar_; }
    TScriptProblems *Problems() const { return problems_; }

    void SetServices(ScriptCheckServices services);
    // Checks the text now rather than after the pause in typing.
    void CheckNow();
    // Runs a check that is waiting for the pause in typing, so that the
    // findings belong to the text as it stands.
    void CheckIfPending();
    const std::vector<PaneFinding> &Findings() const { return findings_; }

    // Replaces the text; the cursor and the scroll position stay when the
    // text before the cursor is the same.
    void SetTextKeepingPlace(const QString &text);

    void GoToLine(int line);  // from 1
    void ShowGoToLine();
    void ToggleComment();
    void ShowCompletion();
    void JumpTo(int position);
    // Completion offered at the cursor, for the popup and for tests.
    ScriptCompletion CompletionAtCursor() const;

    int LineNumberAreaWidth() const;
    void PaintLineNumbers(QPaintEvent *event);

signals:
    void FindingsChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;  // tool tips of the findings
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    // Files dragged from a file manager are left to the window, which opens
    // them, instead of their names being typed into the script.
    bool canInsertFromMimeData(const QMimeData *source) const override;

private:
    void UpdateExtraSelections();
    void AddBracePair(QList<QTextEdit::ExtraSelection> &selections) const;
    void InsertCompletion(const QString &word);
    void RefreshKeys();

    TScriptHighlighter *highlighter_;
    QWidget *lineNumbers_;
    QTimer *checkTimer_;
    QCompleter *completer_;
    QStringListModel *completions_;
    int completionStart_ = 0;
    TScriptFindBar *findBar_ = nullptr;
    TScriptProblems *problems_ = nullptr;
    ScriptCheckServices services_;
    std::string keyList_;
    std::vector<PaneFinding> findings_;
    QList<QTextEdit::ExtraSelection> findingMarks_;
    std::vector<std::u16string> typeNames_;
};
