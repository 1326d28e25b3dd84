#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include "uRecovery.h"

namespace {

RecoveryEntry SampleEntry()
{
    RecoveryEntry entry;
    entry.documentPath = QString::fromUtf8("/home/ann/effects/Flamme über\nzwei Zeilen%.nbs");
    entry.documentName = entry.documentPath;
    entry.managerFile = QStringLiteral("embTarnParticleMan.so");
    entry.written = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89), QTimeZone::utc());
    entry.text = QByteArray("\"particles\" \"40\"\r\n{\r\n\"name\" \"a\"\r\n}\r\n\0binary tail", 45);
    return entry;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(RecoveryFile, RoundTripsEveryField)
{
    const RecoveryEntry entry = SampleEntry();
    const QByteArray bytes = RecoveryFileBytes(entry);
    const std::optional<RecoveryEntry> back = ParseRecoveryFile(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->documentPath, entry.documentPath);
    EXPECT_EQ(back->documentName, entry.documentName);
    EXPECT_EQ(back->managerFile, entry.managerFile);
    EXPECT_EQ(back->written, entry.written);
    EXPECT_EQ(back->text, entry.text);
    // The header is one line per field, whatever the path holds.
    EXPECT_EQ(bytes.left(bytes.indexOf("\n\n")).count('\n'), 5);
}

TEST(RecoveryFile, RefusesWhatIsNotAWholeRecoveryFile)
{
    const QByteArray good = RecoveryFileBytes(SampleEntry());
    EXPECT_FALSE(ParseRecoveryFile(QByteArray()));
    EXPECT_FALSE(ParseRecoveryFile("\"particles\" \"40\"\n"));
    EXPECT_FALSE(ParseRecoveryFile(good.left(good.size() - 1))) << "cut short while written";
    EXPECT_FALSE(ParseRecoveryFile(good + "x")) << "longer than its length says";
    QByteArray noTime = good;
    noTime.replace("written 2026", "written XXXX");
    EXPECT_FALSE(ParseRecoveryFile(noTime));
    QByteArray badLength = good;
    badLength.replace("length 45", "length -3");
    EXPECT_FALSE(ParseRecoveryFile(badLength));
    // A key this program does not know is skipped.
    QByteArray newer = good;
    newer.replace("length", "colour blue\nlength");
    EXPECT_TRUE(ParseRecoveryFile(newer));
}

TEST(RecoveryStoreTest, FilesOfRunningSessionsAreNotLeftovers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("data/recovery");
    RecoveryEntry entry = SampleEntry();

    auto running = std::make_unique<RecoveryStore>(folder);
    EXPECT_FALSE(running->HasFile());
    ASSERT_TRUE(running->Write(entry));
    ASSERT_TRUE(running->HasFile());
    EXPECT_EQ(ParseRecoveryFile(ReadAll(running->FilePath()))->text, entry.text);
    entry.text = "second";
    ASSERT_TRUE(running->Write(entry));
    EXPECT_EQ(ParseRecoveryFile(ReadAll(running->FilePath()))->text, QByteArray("second"));

    RecoveryStore next(folder);
    EXPECT_TRUE(next.Leftovers().empty()) << "the other session still runs";

    // The session ends without removing its file, as after Exit or a crash.
    const QString left = running->FilePath();
    running.reset();
    std::vector<RecoveryEntry> found = next.Leftovers();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].file, left);
    EXPECT_EQ(found[0].text, QByteArray("second"));

    // A broken file is left alone, not offered.
    QFile junk(folder + "/session-junk.recovery");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a recovery file");
    junk.close();
    EXPECT_EQ(next.Leftovers().size(), 1u);

    RecoveryStore::Discard(left);
    EXPECT_FALSE(QFileInfo::exists(left));
    EXPECT_TRUE(next.Leftovers().empty());
}

TEST(RecoveryStoreTest, RemoveDropsOnlyTheOwnFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("recovery");
    RecoveryStore first(folder);
    RecoveryStore second(folder);
    ASSERT_TRUE(first.Write(SampleEntry()));
    ASSERT_TRUE(second.Write(SampleEntry()));
    EXPECT_NE(first.FilePath(), second.FilePath());
    first.Remove();
    EXPECT_FALSE(first.HasFile());
    EXPECT_TRUE(second.HasFile());
    first.Remove();  // twice is harmless
}

TEST(RecoveryStoreTest, AFolderThatCannotBeMadeFailsTheWrite)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecoveryStore store(dir.filePath("file/recovery"));
    EXPECT_FALSE(store.Write(SampleEntry()));
    EXPECT_FALSE(store.HasFile());
    EXPECT_TRUE(store.Leftovers().empty());
}
