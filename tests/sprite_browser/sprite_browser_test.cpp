// The sprite browser as a user meets it: a game folder with loose sprites and
// archives, a filter, a PAK-only sprite picked with its thumbnail, shadowed and
// broken entries, the file fallback, and Preferences' Default Sprite.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

#include "Fixtures.h"
#include "uMessages.h"
#include "uPreferences.h"
#include "uSpriteBrowser.h"

namespace {

// A sprite of one colour; with pictures > 1 a group showing them in turn.
std::vector<uint8_t> ColourSprite(uint8_t r, uint8_t g, uint8_t b, int pictures = 1)
{
    SpriteDraft draft;
    draft.palette = {r, g, b, 255, 255, 255};
    SpriteFrameDraft frame;
    frame.group = pictures > 1;
    for (int i = 0; i < pictures; ++i) {
        SpritePicture picture;
        picture.width = 8;
        picture.height = 4;
        picture.indices.assign(32, static_cast<uint8_t>(i % 2));
        frame.pictures.push_back(picture);
        if (frame.group)
            frame.intervals.push_back(0.2f);
    }
    draft.frames = {frame};
    return WriteSprite(draft);
}

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

}  // namespace

class SpriteBrowserTest : public QObject {
    Q_OBJECT
private:
    TempDir root;
    std::string base = root.MakeDir("base");
    std::string extra = root.MakeDir("extra");

private slots:
    void initTestCase()
    {
        root.Write("base/sprites/smoke.spr", ColourSprite(90, 90, 90));
        root.Write("base/sprites/broken.spr", {1, 2, 3, 4, 5, 6, 7, 8});
        std::vector<PakMember> many;
        for (int i = 0; i < 300; ++i)
            many.push_back({"sprites/filler" + std::to_string(i) + ".spr", ColourSprite(1, 2, 3)});
        many.push_back({"sprites/Spark.spr", ColourSprite(250, 200, 40, 2)});
        many.push_back({"sprites/smoke.spr", ColourSprite(0, 0, 255)});
        root.Write("base/pak0.pak", Pak(many));
        root.Write("extra/pak0.pak", {'n', 'o', 'p', 'e', 0, 0, 0, 0, 0, 0, 0, 0});
    }

    void cleanup() { SetDialogHook(nullptr); }

    void listsFiltersAndPicksAnArchiveSpriteWithItsThumbnail()
    {
        TfrmSpriteBrowser browser(nullptr, Q(base), Q(extra), QString(), QString());
        TSpriteCatalogModel *model = browser.Model();
        // 2 loose, 302 in the archive, the unusable archive.
        QCOMPARE(model->rowCount(), 305);
        browser.show();
        QTest::qWait(20);
        // Thumbnails are made for the rows in view only.
        QVERIFY(model->DecodedCount() > 0);
        QVERIFY(model->DecodedCount() < 100);

        browser.edFilter->setText(QStringLiteral("SPARK"));
        QCOMPARE(browser.Filter()->rowCount(), 1);
        const int row = browser.SelectedRow();
        QVERIFY(row >= 0);
        QCOMPARE(QString::fromStdString(model->Entry(row).name), QStringLiteral("sprites/Spark.spr"));
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("8 x 4, 1 frame (2 pictures, animated)")));
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("pak0.pak in the base folder")));
        QVERIFY(browser.btnOk->isEnabled());

        // The thumbnail shows the sprite's own colours and moves on with the clock.
        const QModelIndex shown = browser.Filter()->index(0, 0);
        const QImage first = shown.data(Qt::DecorationRole).value<QPixmap>().toImage();
        QCOMPARE(first.pixelColor(20, 20), QColor(250, 200, 40));
        model->SetClock(0.3);
        const QImage second = shown.data(Qt::DecorationRole).value<QPixmap>().toImage();
        QCOMPARE(second.pixelColor(20, 20), QColor(255, 255, 255));
        QVERIFY(browser.lblPicture->pixmap().width() > 0);

        browser.btnOk->click();
        QCOMPARE(browser.result(), int(QDialog::Accepted));
        QCOMPARE(browser.ChosenRowPath(), QStringLiteral("sprites/Spark.spr"));
        QCOMPARE(browser.ChosenFilePath(), QStringLiteral("sprites/Spark.spr"));
    }

    void shadowedAndBrokenEntriesAreShownAsSuch()
    {
        TfrmSpriteBrowser browser(nullptr, Q(base), Q(extra), QStringLiteral("Sprites/SMOKE.spr"), QString());
        // The current sprite is selected: the loose file that wins.
        int row = browser.SelectedRow();
        QVERIFY(row >= 0);
        QCOMPARE(browser.Model()->Entry(row).origin, SpriteOrigin::BaseFolder);
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("From base folder")));

        browser.edFilter->setText(QStringLiteral("smoke"));
        QCOMPARE(browser.Filter()->rowCount(), 2);
        browser.lvSprites->setCurrentIndex(browser.Filter()->index(1, 0));
        row = browser.SelectedRow();
        QVERIFY(browser.Model()->Entry(row).shadowed);
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("Shadowed by the one from base folder")));
        QVERIFY(browser.Filter()
                    ->index(1, 0)
                    .data(Qt::DisplayRole)
                    .toString()
                    .contains(QStringLiteral("(shadowed)")));
        QVERIFY(!browser.btnOk->isEnabled());

        browser.edFilter->setText(QStringLiteral("broken"));
        browser.lvSprites->setCurrentIndex(browser.Filter()->index(0, 0));
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("Broken: ")));
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("sprite has wrong version number")));

        browser.edFilter->setText(QStringLiteral("pak0.pak"));
        QCOMPARE(browser.Filter()->rowCount(), 1);
        browser.lvSprites->setCurrentIndex(browser.Filter()->index(0, 0));
        QVERIFY(browser.lblDetails->text().contains(QStringLiteral("not a PAK archive")));
        QVERIFY(!browser.btnOk->isEnabled());
    }

    void aFileOutsideTheGameDirectoriesCanStillBeChosen()
    {
        const std::string outside = root.Write("elsewhere/own.spr", ColourSprite(1, 1, 1));
        const std::string inside = root.Write("extra/models/m.spr", ColourSprite(1, 1, 1));
        for (const auto &[file, expected] : {std::pair{outside, QStringLiteral("sprites/own.spr")},
                                             std::pair{inside, QStringLiteral("models/m.spr")}}) {
            SetDialogHook([&file](QDialog *d) {
                if (auto *browser = qobject_cast<TfrmSpriteBrowser *>(d)) {
                    browser->btnFile->click();
                    return browser->result();
                }
                auto *files = qobject_cast<QFileDialog *>(d);
                if (!files || files->windowTitle() != QStringLiteral("Browse for Sprite"))
                    return int(QDialog::Rejected);
                files->selectFile(Q(file));
                return int(QDialog::Accepted);
            });
            const std::optional<TSpriteChoice> choice = BrowseForSprite(nullptr, Q(base), Q(extra), QString(),
                                                                        QString());
            QVERIFY(choice.has_value());
            QCOMPARE(choice->rowPath, expected);
            QCOMPARE(choice->filePath, Q(file));
        }
        // Cancelled: nothing chosen.
        SetDialogHook([](QDialog *) { return int(QDialog::Rejected); });
        QVERIFY(!BrowseForSprite(nullptr, Q(base), Q(extra), QString(), QString()));
    }

    void defaultSpriteUsesTheBrowser()
    {
        TfrmPreferences dialog(nullptr);
        dialog.SetGameDirectories(Q(base), Q(extra));
        QString pick = QStringLiteral("spark");
        SetDialogHook([&pick](QDialog *d) {
            auto *browser = qobject_cast<TfrmSpriteBrowser *>(d);
            if (!browser)
                return int(QDialog::Rejected);
            browser->edFilter->setText(pick);
            browser->btnOk->click();
            return browser->result();
        });
        dialog.PickSprite();
        QCOMPARE(dialog.edDefaultSpr->text(), QStringLiteral("sprites/Spark.spr"));
        // A loose sprite keeps its file path, as the setting always has.
        pick = QStringLiteral("smoke");
        dialog.PickSprite();
        QCOMPARE(dialog.edDefaultSpr->text(), Q(base + "/sprites/smoke.spr"));
    }

    void noGameDirectoryGivesAnEmptyListAndAWord()
    {
        TfrmSpriteBrowser browser(nullptr, QString(), QString(), QStringLiteral("sprites/x.spr"), QString());
        QCOMPARE(browser.Model()->rowCount(), 0);
        QVERIFY(!browser.btnOk->isEnabled());
        bool said = false;
        for (const QLabel *label : browser.findChildren<QLabel *>())
            said |= label->text().contains(QStringLiteral("No game directory"));
        QVERIFY(said);
    }
};

QTEST_MAIN(SpriteBrowserTest)
#include "sprite_browser_test.moc"
