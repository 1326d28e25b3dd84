// The File menu's Recent Files: the last documents opened or saved, newest
// first, and the documents closed during this run for reopening. Paths are
// compared after making them absolute and clean, so one file is listed once
// however it was named. No widgets; the window keeps the list in the settings.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class RecentFiles {
public:
    static constexpr int kMaxEntries = 10;

    // Takes the stored list: empty and repeated entries are dropped, at most
    // kMaxEntries kept, in the stored order.
    void Load(const QStringList &stored);
    const QStringList &Entries() const { return entries_; }

    // A document opened or saved: first in the list.
    void Add(const QString &path);
    bool Remove(const QString &path);
    // Drops every entry for which exists() is false; the number dropped.
    int RemoveMissing(const std::function<bool(const QString &)> &exists);
    void Clear() { entries_.clear(); }

    // A document replaced by another (New, Open, a recent or dropped file).
    void NoteClosed(const QString &path);
    // The most recently closed document other than `current`, taken off the
    // list of closed ones; none when there is none.
    std::optional<QString> TakeLastClosed(const QString &current);
    bool HasClosed(const QString &current) const;

    // Absolute and clean: the form entries are kept and compared in.
    static QString Normalised(const QString &path);

private:
    QStringList entries_;
    QStringList closed_;  // oldest first
};

// The menu text of entry `index` (0-based): "&1 name  (folder)", "1&0" for the
// tenth, with ampersands of the path doubled so that they show.
QString RecentMenuText(int index, const QString &path);

// The settings keys of the list, File1 to File10 in the group "RecentFiles".
QString RecentSettingsKey(int index);
