#include "uRecentFiles.h"

#include <QDir>
#include <QFileInfo>

QString RecentFiles::Normalised(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void RecentFiles::Load(const QStringList &stored)
{
    entries_.clear();
    for (const QString &path : stored) {
        const QString clean = Normalised(path.trimmed());
        if (clean.isEmpty() || entries_.contains(clean))
            continue;
        entries_ << clean;
        if (entries_.size() == kMaxEntries)
            break;
    }
}

void RecentFiles::Add(const QString &path)
{
    const QString clean = Normalised(path);
    if (clean.isEmpty())
        return;
    entries_.removeAll(clean);
    entries_.prepend(clean);
    while (entries_.size() > kMaxEntries)
        entries_.removeLast();
}

bool RecentFiles::Remove(const QString &path)
{
    return entries_.removeAll(Normalised(path)) > 0;
}

int RecentFiles::RemoveMissing(const std::function<bool(const QString &)> &exists)
{
    const qsizetype before = entries_.size();
    entries_.removeIf([&](const QString &path) { return !exists(path); });
    return static_cast<int>(before - entries_.size());
}

void RecentFiles::NoteClosed(const QString &path)
{
    const QString clean = Normalised(path);
    if (clean.isEmpty())
        return;
    closed_.removeAll(clean);
    closed_.append(clean);
    while (closed_.size() > kMaxEntries)
        closed_.removeFirst();
}

std::optional<QString> RecentFiles::TakeLastClosed(const QString &current)
{
    const QString open = Normalised(current);
    for (qsizetype i = closed_.size() - 1; i >= 0; --i) {
        if (closed_.at(i) == open)
            continue;
        return closed_.takeAt(i);
    }
    return std::nullopt;
}

bool RecentFiles::HasClosed(const QString &current) const
{
    const QString open = Normalised(current);
    for (const QString &path : closed_) {
        if (path != open)
            return true;
    }
    return false;
}

QString RecentMenuText(int index, const QString &path)
{
    const QFileInfo info(path);
    QString number = QString::number(index + 1);
    // The accelerator is the last digit: 1 to 9, then 0 for the tenth.
    number.insert(number.size() - 1, QLatin1Char('&'));
    QString name = info.fileName();
    QString folder = QDir::toNativeSeparators(info.path());
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    folder.replace(QLatin1Char('&'), QLatin1String("&&"));
    return number + QLatin1Char(' ') + name + QLatin1String("  (") + folder + QLatin1Char(')');
}

QString RecentSettingsKey(int index)
{
    return QStringLiteral("RecentFiles/File") + QString::number(index + 1);
}
