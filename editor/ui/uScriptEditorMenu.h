// The script pane's context menu: Undo (the default item), Cut, Copy, Paste,
// a separator and Select All, acting on the pane.
#pragma once

class QMenu;
class QPlainTextEdit;

// A menu for the pane's current state; the caller owns it.
QMenu *CreateScriptEditorMenu(QPlainTextEdit *editor);
// Shows that menu whenever the pane asks for a context menu.
void InstallScriptEditorMenu(QPlainTextEdit *editor);
