// The main window's safety nets: recovery files of unsaved work, offered back
// at the next start, and the watch on the document's file for changes made
// by other programs.
#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "uMain.h"
#include "uParticleMan.h"
#include "uPreferences.h"
#include "uPropertyGrid.h"
#include "uScriptSync.h"

namespace {

// A digest of the file's bytes; empty when it cannot be read.
QByteArray FileDigest(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QString RecoveryQuestion(const RecoveryEntry &entry)
{
    const QString name = entry.documentName.isEmpty() ? entry.documentPath : entry.documentName;
    QString text = QStringLiteral("Sparkwright ended without saving the changes to \"") + name +
                   QStringLiteral("\".\r\n");
    text += QStringLiteral("File: ") +
            (entry.documentPath.isEmpty() ? QStringLiteral("(never saved)") : entry.documentPath) +
            QStringLiteral("\r\n");
    text += QStringLiteral("Kept at: ") +
            entry.written.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
            QStringLiteral("\r\n\r\nRestore the unsaved work, or discard it?");
    return text;
}
}  // namespace

void TfrmMain::UpdateRecovery()
{
    if (!RecoveryTimer)
        return;
    if (HasUnsavedChanges()) {
        if (!RecoveryTimer->isActive())
            RecoveryTimer->start(RecoveryInterval);
    } else {
        RecoveryTimer->stop();
        Recovery->Remove();
    }
}

bool TfrmMain::WriteRecovery()
{
    if (!HasUnsavedChanges() || !Managers.Valid(CurrentManager))
        return false;
    const TParticleManager &manager = Managers[CurrentManager];
    if (!manager.SaveMemoryFile)
        return false;
    RecoveryEntry entry;
    entry.documentPath = DocumentPath;
    entry.documentName = DocumentName;
    entry.managerFile = manager.fileName;
    entry.written = QDateTime::currentDateTimeUtc();
    // Typed script text not yet applied is the newest work: kept when the
    // manager reads it, otherwise the record's text.
    if (ScriptModified && PaneEditable() && manager.LoadMemoryFile) {
        const std::string typed = JoinLinesCrLf(
            ScriptBytesFromText(ScriptEditor->toPlainText(), ScriptShownBytes));
        const auto probe = std::make_unique<ParticleSystem>(DocumentRecord);
        if (PluginYes(manager.LoadMemoryFile(typed.c_str(), probe.get())))
            entry.text = QByteArray::fromStdString(typed);
    }
    if (entry.text.isEmpty()) {
        const std::string header = ScriptHeaderBytes(DocumentRecord);
        const std::optional<std::string> text = GenerateScriptText(manager.SaveMemoryFile, header.c_str(),
                                                                   DocumentRecord);
        if (!text)
            return false;
        entry.text = QByteArray::fromStdString(*text);
    }
    return Recovery->Write(entry);
}

bool TfrmMain::OfferRecovery()
{
    // Without a manager nothing could be read back: the files wait.
    if (Managers.Count() <= 0)
        return false;
    for (const RecoveryEntry &entry : Recovery->Leftovers()) {
        const TMsgResult answer = ShowMessageBox(this, RecoveryQuestion(entry),
                                                 QStringLiteral("Recover Unsaved Work"), TMsgIcon::Question,
                                                 TMsgButtons::RestoreDiscard);
        if (answer == TMsgResult::No) {
            RecoveryStore::Discard(entry.file);
            continue;
        }
        if (answer != TMsgResult::Yes)
            continue;  // neither: offered again at the next start
        if (RestoreRecovery(entry)) {
            RecoveryStore::Discard(entry.file);
            // The work is this session's now: kept at once, not in 30 s.
            WriteRecovery();
            return true;
        }
    }
    return false;
}

bool TfrmMain::RestoreRecovery(const RecoveryEntry &entry)
{
    int index = -1;
    for (int i = 0; i < Managers.Count() && index < 0; ++i) {
        if (Managers[i].fileName == entry.managerFile)
            index = i;
    }
    if (index < 0 && !entry.documentPath.isEmpty())
        index = Managers.ForExtension(FileExtension(entry.documentPath));
    if (index < 0 || !Managers[index].LoadMemoryFile) {
        ShowMessageBox(this,
                       QStringLiteral("No loaded particle manager can read the recovered work (") +
                           entry.managerFile + QStringLiteral("). It is kept for a later start."),
                       QString(), TMsgIcon::Warning);
        return false;
    }
    const TParticleManager &manager = Managers[index];
    auto restored = std::make_unique<ParticleSystem>();
    if (!PluginYes(manager.LoadMemoryFile(entry.text.constData(), restored.get()))) {
        ShowMessageBox(this,
                       TextFromBytes(
                           LoadFromMemoryFailedMessage(BytesFromText(manager.fileName, TextEncoding::Utf8))),
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }

    // With its file still there the document opens from it, and the recovered
    // work is one step on top: Undo shows what the file holds.
    if (!entry.documentPath.isEmpty() && QFileInfo(entry.documentPath).isFile() &&
        OpenDocument(entry.documentPath, index + 1)) {
        ChangeDocument(QStringLiteral("Restore"), [&](ParticleSystem &record) { record = *restored; });
        ShowRestoredRecord(true);
        return true;
    }
    std::memcpy(static_cast<void *>(&DocumentRecord), restored.get(), sizeof DocumentRecord);
    CurrentManager = index;
    DocumentPath = entry.documentPath;
    DocumentName = !entry.documentName.isEmpty()   ? entry.documentName
                   : !entry.documentPath.isEmpty() ? entry.documentPath
                                                   : QStringLiteral("NewParticle");
    ScriptBackup = TextLines(LinesFromBytes(ToPaneText(entry.text.toStdString())));
    Doc.StartHistory();
    Doc.ForgetSaved();  // nothing of it is on disk
    WatchDocumentFile();
    RefreshAfterLoad();
    SetEditControlsEnabled(true);
    if (PaneEditable())
        RegenerateScript();
    SetDocumentCaption();
    return true;
}

void TfrmMain::WatchDocumentFile()
{
    const QStringList watched = FileWatcher->files() + FileWatcher->directories();
    if (!watched.isEmpty())
        FileWatcher->removePaths(watched);
    DeclinedContents.clear();
    DiskContents = FileDigest(DocumentPath);
    if (DocumentPath.isEmpty())
        return;
    if (QFileInfo::exists(DocumentPath))
        FileWatcher->addPath(DocumentPath);
    // The folder too: a file deleted and written again later is seen there.
    const QString folder = QFileInfo(DocumentPath).absolutePath();
    if (QFileInfo(folder).isDir())
        FileWatcher->addPath(folder);
}

void TfrmMain::DocumentFileChanged()
{
    const QString path = DocumentPath;
    if (path.isEmpty() || !DocumentReady)
        return;
    // Never in the middle of another question: look again a little later.
    if (QApplication::activeModalWidget()) {
        FileChangeTimer->start();
        return;
    }
    // A file replaced by renaming another over it is no longer watched.
    if (QFileInfo::exists(path) && !FileWatcher->files().contains(path))
        FileWatcher->addPath(path);
    const QByteArray now = FileDigest(path);
    if (now == DiskContents || (!DeclinedContents.isEmpty() && now == DeclinedContents))
        return;  // our own save, or a change already answered
    if (now.isEmpty()) {
        // Said once; the file's return is a change again.
        DiskContents.clear();
        statusBar()->showMessage(QLatin1Char('"') + path +
                                     QStringLiteral("\" was deleted or moved by another program."),
                                 kStatusNoteTime);
        return;
    }
    if (HasUnsavedChanges()) {
        const TMsgResult answer =
            ShowMessageBox(this,
                           QLatin1Char('"') + path +
                               QStringLiteral("\" was changed by another program.\r\nReload it? Your "
                                              "unsaved changes can be brought back with Edit > Undo."),
                           QStringLiteral("File Changed"), TMsgIcon::Question, TMsgButtons::YesNo);
        if (answer != TMsgResult::Yes) {
            DeclinedContents = now;
            return;
        }
    }
    if (ReloadDocument())
        statusBar()->showMessage(QStringLiteral("Reloaded \"") + path +
                                     QStringLiteral("\": it was changed by another program."),
                                 kStatusNoteTime);
}

bool TfrmMain::ReloadDocument()
{
    if (!Managers.Valid(CurrentManager) || DocumentPath.isEmpty())
        return false;
    const TParticleManager &manager = Managers[CurrentManager];
    auto fresh = std::make_unique<ParticleSystem>(DocumentRecord);
    if (!PluginYes(manager.LoadFile(QFile::encodeName(DocumentPath).constData(), fresh.get()))) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to load particles from ") + DocumentPath +
                           QStringLiteral("\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }
    // Typed text becomes a step of its own, so Undo can bring it back; text
    // the manager rejects keeps the file from replacing it.
    if (!CommitPaneEdits())
        return false;
    ChangeDocument(QStringLiteral("Reload"), [&](ParticleSystem &record) { record = *fresh; });
    ShowRestoredRecord(true);
    ScriptBackup = ReadTextFileLines(DocumentPath);
    if (PaneEditable())
        SetScriptText(LinesText(ScriptBackup));
    WatchDocumentFile();
    Doc.MarkSaved();
    return true;
}

bool TfrmMain::MayOverwriteChangedFile(const QString &path)
{
    if (path != DocumentPath || DiskContents.isEmpty())
        return true;
    const QByteArray now = FileDigest(path);
    if (now.isEmpty() || now == DiskContents)
        return true;
    return ShowMessageBox(this,
                          QLatin1Char('"') + path +
                              QStringLiteral("\" was changed by another program since it was opened or "
                                             "saved.\r\nSave over it?"),
                          QStringLiteral("Confirm"), TMsgIcon::Warning,
                          TMsgButtons::YesNo) == TMsgResult::Yes;
}
