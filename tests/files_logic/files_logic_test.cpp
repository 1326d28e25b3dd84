// Recent Files (order, bounds, one entry per file, closed documents) and
// what a dropped file does.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "uFileDrop.h"
#include "uRecentFiles.h"

namespace {

QString Numbered(int i)
{
    return QStringLiteral("/work/effect") + QString::number(i) + QStringLiteral(".nbs");
}

TEST(RecentFiles, NewestFirstOnceEachAndAtMostTen)
{
    RecentFiles recent;
    for (int i = 1; i <= 12; ++i)
        recent.Add(Numbered(i));
    ASSERT_EQ(recent.Entries().size(), RecentFiles::kMaxEntries);
    EXPECT_EQ(recent.Entries().first(), Numbered(12));
    EXPECT_EQ(recent.Entries().last(), Numbered(3));  // 1 and 2 fell off

    // Opening a listed file again moves it to the top, without a second entry.
    recent.Add(Numbered(5));
    EXPECT_EQ(recent.Entries().first(), Numbered(5));
    EXPECT_EQ(recent.Entries().count(Numbered(5)), 1);
    EXPECT_EQ(recent.Entries().size(), RecentFiles::kMaxEntries);

    // The same file named another way is the same entry.
    recent.Add(QStringLiteral("/work/./sub/../effect7.nbs"));
    EXPECT_EQ(recent.Entries().first(), Numbered(7));
    EXPECT_EQ(recent.Entries().count(Numbered(7)), 1);
    EXPECT_TRUE(recent.Remove(QStringLiteral("/work//effect7.nbs")));
    EXPECT_FALSE(recent.Entries().contains(Numbered(7)));
    EXPECT_FALSE(recent.Remove(Numbered(7)));

    recent.Add(QString());  // an untitled document is no entry
    EXPECT_NE(recent.Entries().first(), QString());
}

TEST(RecentFiles, StoredListIsCleanedOnLoad)
{
    RecentFiles recent;
    QStringList stored{QString(), Numbered(1), QStringLiteral("  "), Numbered(2), Numbered(1)};
    for (int i = 3; i <= 14; ++i)
        stored << Numbered(i);
    recent.Load(stored);
    ASSERT_EQ(recent.Entries().size(), RecentFiles::kMaxEntries);
    EXPECT_EQ(recent.Entries().at(0), Numbered(1));
    EXPECT_EQ(recent.Entries().at(1), Numbered(2));
    EXPECT_EQ(recent.Entries().at(2), Numbered(3));

    // A relative stored name is taken from the current folder, as a command line's.
    recent.Load({QStringLiteral("rel.nbs")});
    EXPECT_EQ(recent.Entries().first(), QDir::current().absoluteFilePath(QStringLiteral("rel.nbs")));
}

TEST(RecentFiles, MissingFilesAreRemovedOnRequest)
{
    QTemporaryDir dir;
    const QString present = dir.filePath(QStringLiteral("here.nbs"));
    const QString gone = dir.filePath(QStringLiteral("gone.nbs"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    RecentFiles recent;
    recent.Load({gone, present, gone + QStringLiteral("2")});
    EXPECT_EQ(recent.RemoveMissing([](const QString &p) { return QFile::exists(p); }), 2);
    EXPECT_EQ(recent.Entries(), QStringList{present});
}

TEST(RecentFiles, ReopenTakesTheLastClosedOtherThanTheOpenOne)
{
    RecentFiles recent;
    EXPECT_FALSE(recent.HasClosed(QString()));
    EXPECT_FALSE(recent.TakeLastClosed(QString()).has_value());
    recent.NoteClosed(Numbered(1));
    recent.NoteClosed(Numbered(2));
    recent.NoteClosed(Numbered(1));  // closed again: the latest, once
    recent.NoteClosed(QString());    // an untitled document cannot be reopened
    EXPECT_TRUE(recent.HasClosed(Numbered(1)));
    // The open document is skipped, and stays for later.
    EXPECT_EQ(recent.TakeLastClosed(Numbered(1)), Numbered(2));
    EXPECT_FALSE(recent.HasClosed(Numbered(1)));
    EXPECT_EQ(recent.TakeLastClosed(Numbered(3)), Numbered(1));
    EXPECT_FALSE(recent.TakeLastClosed(Numbered(3)).has_value());

    for (int i = 1; i <= 12; ++i)
        recent.NoteClosed(Numbered(i));
    int taken = 0;
    while (recent.TakeLastClosed(QString()))
        ++taken;
    EXPECT_EQ(taken, RecentFiles::kMaxEntries);
}

TEST(RecentFiles, MenuTextsAndKeys)
{
    EXPECT_EQ(RecentMenuText(0, QStringLiteral("/a/b/fire.nbs")), QStringLiteral("&1 fire.nbs  (/a/b)"));
    EXPECT_EQ(RecentMenuText(9, QStringLiteral("/x/y.nbs")), QStringLiteral("1&0 y.nbs  (/x)"));
    // Ampersands show as themselves, not as accelerators.
    EXPECT_EQ(RecentMenuText(1, QStringLiteral("/R&D/a&b.nbs")), QStringLiteral("&2 a&&b.nbs  (/R&&D)"));
    EXPECT_EQ(RecentSettingsKey(0), QStringLiteral("RecentFiles/File1"));
    EXPECT_EQ(RecentSettingsKey(9), QStringLiteral("RecentFiles/File10"));
}

class DropTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    DropContext context;
    std::string game, extra, outside;

    void SetUp() override
    {
        game = QDir(root.path()).filePath(QStringLiteral("game")).toStdString();
        extra = QDir(root.path()).filePath(QStringLiteral("mod")).toStdString();
        outside = QDir(root.path()).filePath(QStringLiteral("elsewhere")).toStdString();
        for (const std::string &d : {game + "/sprites", extra + "/sprites", outside})
            QDir().mkpath(QString::fromStdString(d));
        for (const std::string &f :
             {game + "/sprites/spark.spr", extra + "/sprites/Flare.SPR", outside + "/smoke.spr"}) {
            QFile file(QString::fromStdString(f));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        context.onViewport = true;
        context.typeSelected = true;
        context.documentOpen = true;
        context.baseDir = game;
        context.additionalDir = extra;
        context.isScript = [](const std::string &f) {
            return f.size() > 4 && f.substr(f.size() - 4) == ".nbs";
        };
    }
};

TEST_F(DropTest, AScriptOpensWhereverItIsDropped)
{
    for (bool viewport : {false, true}) {
        context.onViewport = viewport;
        context.documentOpen = false;
        const DropPlan plan = PlanDrop({"/tmp/notes.txt", "/tmp/fire.nbs", game + "/sprites/spark.spr"},
                                       context);
        EXPECT_EQ(plan.action, DropAction::OpenScript);
        EXPECT_EQ(plan.file, "/tmp/fire.nbs");
    }
}

TEST_F(DropTest, ASpriteInsideAGameDirectoryBecomesItsGamePath)
{
    DropPlan plan = PlanDrop({game + "/sprites/spark.spr"}, context);
    EXPECT_EQ(plan.action, DropAction::SetSprite);
    EXPECT_EQ(plan.spritePath, "sprites/spark.spr");
    plan = PlanDrop({extra + "/sprites/Flare.SPR"}, context);
    EXPECT_EQ(plan.action, DropAction::SetSprite);
    EXPECT_EQ(plan.spritePath, "sprites/Flare.SPR");
    // Named through a detour: still the file below the game directory.
    plan = PlanDrop({game + "/sprites/../sprites/spark.spr"}, context);
    EXPECT_EQ(plan.spritePath, "sprites/spark.spr");
}

TEST_F(DropTest, ASpriteIsRefusedWithAReason)
{
    auto refused = [&](const std::vector<std::string> &files, const std::string &words) {
        const DropPlan plan = PlanDrop(files, context);
        EXPECT_EQ(plan.action, DropAction::Refuse);
        EXPECT_NE(plan.message.find(words), std::string::npos) << plan.message;
    };
    refused({outside + "/smoke.spr"}, "not inside a game directory");
    refused({game + "/sprites/missing.spr"}, "not inside a game directory");  // gone since the drag began
    context.typeSelected = false;
    refused({game + "/sprites/spark.spr"}, "Select a particle type");
    context.documentOpen = false;
    refused({game + "/sprites/spark.spr"}, "Open or create particles");
    context.onViewport = false;
    refused({game + "/sprites/spark.spr"}, "on the preview");
    refused({"/tmp/picture.png"}, "Unsupported file format: \"/tmp/picture.png\"");
    const DropPlan nothing = PlanDrop({}, context);
    EXPECT_EQ(nothing.action, DropAction::Refuse);
    EXPECT_TRUE(nothing.message.empty());
    EXPECT_TRUE(IsSpriteFileName("a.Spr"));
    EXPECT_FALSE(IsSpriteFileName("spr"));
    EXPECT_FALSE(IsSpriteFileName("a.sprx"));
}

}  // namespace
