// The main window's Recent Files, dropped files and its layout at a scale
// factor, with test plug-ins. The layout case runs again on a virtual
// 1280x1024 display at QT_SCALE_FACTOR 1.5 and 2 (see CMakeLists.txt).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "EditorTestSupport.h"
#include "uMain.h"
#include "uSelectRenderer.h"
#include "uViewport.h"

namespace {
QStringList MenuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isEnabled() ? "" : " (off)"));
    return texts;
}

// A drop as the window system delivers it: enter, then drop, on a widget.
bool Drop(QWidget *target, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    const QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // The drop is acted on once the drag is over.
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

// An entry of the list as the settings hold it; null when absent.
QString RecentStored(int number)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Brindle Works", "EmbEd");
    const QString key = "RecentFiles/File" + QString::number(number);
    return store.contains(key) ? store.value(key).toString() : QString();
}

QString SpriteOfPage(const TfrmMain &w, int page)
{
    return QString::fromLatin1(w.DocumentRecord.types[page - 1].sprite.text);
}
}  // namespace

class FilesTests : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString gameDir;

    std::unique_ptr<TfrmMain> Start(const QStringList &args = {})
    {
        SetStoredValue("GameDir", gameDir);
        SetStoredValue("CurrentRenderer", "1");
        return StartEditor(args);
    }

    QString Effect(const QString &name, const QByteArray &text = "maintype=spark\ntype=spark\ntype=smoke\n")
    {
        const QString path = work.filePath(name);
        WriteFile(path, text);
        return path;
    }

private slots:
    void initTestCase()
    {
        gameDir = work.filePath("game");
        QDir().mkpath(gameDir + "/sprites");
        WriteFile(gameDir + "/sprites/spark.spr", "IDSP");
        QDir().mkpath(work.filePath("outside"));
        WriteFile(work.filePath("outside/flare.spr"), "IDSP");
    }

    void init() { ResetEditor(FakePlugins("app")); }

    void recentFilesListOpenedAndSavedFilesInKeysOfTheirOwn()
    {
        const QString a = Effect("a.alp"), b = Effect("b.alp"), c = work.filePath("c.alp");
        MessageCatcher messages;
        {
            auto w = Start({a});
            QVERIFY2(w->OpenNamedFile(b), qPrintable(messages.Texts().join('\n')));
            QVERIFY(w->SaveDocument(c, 1));
            w->FillRecentMenu();
            QCOMPARE(MenuTexts(w->mnuRecent),
                     QStringList({"&1 c.alp  (" + work.path() + ")", "&2 b.alp  (" + work.path() + ")",
                                  "&3 a.alp  (" + work.path() + ")", "-", "Reopen &Closed File",
                                  "Remove &Missing Files (off)", "C&lear List"}));
            // Kept at once, apart from the program's own settings.
            QCOMPARE(RecentStored(1), c);
            QCOMPARE(RecentStored(3), a);
            for (const QString &key : StoredKeys())
                QVERIFY2(key.startsWith("RecentFiles/") || key == "Settings/GameDir" ||
                             key == "Settings/CurrentRenderer",
                         qPrintable(key));
        }
        // The next start lists them too, and a listed file opens from the menu.
        auto w = Start();
        QCOMPARE(w->Recent.Entries(), QStringList({c, b, a}));
        w->FillRecentMenu();
        w->mnuRecent->actions().at(2)->trigger();
        QCOMPARE(w->DocumentPath, a);
        QCOMPARE(w->Recent.Entries().first(), a);

        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.Texts().join('\n')));
        w->acClearRecent->trigger();
        QVERIFY(w->Recent.Entries().isEmpty());
        QVERIFY(RecentStored(1).isNull());
        QCOMPARE(MenuTexts(w->mnuRecent).first(), QString("(No recent files) (off)"));
    }

    void missingFilesAreGreyedAndRemovable()
    {
        const QString a = Effect("keep.alp"), b = Effect("gone.alp"), c = Effect("gone2.alp");
        auto w = Start({a});
        QVERIFY(w->OpenNamedFile(b));
        QVERIFY(w->OpenNamedFile(c));
        QVERIFY(w->OpenNamedFile(a));
        QVERIFY(QFile::remove(b));
        w->FillRecentMenu();
        QCOMPARE(MenuTexts(w->mnuRecent).mid(0, 3),
                 QStringList({"&1 keep.alp  (" + work.path() + ")", "&2 gone2.alp  (" + work.path() + ")",
                              "&3 gone.alp  (" + work.path() + ") (off)"}));
        QVERIFY(w->mnuRecent->actions().at(2)->toolTip().contains("no longer exists"));
        QVERIFY(w->acClearMissing->isEnabled());

        // A file gone after the menu was filled: opening it offers to drop it.
        QVERIFY(QFile::remove(c));
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult::Yes);
        w->mnuRecent->actions().at(1)->trigger();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.Texts().first().contains("Remove it from Recent Files?"));
        QCOMPARE(w->DocumentPath, a);
        QCOMPARE(w->Recent.Entries(), QStringList({a, b}));
        QCOMPARE(RecentStored(2), b);
        QVERIFY(RecentStored(3).isNull());

        w->acClearMissing->trigger();
        QCOMPARE(w->Recent.Entries(), QStringList({a}));
        QVERIFY(!w->acClearMissing->isEnabled());
        QVERIFY(RecentStored(2).isNull());
    }

    void reopenClosedBringsBackTheFileReplacedLast()
    {
        const QString a = Effect("first.alp"), b = Effect("second.alp", "maintype=other\ntype=other\n");
        auto w = Start({a});
        QVERIFY(!w->acReopenClosed->isEnabled());
        QCOMPARE(w->acReopenClosed->shortcut(), QKeySequence("Ctrl+Shift+T"));
        QVERIFY(w->OpenNamedFile(b));
        QVERIFY(w->acReopenClosed->isEnabled());
        w->acReopenClosed->trigger();
        QCOMPARE(w->DocumentPath, a);
        // Reopening replaced the second file: it is the one to come back now.
        w->acReopenClosed->trigger();
        QCOMPARE(w->DocumentPath, b);

        // New replaces the file too; unsaved edits are asked about first.
        QVERIFY(w->NewDocument(0));
        QVERIFY(w->acReopenClosed->isEnabled());
        w->ObjectInspectorValidate(1, 0, "Number of Particles", "7");
        QVERIFY(w->HasUnsavedChanges());
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult::Cancel);
        w->acReopenClosed->trigger();
        QCOMPARE(messages.Texts(), QStringList({"Save changes in \"NewParticle\"?"}));
        QVERIFY(w->DocumentPath.isEmpty());
        QVERIFY(w->acReopenClosed->isEnabled());  // still there to reopen
        messages.answers.push_back(TMsgResult::No);
        w->acReopenClosed->trigger();
        QCOMPARE(w->DocumentPath, b);
        QVERIFY(!w->HasUnsavedChanges());
    }

    void aDroppedScriptOpensAfterTheSaveQuestion()
    {
        const QString first = Effect("dropfirst.alp"), second = Effect("dropsecond.bet");
        auto w = Start({first});
        w->ObjectInspectorValidate(1, 0, "Number of Particles", "9");
        MessageCatcher messages;
        messages.answers.push_back(TMsgResult::Cancel);
        QVERIFY(Drop(w->Tabs, {second}));  // anywhere on the window
        QCOMPARE(messages.Texts(), QStringList({"Save changes in \"" + first + "\"?"}));
        QCOMPARE(w->DocumentPath, first);

        messages.messages.clear();
        messages.answers.push_back(TMsgResult::No);
        QVERIFY(Drop(w.get(), {work.filePath("notes.txt"), second}));
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(w->DocumentPath, second);
        QCOMPARE(w->CurrentManager, 1);  // by its extension
        QCOMPARE(w->Recent.Entries().first(), second);

        // The preview takes scripts too; a file nobody reads is refused.
        messages.messages.clear();
        QVERIFY(Drop(w->Viewport, {first}));
        QCOMPARE(w->DocumentPath, first);
        // Dropped on the script text, a file opens rather than its name being typed in.
        w->Tabs->setCurrentIndex(1);
        QVERIFY(Drop(w->ScriptEditor->viewport(), {second}));
        QCOMPARE(w->DocumentPath, second);
        QVERIFY(!w->HasUnsavedChanges());
        QVERIFY(Drop(w->ScriptEditor->viewport(), {first}));
        QCOMPARE(w->DocumentPath, first);
        Drop(w.get(), {work.filePath("picture.png")});
        QCOMPARE(messages.Texts(),
                 QStringList({"Unsupported file format: \"" + work.filePath("picture.png") + "\""}));
        QCOMPARE(w->DocumentPath, first);

        // Something that is no file at all is not taken.
        QMimeData text;
        text.setText("maintype=spark");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void aSpriteDroppedOnThePreviewIsOneStep()
    {
        auto w = Start({Effect("sprites.alp")});
        MessageCatcher messages;
        // <GLOBAL> has no sprite of its own.
        QVERIFY(Drop(w->Viewport, {gameDir + "/sprites/spark.spr"}));
        QVERIFY(messages.Texts().value(0).contains("Select a particle type"));
        QVERIFY(!w->HasUnsavedChanges());

        w->TypeCombo->setCurrentIndex(1);
        w->TypeComboChange(1);
        const QString before = SpriteOfPage(*w, 1);
        messages.messages.clear();
        ClearRendererLog(w->Renderers, 0);
        QVERIFY(Drop(w->Viewport, {gameDir + "/sprites/spark.spr"}));
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(SpriteOfPage(*w, 1), QString("sprites/spark.spr"));
        QVERIFY(RendererLog(w->Renderers, 0).contains("Textures"));
        QCOMPARE(QString::fromStdString(w->Doc.UndoName()), QString("Sprite Name"));
        QVERIFY(w->HasUnsavedChanges());
        w->UndoExecute();
        QCOMPARE(SpriteOfPage(*w, 1), before);
        QVERIFY(!w->HasUnsavedChanges());

        // Outside the game directories, or dropped beside the preview: a message, no step.
        QVERIFY(Drop(w->Viewport, {work.filePath("outside/flare.spr")}));
        QVERIFY(messages.Texts().value(0).contains("not inside a game directory"));
        QVERIFY(Drop(w->Tabs, {gameDir + "/sprites/spark.spr"}));
        QVERIFY(messages.Texts().value(1).contains("on the preview"));
        QCOMPARE(SpriteOfPage(*w, 1), before);
        QVERIFY(!w->HasUnsavedChanges());
    }

    // The renderer choice shows its whole caption; New looks as enabled as it is.
    void captionsAndToolbarPictures()
    {
        TfrmSelectRenderer dialog(nullptr);
        dialog.adjustSize();
        QFont caption = dialog.font();
        caption.setBold(true);
        QVERIFY(dialog.width() >= QFontMetrics(caption).horizontalAdvance(dialog.windowTitle()) + 60);

        TfrmMain w;
        const QImage on = w.acNew->icon().pixmap(24, QIcon::Normal).toImage();
        const QImage off = w.acNew->icon().pixmap(24, QIcon::Disabled).toImage();
        QVERIFY(on != off);
        int coloured = 0;
        for (int y = 0; y < on.height(); ++y)
            for (int x = 0; x < on.width(); ++x) {
                const QColor c = on.pixelColor(x, y);
                if (c.alpha() > 128 && c.hsvSaturation() > 100)
                    ++coloured;
            }
        QVERIFY(coloured > 4);
    }

    // Every control of the left panel, the Update and Revert buttons and the
    // status bar lie on the screen, and the renderer is given device pixels.
    void leftPanelLiesOnTheScreen()
    {
        if (QGuiApplication::platformName() == "offscreen")
            QSKIP("needs a real screen: runs as editor_layout_scale_* on a virtual X display");
        auto w = Start({Effect("layout.alp")});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(w->minimumSizeHint().width() <= screen.width() &&
                     w->minimumSizeHint().height() <= screen.height(),
                 qPrintable(QString("minimum %1x%2 on %3x%4")
                                .arg(w->minimumSizeHint().width())
                                .arg(w->minimumSizeHint().height())
                                .arg(screen.width())
                                .arg(screen.height())));
        QVERIFY(screen.contains(w->geometry()));
        auto onScreen = [&](QWidget *widget) {
            const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
            return widget->isVisible() && screen.contains(r);
        };
        for (int tab : {0, 1}) {
            w->Tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            QVERIFY(onScreen(tab == 0 ? static_cast<QWidget *>(w->TypeCombo)
                                      : static_cast<QWidget *>(w->ScriptEditor)));
            for (QAbstractButton *button :
                 w->findChild<QWidget *>("LeftPanel")->findChildren<QAbstractButton *>()) {
                if (button->isVisibleTo(w->Tabs->currentWidget()) || button->parentWidget() == w->Tabs)
                    QVERIFY2(!button->isVisible() || onScreen(button), qPrintable(button->objectName()));
            }
        }
        QVERIFY(onScreen(w->btnUpdate));
        QVERIFY(onScreen(w->btnRevert));
        QVERIFY(onScreen(w->statusBar()));

        const qreal ratio = w->Viewport->devicePixelRatioF();
        const QSize pixels(qRound(w->Viewport->width() * ratio), qRound(w->Viewport->height() * ratio));
        QCOMPARE(w->ViewportPixelSize(), pixels);
        ClearRendererLog(w->Renderers, 0);
        w->resize(w->width() - 20, w->height());
        QTRY_VERIFY(RendererLog(w->Renderers, 0)
                        .contains(QString("Resize %1 %2")
                                      .arg(w->ViewportPixelSize().width())
                                      .arg(w->ViewportPixelSize().height())));
        // The overlay text follows the scale.
        QVERIFY(RendererLog(w->Renderers, 0).join('\n').contains(QString("TextScale %1").arg(ratio)) ||
                w->Renderers.TextScale() == ratio);
    }
};

int main(int argc, char **argv)
{
    UsePrivateSettingsFolder();
    QApplication app(argc, argv);
    FilesTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "files_and_layout_test.moc"
