#include "uScriptEditorMenu.h"

#include <QMenu>
#include <QPlainTextEdit>

QMenu *CreateScriptEditorMenu(QPlainTextEdit *editor)
{
    auto *menu = new QMenu(editor);
    menu->setObjectName(QStringLiteral("ScriptEditorMenu"));
    const bool editable = !editor->isReadOnly();
    const bool selection = editor->textCursor().hasSelection();

    QAction *undo = menu->addAction(QStringLiteral("&Undo"), editor, &QPlainTextEdit::undo);
    undo->setEnabled(editable && editor->document()->isUndoAvailable());
    menu->setDefaultAction(undo);
    menu->addAction(QStringLiteral("Cu&t"), editor, &QPlainTextEdit::cut)->setEnabled(editable && selection);
    menu->addAction(QStringLiteral("&Copy"), editor, &QPlainTextEdit::copy)->setEnabled(selection);
    menu->addAction(QStringLiteral("&Paste"), editor, &QPlainTextEdit::paste)
        ->setEnabled(editable && editor->canPaste());
    menu->addSeparator();
    menu->addAction(QStringLiteral("Select &All"), editor, &QPlainTextEdit::selectAll)
        ->setEnabled(!editor->document()->isEmpty());
    return menu;
}

void InstallScriptEditorMenu(QPlainTextEdit *editor)
{
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(editor, &QWidget::customContextMenuRequested, editor, [editor](const QPoint &pos) {
        QMenu *menu = CreateScriptEditorMenu(editor);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(editor->viewport()->mapToGlobal(pos));
    });
}
