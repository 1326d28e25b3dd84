// Recovery files: while a document has unsaved changes its text is kept in a
// file of the user's data folder, so that a program that ends without saving
// (Exit, a crash, a kill) can offer the work back at its next start. Each
// running program owns one file and holds a lock beside it; files whose lock
// no running program holds are left over from a session that ended.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QLockFile;

struct RecoveryEntry {
    QString file;          // the recovery file itself (not stored inside it)
    QString documentPath;  // the document's file; empty for one never saved
    QString documentName;  // the caption's name
    QString managerFile;   // the manager plug-in whose memory writer gave the text
    QDateTime written;
    QByteArray text;  // the document as that manager's memory writer wrote it
};

// The bytes of a recovery file, and the entry read back from them; nothing
// for bytes that are not a whole recovery file.
QByteArray RecoveryFileBytes(const RecoveryEntry &entry);
std::optional<RecoveryEntry> ParseRecoveryFile(const QByteArray &bytes);

// Far above any script a person writes; a bigger file is not ours.
inline constexpr qint64 kMaxRecoveryFileSize = 64 << 20;

class RecoveryStore {
public:
    // "<data folder>/recovery" in the user's data folder.
    static QString DefaultFolder();

    explicit RecoveryStore(QString folder = DefaultFolder());
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    const QString &Folder() const { return folder_; }
    // Replaces this program's recovery file as a whole; false when it could
    // not be written (the old one then stays).
    bool Write(const RecoveryEntry &entry);
    // Removes this program's file: the work was saved or dropped on purpose.
    void Remove();
    bool HasFile() const;
    QString FilePath() const { return file_; }

    // Files of sessions that ended with unsaved work, oldest first. Files that
    // cannot be read as recovery files are skipped (and left alone).
    std::vector<RecoveryEntry> Leftovers() const;
    // Removes a leftover file and its lock.
    static void Discard(const QString &file);

private:
    bool EnsureOwnFile();
    QString folder_;
    QString file_;
    std::unique_ptr<QLockFile> lock_;
};
