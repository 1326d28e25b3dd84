#include "uScriptProblems.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <map>

#include "uScriptEditor.h"

QString FindingText(const std::string &message)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(message.data(), static_cast<qsizetype>(message.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size()));
}

// ---- problems list ------------------------------------------------------

TScriptProblems::TScriptProblems(TScriptEditor *editor, QWidget *parent)
    : QListWidget(parent), editor_(editor)
{
    setObjectName(QStringLiteral("ScriptProblems"));
    setToolTip(QStringLiteral("Problems found in the script: click one to go to its place"));
    const int icon = fontMetrics().height();
    setIconSize(QSize(icon, icon));
    // Room for four problems; more scroll.
    setMaximumHeight((icon + 4) * 4 + 2 * frameWidth() + horizontalScrollBar()->sizeHint().height());
    setWordWrap(false);
    const auto jump = [this](QListWidgetItem *item) { editor_->JumpTo(item->data(Qt::UserRole).toInt()); };
    connect(this, &QListWidget::itemClicked, this, jump);
    connect(this, &QListWidget::itemActivated, this, jump);
}

void TScriptProblems::Refresh()
{
    clear();
    const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const PaneFinding &pane : editor_->Findings()) {
        const QTextBlock block = editor_->document()->findBlock(pane.position);
        const QString text = QStringLiteral("Line %1, column %2: %3")
                                 .arg(block.blockNumber() + 1)
                                 .arg(pane.position - block.position() + 1)
                                 .arg(FindingText(pane.finding.message));
        auto *item = new QListWidgetItem(pane.finding.error ? error : warning, text, this);
        item->setData(Qt::UserRole, pane.position);
        item->setToolTip(text);
    }
}

// ---- find and replace ---------------------------------------------------

TScriptFindBar::TScriptFindBar(TScriptEditor *editor, QWidget *parent) : QWidget(parent), editor_(editor)
{
    setObjectName(QStringLiteral("ScriptFindBar"));
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    auto *findRow = new QHBoxLayout;
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("FindText"));
    find_->setPlaceholderText(QStringLiteral("Find"));
    auto *previous = new QToolButton(this);
    previous->setText(QStringLiteral("<"));
    previous->setToolTip(QStringLiteral("Find previous (Shift+Enter)"));
    auto *next = new QToolButton(this);
    next->setText(QStringLiteral(">"));
    next->setToolTip(QStringLiteral("Find next (Enter)"));
    matchCase_ = new QCheckBox(QStringLiteral("Aa"), this);
    matchCase_->setToolTip(QStringLiteral("Match letter case"));
    auto *close = new QToolButton(this);
    close->setText(QStringLiteral("x"));
    close->setToolTip(QStringLiteral("Close (Esc)"));
    status_ = new QLabel(this);
    findRow->addWidget(find_, 1);
    findRow->addWidget(previous);
    findRow->addWidget(next);
    findRow->addWidget(matchCase_);
    findRow->addWidget(close);
    rows->addLayout(findRow);

    replaceRow_ = new QWidget(this);
    auto *replaceRow = new QHBoxLayout(replaceRow_);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replace_ = new QLineEdit(replaceRow_);
    replace_->setObjectName(QStringLiteral("ReplaceText"));
    replace_->setPlaceholderText(QStringLiteral("Replace with"));
    auto *one = new QPushButton(QStringLiteral("Replace"), replaceRow_);
    auto *all = new QPushButton(QStringLiteral("All"), replaceRow_);
    all->setToolTip(QStringLiteral("Replace all"));
    replaceRow->addWidget(replace_, 1);
    replaceRow->addWidget(one);
    replaceRow->addWidget(all);
    rows->addWidget(replaceRow_);
    rows->addWidget(status_);

    connect(find_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    connect(replace_, &QLineEdit::returnPressed, this, [this] { ReplaceCurrent(); });
    connect(previous, &QToolButton::clicked, this, [this] { FindNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { FindNext(); });
    connect(one, &QPushButton::clicked, this, [this] { ReplaceCurrent(); });
    connect(all, &QPushButton::clicked, this, [this] { ReplaceAll(); });
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        editor_->setFocus();
    });
}

void TScriptFindBar::Open(bool replace)
{
    const QString selected = editor_->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        find_->setText(selected);
    replaceRow_->setVisible(replace && !editor_->isReadOnly());
    status_->clear();
    show();
    find_->setFocus();
    find_->selectAll();
}

bool TScriptFindBar::SelectionMatches() const
{
    const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return !find_->text().isEmpty() && editor_->textCursor().selectedText().compare(find_->text(), cs) == 0;
}

bool TScriptFindBar::FindNext(bool backward)
{
    if (find_->text().isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (backward)
        flags |= QTextDocument::FindBackward;
    if (matchCase_->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    QTextDocument *document = editor_->document();
    QTextCursor found = document->find(find_->text(), editor_->textCursor(), flags);
    if (found.isNull()) {
        // Wrap around once.
        QTextCursor start(document);
        if (backward)
            start.movePosition(QTextCursor::End);
        found = document->find(find_->text(), start, flags);
    }
    if (found.isNull()) {
        status_->setText(QStringLiteral("\"%1\" not found").arg(find_->text()));
        return false;
    }
    status_->clear();
    editor_->setTextCursor(found);
    editor_->centerCursor();
    return true;
}

bool TScriptFindBar::ReplaceCurrent()
{
    if (editor_->isReadOnly())
        return false;
    if (SelectionMatches())
        editor_->textCursor().insertText(replace_->text());
    return FindNext();
}

int TScriptFindBar::ReplaceAll()
{
    if (editor_->isReadOnly() || find_->text().isEmpty())
        return 0;
    QTextDocument::FindFlags flags;
    if (matchCase_->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    QTextDocument *document = editor_->document();
    QTextCursor edit(document);
    edit.beginEditBlock();  // one step to undo
    int count = 0;
    QTextCursor found = document->find(find_->text(), 0, flags);
    while (!found.isNull()) {
        found.insertText(replace_->text());
        ++count;
        found = document->find(find_->text(), found, flags);
    }
    edit.endEditBlock();
    status_->setText(QStringLiteral("%1 replaced").arg(count));
    return count;
}

void TScriptFindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        editor_->setFocus();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        FindNext(true);
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- inspector marks ----------------------------------------------------

void MarkInspectorFindings(QTableWidget *grid, const std::vector<PaneFinding> &findings, int section)
{
    struct Note {
        QStringList messages;
        bool error = false;
    };
    std::map<QString, Note> notes;
    for (const PaneFinding &pane : findings) {
        if (pane.place.section != section || pane.place.key.empty())
            continue;
        for (const std::string &label : InspectorLabelsForKey(pane.place.key)) {
            Note &note = notes[QString::fromStdString(label)];
            note.messages << QStringLiteral("Line %1: %2")
                                 .arg(pane.finding.line)
                                 .arg(FindingText(pane.finding.message));
            note.error = note.error || pane.finding.error;
        }
    }
    for (int row = 0; row < grid->rowCount(); ++row) {
        QTableWidgetItem *key = grid->item(row, 0);
        if (!key)
            continue;
        const auto it = notes.find(key->text());
        if (it == notes.end()) {
            key->setData(Qt::BackgroundRole, QVariant());
            key->setToolTip(QString());
        } else {
            key->setBackground(it->second.error ? QColor(0xF8, 0xC8, 0xC8) : QColor(0xF8, 0xE8, 0xB0));
            key->setToolTip(it->second.messages.join(QLatin1Char('\n')));
        }
    }
}
