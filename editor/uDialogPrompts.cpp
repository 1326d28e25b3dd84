#include "uDialogPrompts.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace Prompts {
namespace {

MessageHandler &messageHandler()
{
    static MessageHandler handler;
    return handler;
}

InputHandler &inputHandler()
{
    static InputHandler handler;
    return handler;
}

UrlHandler &urlHandler()
{
    static UrlHandler handler;
    return handler;
}

}  // namespace

QString ApplicationTitle()
{
    return QStringLiteral("Sparkwright");
}

Answer Message(QWidget *owner, const QString &text, const QString &caption, Icon icon,
               Buttons buttons)
{
    if (messageHandler())
        return messageHandler()(owner, text, caption, icon, buttons);

    QMessageBox box(owner);
    box.setWindowTitle(caption.isEmpty() ? ApplicationTitle() : caption);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
    }
}

bool InputQuery(QWidget *owner, const QString &caption, const QString &prompt, QString &value)
{
    if (inputHandler())
        return inputHandler()(owner, caption, prompt, value);
    bool ok = false;
    const QString answer =
        QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = answer;
    return ok;
}

bool OpenUrl(const QUrl &url)
{
    if (urlHandler())
        return urlHandler()(url);
    return QDesktopServices::openUrl(url);
}

void SetMessageHandler(MessageHandler handler) { messageHandler() = std::move(handler); }
void SetInputHandler(InputHandler handler) { inputHandler() = std::move(handler); }
void SetUrlHandler(UrlHandler handler) { urlHandler() = std::move(handler); }

}  // namespace Prompts
