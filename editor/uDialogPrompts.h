// The one road by which the dialogs of this unit group ask the user something
// or open an address through the desktop. Tests replace the handlers so that
// texts, captions and icons can be checked without a person clicking.
#pragma once

#include <functional>

#include <QString>
#include <QUrl>

class QWidget;

namespace Prompts {

enum class Icon { None, Information, Warning, Question };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// The application title: the caption of every box that has no title of its own.
QString ApplicationTitle();

// An empty caption means the application title.
Answer Message(QWidget *owner, const QString &text, const QString &caption = QString(),
               Icon icon = Icon::Warning, Buttons buttons = Buttons::Ok);

// An input box with one line; true when confirmed, value then holds the answer.
// When cancelled value is left as it was.
bool InputQuery(QWidget *owner, const QString &caption, const QString &prompt, QString &value);

// Opens a file or web address the way the desktop opens it; false when it cannot.
bool OpenUrl(const QUrl &url);

using MessageHandler = std::function<Answer(QWidget *owner, const QString &text,
                                            const QString &caption, Icon icon, Buttons buttons)>;
using InputHandler = std::function<bool(QWidget *owner, const QString &caption,
                                        const QString &prompt, QString &value)>;
using UrlHandler = std::function<bool(const QUrl &url)>;

// Empty handlers restore the interactive ones.
void SetMessageHandler(MessageHandler handler);
void SetInputHandler(InputHandler handler);
void SetUrlHandler(UrlHandler handler);

}  // namespace Prompts
