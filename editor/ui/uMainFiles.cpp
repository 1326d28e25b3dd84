// The main window's Recent Files and dropped files: the list in the File
// menu, reopening the document closed last, and files dropped on the window
// or the preview. The rules live in the core (uRecentFiles, uFileDrop).
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>

#include "uFileDrop.h"
#include "uHostRenderer.h"
#include "uMain.h"
#include "uPropertyEdit.h"
#include "uPropertyRows.h"
#include "uTextEncoding.h"
#include "uViewport.h"

namespace {
QSettings RecentStore()
{
    // The program's settings file; the list keeps to keys of its own.
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                     QStringLiteral("EmbEd"));
}

// Local files of a drag, in its order.
QStringList DroppedFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}
}  // namespace

void TfrmMain::LoadRecentFiles()
{
    QSettings store = RecentStore();
    QStringList stored;
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i)
        stored << store.value(RecentSettingsKey(i)).toString();
    Recent.Load(stored);
}

void TfrmMain::StoreRecentFiles()
{
    QSettings store = RecentStore();
    const QStringList &entries = Recent.Entries();
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
        if (i < entries.size())
            store.setValue(RecentSettingsKey(i), entries.at(i));
        else
            store.remove(RecentSettingsKey(i));
    }
    store.sync();
}

void TfrmMain::FillRecentMenu()
{
    mnuRecent->clear();
    RecentMissing = 0;
    const QStringList &entries = Recent.Entries();
    for (int i = 0; i < entries.size(); ++i) {
        const QString path = entries.at(i);
        QAction *item = mnuRecent->addAction(RecentMenuText(i, path));
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setData(path);
        // A file that is gone stays listed, greyed, until it is removed.
        if (!QFileInfo(path).isFile()) {
            item->setEnabled(false);
            item->setToolTip(QStringLiteral("\"%1\" no longer exists.").arg(path));
            ++RecentMissing;
        } else {
            item->setToolTip(path);
            item->setStatusTip(path);
        }
        connect(item, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    if (entries.isEmpty()) {
        QAction *none = mnuRecent->addAction(QStringLiteral("(No recent files)"));
        none->setEnabled(false);
    }
    mnuRecent->setToolTipsVisible(true);
    mnuRecent->addSeparator();
    mnuRecent->addActions({acReopenClosed, acClearMissing, acClearRecent});
    UpdateActionStates();
}

void TfrmMain::NoteDocumentReplaced()
{
    Recent.NoteClosed(DocumentPath);
}

bool TfrmMain::OpenNamedFile(const QString &path)
{
    if (!CheckManagersLoaded())
        return false;
    const QFileInfo info(path);
    if (!info.isFile()) {
        const bool listed = Recent.Entries().contains(RecentFiles::Normalised(path));
        QString text = info.isDir() ? QStringLiteral("\"%1\" is a folder, not a particle file.").arg(path)
                                    : QStringLiteral("The file \"%1\" does not exist.").arg(path);
        if (!listed) {
            ShowMessageBox(this, text, QString(), TMsgIcon::Warning);
            return false;
        }
        text += QStringLiteral("\r\nRemove it from Recent Files?");
        if (ShowMessageBox(this, text, QString(), TMsgIcon::Warning, TMsgButtons::YesNo) == TMsgResult::Yes) {
            Recent.Remove(path);
            StoreRecentFiles();
            UpdateActionStates();
        }
        return false;
    }
    const int manager = Managers.ForExtension(FileExtension(path));
    if (manager < 0) {
        ShowMessageBox(this, QStringLiteral("Unsupported file format: \"") + path + QLatin1Char('"'),
                       QString(), TMsgIcon::Warning);
        return false;
    }
    // Replacing the document: unsaved edits are asked about first, as Open does.
    if (!MayLeaveDocument())
        return false;
    return OpenDocument(path, manager + 1);
}

void TfrmMain::OpenRecentFile(const QString &path)
{
    OpenNamedFile(path);
}

void TfrmMain::acReopenClosedExecute()
{
    const std::optional<QString> path = Recent.TakeLastClosed(DocumentPath);
    if (path && !OpenNamedFile(*path) && QFileInfo(*path).isFile())
        Recent.NoteClosed(*path);  // not opened (kept the document): still to reopen
    UpdateActionStates();
}

void TfrmMain::acClearMissingExecute()
{
    if (Recent.RemoveMissing([](const QString &p) { return QFileInfo(p).isFile(); }) > 0)
        StoreRecentFiles();
    FillRecentMenu();
}

void TfrmMain::acClearRecentExecute()
{
    Recent.Clear();
    StoreRecentFiles();
    FillRecentMenu();
}

// ---- dropped files ------------------------------------------------------

bool TfrmMain::AcceptsDrag(const QMimeData *mime) const
{
    return !DroppedFiles(mime).isEmpty();
}

bool TfrmMain::DropFiles(const QStringList &files, bool onViewport)
{
    if (files.isEmpty())
        return false;
    DropContext context;
    context.onViewport = onViewport;
    context.documentOpen = EditControlsEnabled;
    context.typeSelected = TypeCombo->currentIndex() > 0;
    context.baseDir = GameDir.toStdString();
    context.additionalDir = GameDir2.toStdString();
    context.isScript = [this](const std::string &file) {
        return Managers.ForExtension(FileExtension(QString::fromStdString(file))) >= 0;
    };
    std::vector<std::string> names;
    for (const QString &file : files)
        names.push_back(QFile::encodeName(file).toStdString());
    const DropPlan plan = PlanDrop(names, context);
    switch (plan.action) {
    case DropAction::OpenScript: return OpenNamedFile(QFile::decodeName(plan.file.c_str()));
    case DropAction::SetSprite: {
        const int page = TypeCombo->currentIndex();
        if (const auto problem = TextValueProblem(InspectorKey::kSpriteName, plan.spritePath)) {
            ShowMessageBox(this, TextFromBytes(*problem), QString(), TMsgIcon::Warning);
            return false;
        }
        HostRenderer renderer(Renderers);
        const bool changed = ChangeDocument(TextFromBytes(InspectorKey::kSpriteName),
                                            [&](ParticleSystem &record) {
                                                ApplySpriteChoice(record, page, plan.spritePath, renderer);
                                            });
        FillInspector(page);
        statusBar()->showMessage(QStringLiteral("Sprite of \"%1\": %2")
                                     .arg(TypeCombo->currentText(), TextFromBytes(plan.spritePath)),
                                 kStatusNoteTime);
        return changed;
    }
    case DropAction::Refuse:
        if (!plan.message.empty())
            ShowMessageBox(this, QFile::decodeName(plan.message.c_str()), QString(), TMsgIcon::Warning);
        return false;
    }
    return false;
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (AcceptsDrag(event->mimeData()))
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drag ends: a message box inside the drop would hold the
    // dragging program until it is answered.
    QMetaObject::invokeMethod(
        this, [this, files] { DropFiles(files, false); }, Qt::QueuedConnection);
}

void TfrmMain::ConnectViewportDrops()
{
    Viewport->setAcceptDrops(true);
    connect(Viewport, &TViewport::FilesDropped, this, [this](const QStringList &files) {
        QMetaObject::invokeMethod(
            this, [this, files] { DropFiles(files, true); }, Qt::QueuedConnection);
    });
}
