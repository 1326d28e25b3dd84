// Helpers shared by the editor's tests: catching every message box and modal
// dialog, reading what the test renderers were told, and a private settings
// folder for the test process.
#pragma once

class TRendererHost;
class TfrmMain;

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

#include "uMessages.h"

class QWidget;

// Records every message and answers it; answers queue up, Ok/Yes is the default.
class MessageCatcher {
public:
    MessageCatcher();
    ~MessageCatcher();
    QList<TMessageRecord> messages;
    std::deque<TMsgResult> answers;
    QStringList Texts() const;
};

// Hands every modal dialog to the next handler in line; without one the dialog
// is rejected. The names of the dialogs seen are kept in order.
class DialogCatcher {
public:
    DialogCatcher();
    ~DialogCatcher();
    std::deque<std::function<int(QDialog *)>> handlers;
    QStringList seen;  // object names
};

// The call log of the test renderer in a slot, and clearing it.
QStringList RendererLog(const TRendererHost &host, int slot);
void ClearRendererLog(const TRendererHost &host, int slot);
const double *RendererOptions(const TRendererHost &host, int slot);

// A fresh start for a test of the main window: no stored settings, the
// program's default settings, plug-ins from the given folder.
void ResetEditor(const QString &pluginDirectory);

// A dialog handler that enters a base folder into the game folders dialog and
// confirms it.
std::function<int(QDialog *)> AcceptGameDirectories(const QString &baseDir);

// Closes a window by its frame, as the user would; true when it went.
bool CloseByFrame(QWidget &window);
// A file's bytes as Latin-1 text; empty when it cannot be read.
QString ReadFile(const QString &path);
// Writes a file's bytes; a failure fails the test.
void WriteFile(const QString &path, const QByteArray &bytes);

// A main window started as the program starts it: the command line set and
// the start-up sequence run, shown first when asked.
std::unique_ptr<TfrmMain> StartEditor(const QStringList &args = {}, bool shown = false);

// Folder of a set of test plug-ins ("hosts", "app", "empty").
QString FakePlugins(const QString &set);

// Gives the process a settings folder of its own; call before QApplication.
void UsePrivateSettingsFolder();
// Empties the editor's stored settings; sets raw values.
void ClearStoredSettings();
void SetStoredValue(const QString &name, const QString &value);
// A stored value, or a null string when absent.
QString StoredValue(const QString &name);
QStringList StoredKeys();
