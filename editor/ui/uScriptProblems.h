// The list of the script's findings under the pane (a click jumps to the
// place), the find-and-replace bar above it, and the marks on inspector rows
// whose keys have findings.
#pragma once

#include <QListWidget>
#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TScriptEditor;
struct PaneFinding;

class TScriptProblems : public QListWidget {
    Q_OBJECT
public:
    explicit TScriptProblems(TScriptEditor *editor, QWidget *parent = nullptr);
    // Lists the editor's findings again.
    void Refresh();

private:
    TScriptEditor *editor_;
};

class TScriptFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TScriptFindBar(TScriptEditor *editor, QWidget *parent = nullptr);

    // Shows the bar with the selection (or the last text) to find; with
    // replace also the replacement field.
    void Open(bool replace);
    bool FindNext(bool backward = false);
    bool ReplaceCurrent();
    int ReplaceAll();

    QLineEdit *FindEdit() const { return find_; }
    QLineEdit *ReplaceEdit() const { return replace_; }
    QCheckBox *MatchCase() const { return matchCase_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool SelectionMatches() const;

    TScriptEditor *editor_;
    QLineEdit *find_;
    QLineEdit *replace_;
    QCheckBox *matchCase_;
    QLabel *status_;
    QWidget *replaceRow_;
};

// A message of the manager as text: it quotes script text, which is UTF-8
// where it is valid and 8-bit Latin-1 otherwise.
QString FindingText(const std::string &message);

// Marks the key cells of the inspector rows that show a key with a finding in
// the given type section (-1 the global page), with the messages as tool tips;
// clears the marks of every other row.
void MarkInspectorFindings(QTableWidget *grid, const std::vector<PaneFinding> &findings, int section);
