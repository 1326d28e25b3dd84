// The one road by which the editor talks to the user in a box, and by which
// it runs its modal dialogs. Tests install hooks here to read every message
// (text, caption, icon, buttons) and to answer boxes and dialogs themselves.
#pragma once

#include <QString>
#include <functional>

#include "uTextRules.h"

class QWidget;
class QDialog;

enum class TMsgIcon { None, Information, Warning, Question, Error };
// RestoreDiscard: "Restore" answers Yes, "Discard" No, closing the box Cancel.
enum class TMsgButtons { Ok, YesNo, YesNoCancel, RestoreDiscard };
enum class TMsgResult { Ok, Cancel, Yes, No };

struct TMessageRecord {
    QString text;     // exactly as worded, line breaks as "\r\n"
    QString caption;  // already resolved: empty captions become the application title
    TMsgIcon icon = TMsgIcon::None;
    TMsgButtons buttons = TMsgButtons::Ok;
    QWidget *owner = nullptr;
};

using TMessageHook = std::function<TMsgResult(const TMessageRecord &)>;
// While a hook is installed no box is shown: the hook answers instead.
void SetMessageHook(TMessageHook hook);

// An empty caption stands for the system's default caption.
TMsgResult ShowMessageBox(QWidget *owner, const QString &text, const QString &caption, TMsgIcon icon,
                          TMsgButtons buttons = TMsgButtons::Ok);

using TDialogHook = std::function<int(QDialog *)>;
// While a hook is installed, modal dialogs are handed to it instead of being
// run; it returns the dialog's result (QDialog::Accepted or Rejected).
void SetDialogHook(TDialogHook hook);
int ExecDialog(QDialog *dialog);
