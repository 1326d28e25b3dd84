#include "uScriptEditor.h"

#include <QMimeData>

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QCompleter>
#include <QHelpEvent>
#include <QInputDialog>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "uMessages.h"
#include "uScriptEditing.h"
#include "uScriptProblems.h"

namespace {

// A pause in typing this long runs the manager's check.
constexpr int kCheckDelayMs = 300;

std::u16string_view View(const QString &text)
{
    return {reinterpret_cast<const char16_t *>(text.constData()), static_cast<std::size_t>(text.size())};
}

QString FromU16(const std::u16string &text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), static_cast<qsizetype>(text.size()));
}

// The tokens of a line, kept by the highlighter for brace matching.
class ScriptBlockData : public QTextBlockUserData {
public:
    explicit ScriptBlockData(std::vector<ScriptToken> tokens) : tokens(std::move(tokens)) {}
    std::vector<ScriptToken> tokens;
};

std::vector<ScriptToken> TokensOf(const QTextBlock &block, const ScriptKeySet &keys)
{
    if (const auto *data = dynamic_cast<const ScriptBlockData *>(block.userData()))
        return data->tokens;
    ScriptLineState state = ScriptLineState::Unpack(block.previous().isValid() ? block.previous().userState()
                                                                               : -1);
    const QString text = block.text();
    return LexScriptLine(View(text), state, keys);
}

bool IsBraceToken(const ScriptToken &t, const QString &line, QChar brace)
{
    return t.cls == ScriptTokenClass::Brace && !t.quoted && t.length == 1 && line.at(t.start) == brace;
}

class TLineNumberArea : public QWidget {
public:
    explicit TLineNumberArea(TScriptEditor *editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return {editor_->LineNumberAreaWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { editor_->PaintLineNumbers(event); }

private:
    TScriptEditor *editor_;
};

QTextEdit::ExtraSelection Mark(const QTextCursor &cursor, const QColor &background)
{
    QTextEdit::ExtraSelection selection;
    selection.cursor = cursor;
    selection.format.setBackground(background);
    return selection;
}

}  // namespace

// ---- highlighter --------------------------------------------------------

TScriptHighlighter::TScriptHighlighter(QTextDocument *document) : QSyntaxHighlighter(document)
{
}

void TScriptHighlighter::SetKeys(const ScriptKeySet &keys)
{
    keys_ = keys;
    rehighlight();
}

QTextCharFormat TScriptHighlighter::Format(ScriptTokenClass cls) const
{
    QTextCharFormat format;
    switch (cls) {
    case ScriptTokenClass::Comment:
        format.setForeground(QColor(0x70, 0x70, 0x70));
        format.setFontItalic(true);
        break;
    case ScriptTokenClass::Brace:
        format.setForeground(QColor(0xA0, 0x50, 0x00));
        format.setFontWeight(QFont::Bold);
        break;
    case ScriptTokenClass::Key:
        format.setForeground(QColor(0x00, 0x30, 0xA0));
        format.setFontWeight(QFont::Bold);
        break;
    case ScriptTokenClass::UnknownKey:
        format.setForeground(QColor(0xB0, 0x00, 0x60));
        format.setFontItalic(true);
        break;
    case ScriptTokenClass::String: format.setForeground(QColor(0x00, 0x70, 0x20)); break;
    case ScriptTokenClass::Number: format.setForeground(QColor(0x00, 0x70, 0x90)); break;
    case ScriptTokenClass::Range: format.setForeground(QColor(0x70, 0x20, 0xA0)); break;
    case ScriptTokenClass::Word: format.setForeground(QColor(0x60, 0x50, 0x00)); break;
    }
    return format;
}

void TScriptHighlighter::highlightBlock(const QString &text)
{
    ScriptLineState state = ScriptLineState::Unpack(previousBlockState());
    std::vector<ScriptToken> tokens = LexScriptLine(View(text), state, keys_);
    for (const ScriptToken &t : tokens)
        setFormat(t.start, t.length, Format(t.cls));
    setCurrentBlockState(state.Pack());
    setCurrentBlockUserData(new ScriptBlockData(std::move(tokens)));
}

// ---- editor -------------------------------------------------------------

TScriptEditor::TScriptEditor(QWidget *parent)
    : QPlainTextEdit(parent), highlighter_(new TScriptHighlighter(document())),
      lineNumbers_(new TLineNumberArea(this)), checkTimer_(new QTimer(this)),
      completer_(new QCompleter(this)), completions_(new QStringListModel(this))
{
    checkTimer_->setSingleShot(true);
    checkTimer_->setInterval(kCheckDelayMs);
    connect(checkTimer_, &QTimer::timeout, this, &TScriptEditor::CheckNow);
    connect(this, &QPlainTextEdit::textChanged, checkTimer_, qOverload<>(&QTimer::start));

    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(LineNumberAreaWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy != 0)
            lineNumbers_->scroll(0, dy);
        else
            lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TScriptEditor::UpdateExtraSelections);
    setViewportMargins(LineNumberAreaWidth(), 0, 0, 0);

    completer_->setModel(completions_);
    completer_->setWidget(this);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->popup()->setObjectName(QStringLiteral("ScriptCompletionPopup"));
    connect(completer_, qOverload<const QString &>(&QCompleter::activated), this,
            &TScriptEditor::InsertCompletion);

    auto *complete = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space), this);
    complete->setContext(Qt::WidgetShortcut);
    connect(complete, &QShortcut::activated, this, &TScriptEditor::ShowCompletion);
    UpdateExtraSelections();
}

void TScriptEditor::AttachCompanions(QBoxLayout *layout)
{
    QWidget *owner = layout->parentWidget();
    const int at = layout->indexOf(this);
    findBar_ = new TScriptFindBar(this, owner);
    findBar_->hide();
    problems_ = new TScriptProblems(this, owner);
    layout->insertWidget(at + 1, findBar_);
    layout->insertWidget(at + 2, problems_);

    const auto bind = [owner](QKeySequence keys, auto handler) {
        auto *shortcut = new QShortcut(keys, owner);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, owner, handler);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { findBar_->Open(false); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_H), [this] { findBar_->Open(true); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { ShowGoToLine(); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Slash), [this] { ToggleComment(); });
}

void TScriptEditor::SetServices(ScriptCheckServices services)
{
    services_ = std::move(services);
    RefreshKeys();
    checkTimer_->start();
}

void TScriptEditor::RefreshKeys()
{
    const std::string list = services_.keyList ? services_.keyList() : std::string();
    if (list != keyList_ || (!list.empty() && !highlighter_->Keys().Known())) {
        keyList_ = list;
        // Colouring the text anew changes no character, but the document
        // reports it as a text change: the window would take it for typing.
        const QSignalBlocker quiet(this);
        highlighter_->SetKeys(ParseScriptKeyList(list));
    }
}

void TScriptEditor::CheckNow()
{
    checkTimer_->stop();
    RefreshKeys();
    findings_.clear();
    findingMarks_.clear();
    const QString text = toPlainText();
    const std::u16string_view u16 = View(text);
    typeNames_ = ScriptTypeNames(u16, highlighter_->Keys());

    if (services_.check && services_.encode && isEnabled()) {
        std::string encoded = services_.encode(text);
        std::replace(encoded.begin(), encoded.end(), '\0', ' ');  // reads as the same separator
        const std::vector<ScriptFinding> parsed = ParseCheckReport(services_.check(encoded));
        // Columns come in bytes; where the encoding is not one byte a character
        // the line's characters are measured one by one.
        const bool oneByteEach = encoded.size() == static_cast<std::size_t>(text.size());
        std::vector<ScriptPosition> positions;
        for (const ScriptFinding &f : parsed) {
            QTextBlock block = document()->findBlockByNumber(f.line - 1);
            if (!block.isValid())
                block = document()->lastBlock();
            const QString line = block.text();
            int column = f.column;
            if (!oneByteEach) {
                std::vector<int> lengths;
                for (QChar c : line)
                    lengths.push_back(static_cast<int>(services_.encode(QString(c)).size()));
                column = CharacterColumn(lengths, f.column);
            }
            column = std::clamp(column - 1, 0, static_cast<int>(line.size()));
            PaneFinding pane;
            pane.finding = f;
            pane.position = block.position() + column;
            pane.length = 1;
            for (const ScriptToken &t : TokensOf(block, highlighter_->Keys())) {
                if (t.start == column) {
                    pane.length = t.length;
                    break;
                }
            }
            pane.length = std::max(0, std::min(pane.length, static_cast<int>(line.size()) - column));
            positions.push_back({block.blockNumber(), column});
            findings_.push_back(std::move(pane));
        }
        const std::vector<ScriptPlace> places = PlacesInScript(u16, positions, highlighter_->Keys());
        for (std::size_t i = 0; i < findings_.size(); ++i) {
            PaneFinding &pane = findings_[i];
            pane.place = places[i];
            QTextCursor cursor(document());
            cursor.setPosition(pane.position);
            const int end = std::min(pane.position + std::max(pane.length, 1),
                                     document()->characterCount() - 1);
            cursor.setPosition(end, QTextCursor::KeepAnchor);
            QTextEdit::ExtraSelection mark;
            mark.cursor = cursor;
            mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            mark.format.setUnderlineColor(pane.finding.error ? QColor(0xD0, 0x00, 0x00)
                                                             : QColor(0xD0, 0x90, 0x00));
            findingMarks_.push_back(mark);
        }
    }
    UpdateExtraSelections();
    if (problems_)
        problems_->Refresh();
    emit FindingsChanged();
}

void TScriptEditor::CheckIfPending()
{
    if (checkTimer_->isActive())
        CheckNow();
}

void TScriptEditor::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        checkTimer_->start();  // a disabled pane shows no findings
}

void TScriptEditor::SetTextKeepingPlace(const QString &text)
{
    const QString old = toPlainText();
    const int cursor = textCursor().position();
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    setPlainText(text);
    if (const std::optional<int> kept = KeptCursorPosition(View(old), View(text), cursor)) {
        QTextCursor c(document());
        c.setPosition(*kept);
        setTextCursor(c);
        verticalScrollBar()->setValue(vertical);
        horizontalScrollBar()->setValue(horizontal);
    }
}

void TScriptEditor::GoToLine(int line)
{
    const int number = std::clamp(line, 1, document()->blockCount());
    JumpTo(document()->findBlockByNumber(number - 1).position());
}

void TScriptEditor::ShowGoToLine()
{
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("GoToLineDialog"));
    dialog.setWindowTitle(QStringLiteral("Go to Line"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setLabelText(QStringLiteral("Line number (1 - %1):").arg(document()->blockCount()));
    dialog.setIntRange(1, document()->blockCount());
    dialog.setIntValue(textCursor().blockNumber() + 1);
    if (ExecDialog(&dialog) == QDialog::Accepted)
        GoToLine(dialog.intValue());
}

void TScriptEditor::ToggleComment()
{
    if (isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    QTextBlock last = document()->findBlock(cursor.selectionEnd());
    // A selection that ends at the start of a line does not take that line in.
    if (cursor.hasSelection() && last.position() == cursor.selectionEnd() && last != first)
        last = last.previous();
    std::vector<std::u16string> lines;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        const QString text = b.text();
        lines.emplace_back(View(text));
        if (b == last)
            break;
    }
    QStringList replaced;
    for (const std::u16string &line : ToggleLineComments(lines))
        replaced << FromU16(line);
    const int start = first.position();
    QTextCursor edit(document());
    edit.beginEditBlock();
    edit.setPosition(start);
    edit.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    edit.insertText(replaced.join(QLatin1Char('\n')));
    edit.endEditBlock();
    QTextCursor selection(document());
    selection.setPosition(start);
    selection.setPosition(edit.position(), QTextCursor::KeepAnchor);
    setTextCursor(selection);
}

ScriptCompletion TScriptEditor::CompletionAtCursor() const
{
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const ScriptLineState state = ScriptLineState::Unpack(
        block.previous().isValid() ? block.previous().userState() : -1);
    const QString line = block.text();
    return CompleteAt(View(line), cursor.positionInBlock(), state, highlighter_->Keys(), typeNames_);
}

void TScriptEditor::ShowCompletion()
{
    const ScriptCompletion completion = CompletionAtCursor();
    if (completion.candidates.empty()) {
        completer_->popup()->hide();
        return;
    }
    QStringList words;
    for (const std::u16string &word : completion.candidates)
        words << FromU16(word);
    completions_->setStringList(words);
    completionStart_ = textCursor().block().position() + completion.start;
    completer_->setCompletionPrefix(FromU16(completion.typed));
    QRect rect = cursorRect();
    rect.setWidth(completer_->popup()->sizeHintForColumn(0) +
                  completer_->popup()->verticalScrollBar()->sizeHint().width());
    completer_->complete(rect);
    completer_->popup()->setCurrentIndex(completer_->completionModel()->index(0, 0));
}

void TScriptEditor::InsertCompletion(const QString &word)
{
    QTextCursor cursor = textCursor();
    const int end = cursor.position();
    if (completionStart_ > end || completionStart_ < cursor.block().position())
        return;
    cursor.setPosition(completionStart_);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.insertText(word);
    setTextCursor(cursor);
}

void TScriptEditor::JumpTo(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    setTextCursor(cursor);
    centerCursor();
    setFocus(Qt::OtherFocusReason);
}

void TScriptEditor::keyPressEvent(QKeyEvent *event)
{
    if (completer_->popup()->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Tab:
        case Qt::Key_Escape:
        case Qt::Key_Backtab:
            event->ignore();  // the completer takes them
            return;
        default: break;
        }
    }
    const bool newLine = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                         !(event->modifiers() & Qt::ControlModifier);
    // A new line keeps the indentation of the line it breaks.
    const QString indent = [this] {
        const QString line = textCursor().block().text();
        int i = 0;
        while (i < line.size() && (line.at(i) == QLatin1Char('\t') || line.at(i) == QLatin1Char(' ')))
            ++i;
        return line.left(i);
    }();
    QPlainTextEdit::keyPressEvent(event);
    if (newLine && !isReadOnly() && !indent.isEmpty())
        insertPlainText(indent);

    const QString typed = event->text();
    const bool wordKey = !typed.isEmpty() &&
                         (typed.at(0).isLetterOrNumber() || typed.at(0) == QLatin1Char('_'));
    if (wordKey && !(event->modifiers() & Qt::ControlModifier)) {
        const ScriptCompletion completion = CompletionAtCursor();
        if (completion.typed.size() >= 2 || completer_->popup()->isVisible())
            ShowCompletion();
    } else if (completer_->popup()->isVisible() && event->key() != Qt::Key_Backspace) {
        completer_->popup()->hide();
    }
}

bool TScriptEditor::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int position = cursorForPosition(help->pos()).position();
        QStringList messages;
        for (const QTextEdit::ExtraSelection &mark : findingMarks_) {
            if (position >= mark.cursor.selectionStart() && position <= mark.cursor.selectionEnd()) {
                const auto index = static_cast<std::size_t>(&mark - findingMarks_.constData());
                const ScriptFinding &f = findings_[index].finding;
                messages << (f.error ? QStringLiteral("error: ") : QStringLiteral("warning: ")) +
                                FindingText(f.message);
            }
        }
        if (messages.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), messages.join(QLatin1Char('\n')), viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

void TScriptEditor::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    lineNumbers_->setGeometry(QRect(area.left(), area.top(), LineNumberAreaWidth(), area.height()));
}

int TScriptEditor::LineNumberAreaWidth() const
{
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

void TScriptEditor::PaintLineNumbers(QPaintEvent *event)
{
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int current = textCursor().blockNumber();
    const int width = lineNumbers_->width() - 4;
    const int height = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= event->rect().top()) {
            QFont font = painter.font();
            font.setBold(block.blockNumber() == current);
            painter.setFont(font);
            painter.setPen(block.blockNumber() == current ? palette().color(QPalette::WindowText)
                                                          : palette().color(QPalette::PlaceholderText));
            painter.drawText(0, top, width, height, Qt::AlignRight, QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top = bottom;
    }
}

void TScriptEditor::UpdateExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections = findingMarks_;
    if (isEnabled()) {
        QTextEdit::ExtraSelection line = Mark(textCursor(), QColor(0xFF, 0xFB, 0xD8));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor.clearSelection();
        selections.prepend(line);
        AddBracePair(selections);
    }
    setExtraSelections(selections);
    lineNumbers_->update();
}

// Marks the brace or quote beside the cursor and its partner; an unmatched
// brace is marked alone in another colour.
void TScriptEditor::AddBracePair(QList<QTextEdit::ExtraSelection> &selections) const
{
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const QString line = block.text();
    const int column = cursor.positionInBlock();
    const ScriptKeySet &keys = highlighter_->Keys();
    const std::vector<ScriptToken> tokens = TokensOf(block, keys);
    const QColor matched(0xC8, 0xF0, 0xC8);
    const QColor unmatched(0xF8, 0xC0, 0xC0);
    auto markAt = [&](int position, const QColor &colour) {
        QTextCursor c(document());
        c.setPosition(position);
        c.setPosition(position + 1, QTextCursor::KeepAnchor);
        selections.append(Mark(c, colour));
    };

    for (const ScriptToken &t : tokens) {
        const bool touches = column == t.start || column == t.start + 1 ||
                             (t.quoted && (column == t.start + t.length || column == t.start + t.length - 1));
        if (!touches)
            continue;
        if (t.quoted && t.closed && t.length >= 2 && line.at(t.start) == QLatin1Char('"')) {
            markAt(block.position() + t.start, matched);
            markAt(block.position() + t.start + t.length - 1, matched);
            return;
        }
        if (t.quoted && !t.closed) {
            markAt(block.position() + t.start, unmatched);
            return;
        }
        const bool opening = IsBraceToken(t, line, QLatin1Char('{'));
        if (!opening && !IsBraceToken(t, line, QLatin1Char('}')))
            continue;
        const QChar same = opening ? QLatin1Char('{') : QLatin1Char('}');
        const QChar other = opening ? QLatin1Char('}') : QLatin1Char('{');
        int depth = 0;
        QTextBlock b = block;
        std::vector<ScriptToken> bt = tokens;
        auto index = static_cast<int>(&t - tokens.data());
        for (;;) {
            const QString text = b.text();
            for (int k = index; k >= 0 && k < static_cast<int>(bt.size()); k += opening ? 1 : -1) {
                if (IsBraceToken(bt[static_cast<std::size_t>(k)], text, same)) {
                    ++depth;
                } else if (IsBraceToken(bt[static_cast<std::size_t>(k)], text, other) && --depth == 0) {
                    markAt(block.position() + t.start, matched);
                    markAt(b.position() + bt[static_cast<std::size_t>(k)].start, matched);
                    return;
                }
            }
            b = opening ? b.next() : b.previous();
            if (!b.isValid())
                break;
            bt = TokensOf(b, keys);
            index = opening ? 0 : static_cast<int>(bt.size()) - 1;
        }
        markAt(block.position() + t.start, unmatched);
        return;
    }
}

bool TScriptEditor::canInsertFromMimeData(const QMimeData *source) const
{
    if (source->hasUrls()) {
        for (const QUrl &url : source->urls()) {
            if (url.isLocalFile())
                return false;
        }
    }
    return QPlainTextEdit::canInsertFromMimeData(source);
}
