// The input box and the desktop opener of the editor's dialogs. Tests replace
// the handlers so that nothing waits for a person or starts a browser; message
// boxes and modal dialogs go through uMessages.
#pragma once

#include <functional>

#include <QString>
#include <QUrl>

class QWidget;

namespace Prompts {

// An input box with one line; true when confirmed, value then holds the answer.
// When cancelled value is left as it was.
bool InputQuery(QWidget *owner, const QString &caption, const QString &prompt, QString &value);

// Opens a file or web address the way the desktop opens it; false when it cannot.
bool OpenUrl(const QUrl &url);

using InputHandler =
    std::function<bool(QWidget *owner, const QString &caption, const QString &prompt, QString &value)>;
using UrlHandler = std::function<bool(const QUrl &url)>;

// Empty handlers restore the interactive ones.
void SetInputHandler(InputHandler handler);
void SetUrlHandler(UrlHandler handler);

}  // namespace Prompts
