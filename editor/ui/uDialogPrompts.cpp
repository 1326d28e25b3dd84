#include "uDialogPrompts.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>

namespace Prompts {
namespace {

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

bool InputQuery(QWidget *owner, const QString &caption, const QString &prompt, QString &value)
{
    if (inputHandler())
        return inputHandler()(owner, caption, prompt, value);
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, value, &ok);
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

void SetInputHandler(InputHandler handler)
{
    inputHandler() = std::move(handler);
}
void SetUrlHandler(UrlHandler handler)
{
    urlHandler() = std::move(handler);
}

}  // namespace Prompts
