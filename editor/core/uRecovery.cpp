#include "uRecovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

namespace {
const QByteArray kMagic = "SPARKWRIGHT-RECOVERY 1";
const QString kSuffix = QStringLiteral(".recovery");
const QString kLockSuffix = QStringLiteral(".lock");

// Header values are one line each: anything else is percent-encoded.
QByteArray Field(const QString &value)
{
    return value.toUtf8().toPercentEncoding(QByteArrayLiteral("/ :.-_~+"));
}

QString FieldValue(const QByteArray &encoded)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
}
}  // namespace

QByteArray RecoveryFileBytes(const RecoveryEntry &entry)
{
    QByteArray bytes = kMagic + '\n';
    bytes += "path " + Field(entry.documentPath) + '\n';
    bytes += "name " + Field(entry.documentName) + '\n';
    bytes += "manager " + Field(entry.managerFile) + '\n';
    bytes += "written " + entry.written.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    bytes += "length " + QByteArray::number(entry.text.size()) + '\n';
    bytes += '\n';
    bytes += entry.text;
    return bytes;
}

std::optional<RecoveryEntry> ParseRecoveryFile(const QByteArray &bytes)
{
    RecoveryEntry entry;
    qsizetype pos = 0;
    auto nextLine = [&](QByteArray &line) {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            return false;
        line = bytes.mid(pos, end - pos);
        pos = end + 1;
        return true;
    };
    QByteArray line;
    if (!nextLine(line) || line != kMagic)
        return std::nullopt;
    qint64 length = -1;
    bool haveWritten = false;
    while (true) {
        if (!nextLine(line))
            return std::nullopt;
        if (line.isEmpty())
            break;
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = space < 0 ? line : line.left(space);
        const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
        if (key == "path") {
            entry.documentPath = FieldValue(value);
        } else if (key == "name") {
            entry.documentName = FieldValue(value);
        } else if (key == "manager") {
            entry.managerFile = FieldValue(value);
        } else if (key == "written") {
            entry.written = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
            haveWritten = entry.written.isValid();
        } else if (key == "length") {
            bool ok = false;
            length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return std::nullopt;
        }
        // Unknown keys come from a newer program: skipped.
    }
    // A file cut short (the program died while writing it) is no recovery file.
    if (!haveWritten || length < 0 || length != bytes.size() - pos)
        return std::nullopt;
    entry.text = bytes.mid(pos);
    return entry;
}

QString RecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Sparkwright/recovery");
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

bool RecoveryStore::EnsureOwnFile()
{
    if (lock_)
        return true;
    if (!QDir().mkpath(folder_))
        return false;
    // Process, time and a count make the name unique; a name that is taken
    // all the same (a store of the same process, a reused process id) is
    // passed over.
    static std::atomic<int> stores{0};
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString base = folder_ + QStringLiteral("/session-%1-%2-%3")
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(QDateTime::currentMSecsSinceEpoch())
                                           .arg(stores++);
        auto lock = std::make_unique<QLockFile>(base + kSuffix + kLockSuffix);
        lock->setStaleLockTime(0);
        if (lock->tryLock(0) && !QFileInfo::exists(base + kSuffix)) {
            file_ = base + kSuffix;
            lock_ = std::move(lock);
            return true;
        }
    }
    return false;
}

bool RecoveryStore::Write(const RecoveryEntry &entry)
{
    if (!EnsureOwnFile())
        return false;
    // Whole or not at all: a crash while writing leaves the previous file.
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(RecoveryFileBytes(entry));
    return out.commit();
}

void RecoveryStore::Remove()
{
    if (!file_.isEmpty())
        QFile::remove(file_);
}

bool RecoveryStore::HasFile() const
{
    return !file_.isEmpty() && QFileInfo::exists(file_);
}

std::vector<RecoveryEntry> RecoveryStore::Leftovers() const
{
    std::vector<RecoveryEntry> found;
    const QDir dir(folder_);
    const QStringList names = dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (path == file_)
            continue;
        // A lock that a running program holds marks a file still in use.
        QLockFile lock(path + kLockSuffix);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        QFile file(path);
        if (file.size() > kMaxRecoveryFileSize || !file.open(QIODevice::ReadOnly))
            continue;
        std::optional<RecoveryEntry> entry = ParseRecoveryFile(file.readAll());
        if (!entry)
            continue;
        entry->file = path;
        found.push_back(std::move(*entry));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const RecoveryEntry &a, const RecoveryEntry &b) { return a.written < b.written; });
    return found;
}

void RecoveryStore::Discard(const QString &file)
{
    QFile::remove(file);
    QFile::remove(file + kLockSuffix);
}
