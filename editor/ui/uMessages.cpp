#include "uMessages.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdint>

namespace {
TMessageHook &MessageHook()
{
    static TMessageHook hook;
    return hook;
}

TDialogHook &DialogHook()
{
    static TDialogHook hook;
    return hook;
}

QMessageBox::Icon BoxIcon(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information: return QMessageBox::Information;
    case TMsgIcon::Warning: return QMessageBox::Warning;
    case TMsgIcon::Question: return QMessageBox::Question;
    case TMsgIcon::Error: return QMessageBox::Critical;
    case TMsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

void SetMessageHook(TMessageHook hook)
{
    MessageHook() = std::move(hook);
}

TMsgResult ShowMessageBox(QWidget *owner, const QString &text, const QString &caption, TMsgIcon icon,
                          TMsgButtons buttons)
{
    TMessageRecord message{text, caption.isEmpty() ? ApplicationTitle() : caption, icon, buttons, owner};
    if (MessageHook())
        return MessageHook()(message);

    QMessageBox box(BoxIcon(icon), message.caption,
                    QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case TMsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case TMsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case TMsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case TMsgButtons::RestoreDiscard: {
        QPushButton *restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
        QPushButton *discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
        box.setDefaultButton(restore);
        box.exec();
        if (box.clickedButton() == restore)
            return TMsgResult::Yes;
        return box.clickedButton() == discard ? TMsgResult::No : TMsgResult::Cancel;
    }
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Ok: return TMsgResult::Ok;
    default: return TMsgResult::Cancel;
    }
}

void SetDialogHook(TDialogHook hook)
{
    DialogHook() = std::move(hook);
}

int ExecDialog(QDialog *dialog)
{
    if (DialogHook())
        return DialogHook()(dialog);
    return dialog->exec();
}

// The renderer plug-in looks this up in the running program and, when found,
// leaves its message boxes to us, so they go through the same road as ours.
extern "C" __attribute__((visibility("default"))) void
SparkwrightRendererMessageBox(const char *caption, const char *text, uintptr_t ownerWindow)
{
    QWidget *owner = ownerWindow ? QWidget::find(static_cast<WId>(ownerWindow)) : nullptr;
    ShowMessageBox(owner, QString::fromLocal8Bit(text ? text : ""),
                   QString::fromLocal8Bit(caption ? caption : ""), TMsgIcon::Warning);
}
