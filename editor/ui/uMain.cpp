#include "uMain.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>
#include <utility>

#include "uGameDirectories.h"
#include "uJpegImage.h"
#include "uParticleMan.h"
#include "uPlaybackControls.h"
#include "uPreferences.h"
#include "uRender.h"
#include "uScriptEditor.h"
#include "uSelectRenderer.h"
#include "uSpriteBrowser.h"
#include "uViewport.h"
#include "uWindowSystem.h"

// The resources live in a static library: register them explicitly.
static void InitResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(embEd);
        return true;
    }();
    (void)done;
}

namespace {
// Writers often save a file in several pieces: read it once they are done.
constexpr int kFileSettleTime = 300;
// Wide enough for the inspector's label and value columns side by side.
constexpr int kLeftPanelWidth = 360;

// Room for the left panel and a viewport of useful size, within the screen.
QSize DefaultWindowSize()
{
    QSize size(1024, 768);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    return size;
}

// A hint is "short|long": the tool tip shows the first part, the status bar
// the second; a hint without a bar is both.
void SetHint(QObject *target, const QString &hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    target->setProperty("hint", hint);
    if (auto *action = qobject_cast<QAction *>(target)) {
        action->setToolTip(shortHint);
        action->setStatusTip(longHint);
    } else if (auto *widget = qobject_cast<QWidget *>(target)) {
        widget->setToolTip(shortHint);
        widget->setStatusTip(longHint);
    }
}

void SetBaseColour(QWidget *widget, QPalette::ColorRole role)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(role));
    widget->setPalette(p);
}

// The style offers no pictures for cut, copy and paste (its nearest ones
// mean discard and apply), so the toolbar draws its own where the desktop's
// icon theme has none.
enum class EditPicture { New, Cut, Copy, Paste };

QIcon DrawnEditIcon(EditPicture picture)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(60, 60, 60), 1.2);
    auto page = [&](const QRectF &r) {
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setPen(QPen(QColor(150, 150, 150), 1));
        for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3)
            p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
    };
    switch (picture) {
    case EditPicture::New: {
        // A blank page with a folded corner and a yellow spark: the style's
        // own page is grey enough to pass for a disabled button.
        QPainterPath sheet;
        sheet.moveTo(5.5, 2.5);
        sheet.lineTo(14.5, 2.5);
        sheet.lineTo(19.5, 7.5);
        sheet.lineTo(19.5, 21.5);
        sheet.lineTo(5.5, 21.5);
        sheet.closeSubpath();
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        p.setBrush(QColor(210, 210, 210));
        p.drawPolygon(QPolygonF({QPointF(14.5, 2.5), QPointF(14.5, 7.5), QPointF(19.5, 7.5)}));
        p.setPen(QPen(QColor(200, 140, 0), 1));
        p.setBrush(QColor(255, 200, 0));
        QPolygonF star;
        for (int i = 0; i < 8; ++i) {
            const qreal r = (i % 2) ? 2.0 : 5.0;
            const qreal a = i * 3.14159265 / 4.0;
            star << QPointF(17 + r * std::cos(a), 17 + r * std::sin(a));
        }
        p.drawPolygon(star);
        break;
    }
    case EditPicture::Cut:
        p.setPen(QPen(QColor(90, 90, 90), 1.6));
        p.drawLine(QPointF(7, 3), QPointF(15, 15));
        p.drawLine(QPointF(17, 3), QPointF(9, 15));
        p.setPen(QPen(QColor(180, 30, 30), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7.5, 18), 3.5, 3.5);
        p.drawEllipse(QPointF(16.5, 18), 3.5, 3.5);
        break;
    case EditPicture::Copy:
        page(QRectF(3.5, 2.5, 11, 14));
        page(QRectF(9.5, 7.5, 11, 14));
        break;
    case EditPicture::Paste:
        p.setPen(outline);
        p.setBrush(QColor(190, 140, 70));
        p.drawRoundedRect(QRectF(3.5, 4.5, 14, 17), 1.5, 1.5);
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(7.5, 2.5, 6, 4));
        page(QRectF(10.5, 9.5, 10, 12));
        break;
    }
    return QIcon(pixmap);
}

int SelectedFilterNumber(const QFileDialog *dialog)
{
    const int index = dialog->nameFilters().indexOf(dialog->selectedNameFilter());
    return index < 0 ? 1 : index + 1;
}
}  // namespace

TfrmMain::TfrmMain(QWidget *parent, TStartup startup) : QMainWindow(parent)
{
    if (startup == TStartup::LoadRenderersEarly) {
        // Qt's accessibility bridge connects to the session bus on first
        // use, starting a thread; it must not wait behind the driver that
        // the renderer now loads in the background (both need the dynamic
        // loader's lock), so it comes first.
        QAccessible::isActive();
        LoadRenderersEarly();
    }
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ApplicationTitle());
    InitResources();
    setWindowIcon(QIcon(QStringLiteral(":/sparkwright.png")));
    resize(DefaultWindowSize());

    CreateActions();
    CreateMenus();
    LoadRecentFiles();
    FillRecentMenu();
    CreateLeftPanel();

    Viewport = new TViewport(this);
    SetHint(Viewport, QString());
    Splitter->addWidget(Viewport);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({kLeftPanelWidth, width() - kLeftPanelWidth});
    setCentralWidget(Splitter);
    statusBar()->setSizeGripEnabled(true);

    edKeys = new TKeyEdit(this);
    PlaceKeyEdit();

    connect(Viewport, &TViewport::MouseDown, this, [this](Qt::MouseButton button) {
        edKeys->setFocus();
        if (button == Qt::LeftButton)
            Renderers.InputEvent(kInputLeftButtonDown);
        else if (button == Qt::RightButton)
            Renderers.InputEvent(kInputRightButtonDown);
    });
    connect(Viewport, &TViewport::MouseUp, this, [this](Qt::MouseButton button, bool inside) {
        if (!inside) {
            // Released after a drag that left the viewport.
            Renderers.InputEvent(kInputLeftButtonUp);
            Renderers.InputEvent(kInputRightButtonUp);
        } else if (button == Qt::LeftButton) {
            Renderers.InputEvent(kInputLeftButtonUp);
        } else if (button == Qt::RightButton) {
            Renderers.InputEvent(kInputRightButtonUp);
        }
    });
    connect(Viewport, &TViewport::MouseMove, this, [this] { Renderers.InputEvent(kInputPointerMove); });
    connect(Viewport, &TViewport::Resized, this, [this] {
        const QSize size = ViewportPixelSize();
        Renderers.SetTextScale(Viewport->devicePixelRatioF());
        Renderers.ResizeDevice(size.width(), size.height());
        Renderers.UpdateDevice();
    });
    connect(edKeys, &TKeyEdit::ViewportKey, this, [this](int code) { Renderers.InputEvent(code); });
    CreatePlaybackControls();
    ConnectViewportDrops();
    setAcceptDrops(true);
    connect(edKeys, &TKeyEdit::PlayPauseKey, Playback, &TPlaybackControls::TogglePlay);

    FrameTimer = new QTimer(this);
    FrameTimer->setObjectName(QStringLiteral("FrameTimer"));
    FrameTimer->setInterval(kFrameIntervalMs);
    connect(FrameTimer, &QTimer::timeout, this, [this] {
        Renderers.UpdateDevice();
        const double sinceLoad = EffectLoaded.isValid() ? EffectLoaded.elapsed() / 1000.0 : -1.0;
        const int interval = FrameIntervalMs(sinceLoad);
        if (FrameTimer->interval() != interval)
            FrameTimer->setInterval(interval);
    });
    FrameTimer->start();
    Renderers.SetSystemColours(SystemColourValue);

    CreateNewDialog();

    Recovery = std::make_unique<RecoveryStore>();
    RecoveryTimer = new QTimer(this);
    RecoveryTimer->setObjectName(QStringLiteral("RecoveryTimer"));
    RecoveryTimer->setSingleShot(true);
    connect(RecoveryTimer, &QTimer::timeout, this, [this] { WriteRecovery(); });
    FileWatcher = new QFileSystemWatcher(this);
    FileChangeTimer = new QTimer(this);
    FileChangeTimer->setSingleShot(true);
    FileChangeTimer->setInterval(kFileSettleTime);
    connect(FileWatcher, &QFileSystemWatcher::fileChanged, FileChangeTimer, qOverload<>(&QTimer::start));
    connect(FileWatcher, &QFileSystemWatcher::directoryChanged, FileChangeTimer, qOverload<>(&QTimer::start));
    connect(FileChangeTimer, &QTimer::timeout, this, [this] { DocumentFileChanged(); });

    Doc.SetListener([this] { RefreshDocumentState(); });
    RefreshDocumentState();
}

TfrmMain::~TfrmMain()
{
    FrameTimer->stop();
    // Exit ends without the closing steps, but the device still has to go
    // before the window it draws into.
    if (!ClosedDown && StartupDone) {
        Renderers.Unload();
        Managers.Unload();
    }
}

THostWarning TfrmMain::HostWarning()
{
    return [this](const QString &text, const QString &caption) {
        ShowMessageBox(this, text, caption, TMsgIcon::Warning);
    };
}

QAction *TfrmMain::RendererAction(int slot) const
{
    switch (slot) {
    case 0: return acSelectRendererOGL;
    case 1: return acSelectRendererD3D7;
    case 2: return acSelectRendererD3D9;
    default: return nullptr;
    }
}

namespace {
// One command of the main window: where it is kept, its object name, caption,
// shortcuts, hint ("short|long"), what it does and when it can be used.
struct TActionRow {
    QAction *TfrmMain::*action;
    const char *name;
    const char *caption;
    const char *shortcut;     // empty: none
    const char *altShortcut;  // empty: none
    const char *hint;
    void (*handler)(TfrmMain &w);
    bool (*enabled)(const TfrmMain &w);  // null: always
};

bool HasDocument(const TfrmMain &w)
{
    return w.EditControlsEnabled;
}

template <int slot>
bool RendererUsable(const TfrmMain &w)
{
    return w.Renderers[slot].supported;
}

template <TRendererControl control>
bool RendererOffers(const TfrmMain &w)
{
    return w.Renderers.Offers(control);
}

bool AnyRendererUsable(const TfrmMain &w)
{
    for (int slot = 0; slot < kRendererSlotCount; ++slot) {
        if (w.Renderers[slot].supported)
            return true;
    }
    return false;
}

// In menu order. The renderer commands' checks and Show Ground's mark are
// state of their own, kept by the window.
const TActionRow kActionTable[] = {
    {&TfrmMain::acNew, "acNew", "&New...", "Ctrl+N", "", "Create new particles",
     [](TfrmMain &w) { w.acNewExecute(); }, nullptr},
    {&TfrmMain::acOpen, "acOpen", "&Open...", "Ctrl+O", "", "Load particles from file",
     [](TfrmMain &w) { w.acOpenExecute(); }, nullptr},
    {&TfrmMain::acSave, "acSave", "&Save", "Ctrl+S", "", "Save changes in particles",
     [](TfrmMain &w) { w.acSaveExecute(); }, HasDocument},
    {&TfrmMain::acSaveAs, "acSaveAs", "Save &As...", "", "", "Save particles to another file",
     [](TfrmMain &w) { w.acSaveAsExecute(); }, HasDocument},
    {&TfrmMain::acReopenClosed, "acReopenClosed", "Reopen &Closed File", "Ctrl+Shift+T", "",
     "Reopen the file closed last", [](TfrmMain &w) { w.acReopenClosedExecute(); },
     [](const TfrmMain &w) { return w.Recent.HasClosed(w.DocumentPath); }},
    {&TfrmMain::acClearMissing, "acClearMissing", "Remove &Missing Files", "", "",
     "Remove the files that no longer exist from the list", [](TfrmMain &w) { w.acClearMissingExecute(); },
     [](const TfrmMain &w) { return w.RecentMissing > 0; }},
    {&TfrmMain::acClearRecent, "acClearRecent", "C&lear List", "", "", "Empty the list of recent files",
     [](TfrmMain &w) { w.acClearRecentExecute(); },
     [](const TfrmMain &w) { return !w.Recent.Entries().isEmpty(); }},
    {&TfrmMain::acEditTypes, "acEditTypes", "Edit &Types...", "Ctrl+T", "", "Edit particle types",
     [](TfrmMain &w) { w.acEditTypesExecute(); }, HasDocument},
    {&TfrmMain::acPreferences, "acPreferences", "&Preferences...", "Ctrl+P", "", "",
     [](TfrmMain &w) { w.acPreferencesExecute(); }, nullptr},
    {&TfrmMain::acChangeGamedir, "acChangeGamedir", "&Game Directories...", "Ctrl+G", "",
     "Change your game directory", [](TfrmMain &w) { w.acChangeGamedirExecute(); }, nullptr},
    {&TfrmMain::acExit, "acExit", "E&xit", "", "", "Close program", [](TfrmMain &w) { w.acExitExecute(); },
     nullptr},
    {&TfrmMain::acUndo, "acUndo", "&Undo", "Ctrl+Z", "", "Undo|Reverts the last action",
     [](TfrmMain &w) { w.UndoExecute(); }, nullptr},
    {&TfrmMain::acRedo, "acRedo", "&Redo", "Ctrl+Shift+Z", "Ctrl+Y", "Redo|Repeats the last action undone",
     [](TfrmMain &w) { w.RedoExecute(); }, nullptr},
    {&TfrmMain::acCut, "acCut", "Cu&t", "Ctrl+X", "", "Cut|Cuts the selection and puts it on the Clipboard",
     [](TfrmMain &w) { w.EditCommand(w.acCut); }, nullptr},
    {&TfrmMain::acCopy, "acCopy", "&Copy", "Ctrl+C", "",
     "Copy|Copies the selection and puts it on the Clipboard", [](TfrmMain &w) { w.EditCommand(w.acCopy); },
     nullptr},
    {&TfrmMain::acPaste, "acPaste", "&Paste", "Ctrl+V", "", "Paste|Inserts Clipboard contents",
     [](TfrmMain &w) { w.EditCommand(w.acPaste); }, nullptr},
    {&TfrmMain::acSelectAll, "acSelectAll", "Select &All", "Ctrl+A", "",
     "Select All|Selects the entire document", [](TfrmMain &w) { w.EditCommand(w.acSelectAll); }, nullptr},
    {&TfrmMain::acSelectRendererOGL, "acSelectRendererOGL", "&OpenGL", "Ctrl+F1", "",
     "Select OpenGL Renderer", [](TfrmMain &w) { w.SelectRendererExecute(0); }, RendererUsable<0>},
    {&TfrmMain::acSelectRendererD3D7, "acSelectRendererD3D7", "&Direct3D7", "Ctrl+F2", "",
     "Select Direct3D7 Renderer", [](TfrmMain &w) { w.SelectRendererExecute(1); }, RendererUsable<1>},
    {&TfrmMain::acSelectRendererD3D9, "acSelectRendererD3D9", "D&irect3D9", "Ctrl+F3", "",
     "Select Direct3D9 Renderer", [](TfrmMain &w) { w.SelectRendererExecute(2); }, RendererUsable<2>},
    {&TfrmMain::acShowGround, "acShowGround", "Show &Ground", "F4", "", "Toggle ground rendering",
     [](TfrmMain &w) { w.acShowGroundExecute(w.acShowGround->isChecked()); }, nullptr},
    {&TfrmMain::acGetRenderInfo, "acGetRenderInfo", "&Renderer Information...", "Ctrl+I", "",
     "Show information about current renderer", [](TfrmMain &w) { w.acGetRenderInfoExecute(); },
     AnyRendererUsable},
    {&TfrmMain::acPlayPause, "acPlayPause", "&Pause", "", "",
     "Pause or play the effect (Space in the viewport)", [](TfrmMain &w) { w.Playback->TogglePlay(); },
     RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acStep, "acStep", "S&tep Frame", "F6", "", "Advance the paused effect by one frame",
     [](TfrmMain &w) { w.Playback->Step(); }, RendererOffers<TRendererControl::Step>},
    {&TfrmMain::acRestart, "acRestart", "&Restart Effect", "F5", "",
     "Start the effect again from its first frame", [](TfrmMain &w) { w.Playback->Restart(); },
     RendererOffers<TRendererControl::Restart>},
    {&TfrmMain::acSpeed010, "acSpeed010", "0.1x", "", "", "Play the effect at a tenth of its speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(0); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acSpeed025, "acSpeed025", "0.25x", "", "", "Play the effect at a quarter of its speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(1); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acSpeed050, "acSpeed050", "0.5x", "", "", "Play the effect at half its speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(2); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acSpeed100, "acSpeed100", "1x", "", "", "Play the effect at its own speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(3); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acSpeed200, "acSpeed200", "2x", "", "", "Play the effect at twice its speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(4); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acSpeed400, "acSpeed400", "4x", "", "", "Play the effect at four times its speed",
     [](TfrmMain &w) { w.Playback->SetSpeedIndex(5); }, RendererOffers<TRendererControl::Playback>},
    {&TfrmMain::acResetView, "acResetView", "Reset &View", "F7", "", "Put the camera back where it starts",
     [](TfrmMain &w) { w.Playback->ResetView(); }, RendererOffers<TRendererControl::ResetCamera>},
    {&TfrmMain::acFrameEffect, "acFrameEffect", "&Frame Effect", "F8", "",
     "Move the camera so that the particles fill the view", [](TfrmMain &w) { w.Playback->FrameEffect(); },
     RendererOffers<TRendererControl::FrameEffect>},
    {&TfrmMain::acHelpTopics, "acHelpTopics", "&Help Topics", "F1", "", "Show Sparkwright Help File",
     [](TfrmMain &w) { w.acHelpTopicsExecute(); }, nullptr},
    {&TfrmMain::acWebSite, "acWebSite", "&Brindle Works On Web", "", "", "Visit Brindle Works web site",
     [](TfrmMain &w) { w.acWebSiteExecute(); }, nullptr},
    {&TfrmMain::acHelpAbout, "acHelpAbout", "&About Sparkwright...", "", "", "Show information about program",
     [](TfrmMain &w) { w.acHelpAboutExecute(); }, nullptr},
};
}  // namespace

void TfrmMain::CreateActions()
{
    for (const TActionRow &row : kActionTable) {
        auto *action = new QAction(QString::fromUtf8(row.caption), this);
        action->setObjectName(QLatin1String(row.name));
        QList<QKeySequence> keys;
        for (const char *key : {row.shortcut, row.altShortcut}) {
            if (*key)
                keys << QKeySequence(QLatin1String(key));
        }
        action->setShortcuts(keys);
        if (*row.hint)
            SetHint(action, QString::fromUtf8(row.hint));
        const auto handler = row.handler;
        connect(action, &QAction::triggered, this, [this, handler] { handler(*this); });
        this->*row.action = action;
    }

    QStyle *s = style();
    acNew->setIcon(QIcon::fromTheme(QStringLiteral("document-new"), DrawnEditIcon(EditPicture::New)));
    acOpen->setIcon(
        QIcon::fromTheme(QStringLiteral("document-open"), s->standardIcon(QStyle::SP_DialogOpenButton)));
    acSave->setIcon(
        QIcon::fromTheme(QStringLiteral("document-save"), s->standardIcon(QStyle::SP_DialogSaveButton)));
    acUndo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo"), s->standardIcon(QStyle::SP_ArrowBack)));
    acRedo->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo"), s->standardIcon(QStyle::SP_ArrowForward)));
    acCut->setIcon(QIcon::fromTheme(QStringLiteral("edit-cut"), DrawnEditIcon(EditPicture::Cut)));
    acCopy->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy"), DrawnEditIcon(EditPicture::Copy)));
    acPaste->setIcon(QIcon::fromTheme(QStringLiteral("edit-paste"), DrawnEditIcon(EditPicture::Paste)));
    acHelpTopics->setIcon(
        QIcon::fromTheme(QStringLiteral("help-contents"), s->standardIcon(QStyle::SP_DialogHelpButton)));

    RendererGroup = new QActionGroup(this);
    RendererGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int slot = 0; slot < kRendererSlotCount; ++slot) {
        RendererAction(slot)->setCheckable(true);
        RendererGroup->addAction(RendererAction(slot));
    }
    acShowGround->setCheckable(true);
    acShowGround->setChecked(true);
    UpdateActionStates();
}

void TfrmMain::UpdateActionStates()
{
    for (const TActionRow &row : kActionTable) {
        if (row.enabled)
            (this->*row.action)->setEnabled(row.enabled(*this));
    }
}

void TfrmMain::CreateMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->addActions({acNew, acOpen});
    mnuRecent = mnuFile->addMenu(QStringLiteral("&Recent Files"));
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    connect(mnuRecent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    mnuFile->addActions({acSave, acSaveAs});
    mnuFile->addSeparator();
    mnuFile->addAction(acEditTypes);
    mnuFile->addSeparator();
    mnuFile->addActions({acPreferences, acChangeGamedir});
    mnuFile->addSeparator();
    mnuFile->addAction(acExit);

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->addActions({acUndo, acRedo});
    mnuEdit->addSeparator();
    mnuEdit->addActions({acCut, acCopy, acPaste});
    mnuEdit->addSeparator();
    mnuEdit->addAction(acSelectAll);

    mnuRender = menuBar()->addMenu(QStringLiteral("&Render"));
    mnuRender->addActions({acSelectRendererOGL, acSelectRendererD3D7, acSelectRendererD3D9});
    mnuRender->addSeparator();
    mnuRender->addAction(acShowGround);
    mnuRender->addSeparator();
    mnuRender->addAction(acGetRenderInfo);
    mnuRender->addSeparator();
    mnuRender->addActions({acPlayPause, acStep, acRestart});
    mnuSpeed = mnuRender->addMenu(QStringLiteral("Sp&eed"));
    mnuSpeed->setObjectName(QStringLiteral("mnuSpeed"));
    mnuSpeed->addActions({acSpeed010, acSpeed025, acSpeed050, acSpeed100, acSpeed200, acSpeed400});
    mnuRender->addSeparator();
    mnuRender->addActions({acResetView, acFrameEffect});

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->addActions({acHelpTopics, acWebSite});
    mnuHelp->addSeparator();
    mnuHelp->addAction(acHelpAbout);

    // No frame is drawn while a menu of the main menu is open.
    for (QMenu *menu : {mnuFile, mnuEdit, mnuRender, mnuHelp}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { FrameTimer->stop(); });
        connect(menu, &QMenu::aboutToHide, this, [this] { FrameTimer->start(); });
    }

    ToolBar = addToolBar(QStringLiteral("Standard"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->addActions({acNew, acOpen, acSave});
    ToolBar->addSeparator();
    ToolBar->addActions({acUndo, acRedo, acCut, acCopy, acPaste});
    ToolBar->addSeparator();
    ToolBar->addAction(acHelpTopics);
}

void TfrmMain::CreatePlaybackControls()
{
    TPlaybackActions actions{acPlayPause,
                             acStep,
                             acRestart,
                             acResetView,
                             acFrameEffect,
                             {acSpeed010, acSpeed025, acSpeed050, acSpeed100, acSpeed200, acSpeed400}};
    Playback = new TPlaybackControls(this, Renderers, actions, [this] { UpdateActionStates(); });
    ToolBar->addSeparator();
    ToolBar->addActions({acPlayPause, acStep, acRestart});
    ToolBar->addWidget(Playback->cbSpeed);
    ToolBar->addActions({acResetView, acFrameEffect});
    statusBar()->addPermanentWidget(Playback->lblTime);
}

void TfrmMain::CreateLeftPanel()
{
    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(8);
    Splitter->setOpaqueResize(true);
    Splitter->setChildrenCollapsible(false);

    auto *left = new QWidget(Splitter);
    left->setObjectName(QStringLiteral("LeftPanel"));
    auto *leftLayout = new QHBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    SideStrip = new QLabel(left);
    SideStrip->setObjectName(QStringLiteral("SideStrip"));
    SideStrip->setFixedWidth(17);
    SideStrip->setScaledContents(true);
    // Stretched to any height: the picture's own height must not become the
    // window's minimum (it is taller than a screen scaled by 2).
    SideStrip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    SideStrip->setPixmap(QPixmap::fromImage(SideStripPicture()));
    leftLayout->addWidget(SideStrip);

    Tabs = new QTabWidget(left);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    leftLayout->addWidget(Tabs);

    TabProperties = new QWidget;
    TabProperties->setObjectName(QStringLiteral("TabProperties"));
    auto *props = new QVBoxLayout(TabProperties);
    auto *typeRow = new QHBoxLayout;
    btnEditTypes = new QToolButton(TabProperties);
    btnEditTypes->setObjectName(QStringLiteral("btnEditTypes"));
    btnEditTypes->setText(QStringLiteral("..."));
    SetHint(btnEditTypes, QStringLiteral("Edit Types..."));
    btnEditTypes->setEnabled(false);
    TypeCombo = new QComboBox(TabProperties);
    TypeCombo->setObjectName(QStringLiteral("TypeCombo"));
    SetHint(TypeCombo, QStringLiteral("Type List"));
    TypeCombo->setEnabled(false);
    typeRow->addWidget(btnEditTypes);
    typeRow->addWidget(TypeCombo, 1);
    props->addLayout(typeRow);
    ObjectInspector = new QWidget(TabProperties);
    ObjectInspector->setObjectName(QStringLiteral("ObjectInspector"));
    auto *inspectorLayout = new QVBoxLayout(ObjectInspector);
    inspectorLayout->setContentsMargins(0, 0, 0, 0);
    ObjectInspector->setEnabled(false);
    props->addWidget(ObjectInspector, 1);
    Tabs->addTab(TabProperties, QStringLiteral("Properties"));

    TabScript = new QWidget;
    TabScript->setObjectName(QStringLiteral("TabScript"));
    auto *script = new QVBoxLayout(TabScript);
    auto *labels = new QHBoxLayout;
    lblScriptType = new QLabel(QStringLiteral("Script Type:"), TabScript);
    lblScriptType->setObjectName(QStringLiteral("lblScriptType"));
    QFont bold = lblScriptType->font();
    bold.setBold(true);
    lblScriptType->setFont(bold);
    lblScriptManager = new QLabel(QStringLiteral("<Not loaded>"), TabScript);
    lblScriptManager->setObjectName(QStringLiteral("lblScriptManager"));
    lblScriptManager->setTextFormat(Qt::PlainText);
    labels->addWidget(lblScriptType);
    labels->addWidget(lblScriptManager, 1);
    script->addLayout(labels);
    ScriptEditor = new TScriptEditor(TabScript);
    ScriptEditor->setObjectName(QStringLiteral("ScriptEditor"));
    ScriptEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    ScriptEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont scriptFont(QStringLiteral("Arial"));
    scriptFont.setPixelSize(13);
    ScriptEditor->setFont(scriptFont);
    // Scripts indent with tabs; the default stop of 80 pixels pushed every
    // key a quarter of the narrow pane to the right.
    ScriptEditor->setTabStopDistance(QFontMetricsF(scriptFont).horizontalAdvance(QStringLiteral("nnnn")));
    SetHint(ScriptEditor, QStringLiteral("Script Editor"));
    ScriptEditor->setEnabled(false);
    script->addWidget(ScriptEditor, 1);
    auto *buttons = new QHBoxLayout;
    btnUpdate = new QPushButton(QStringLiteral("Update"), TabScript);
    btnUpdate->setObjectName(QStringLiteral("btnUpdate"));
    SetHint(btnUpdate, QStringLiteral("Reload Script"));
    btnUpdate->setEnabled(false);
    btnRevert = new QPushButton(QStringLiteral("Revert"), TabScript);
    btnRevert->setObjectName(QStringLiteral("btnRevert"));
    SetHint(btnRevert, QStringLiteral("Discard changes in script"));
    btnRevert->setEnabled(false);
    buttons->addWidget(btnUpdate);
    buttons->addWidget(btnRevert);
    script->addLayout(buttons);
    Tabs->addTab(TabScript, QStringLiteral("Script"));

    connect(Tabs, &QTabWidget::currentChanged, this, [this](int i) { TabChanged(i); });
    connect(TypeCombo, qOverload<int>(&QComboBox::activated), this, [this](int i) { TypeComboChange(i); });
    connect(ScriptEditor, &QPlainTextEdit::textChanged, this, [this] { ScriptEditorChange(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { btnUpdateClick(); });
    connect(btnRevert, &QPushButton::clicked, this, [this] { btnRevertClick(); });
    connect(btnEditTypes, &QToolButton::clicked, this, [this] { acEditTypesExecute(); });
    CreateInspectorWidgets();
}

void TfrmMain::PlaceKeyEdit()
{
    if (edKeys)
        edKeys->move(width() - edKeys->width(), height() - edKeys->height());
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    PlaceKeyEdit();
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    edKeys->raise();
    // Run the start-up sequence once the window is up and the event loop
    // turns: the moment a window manager would first activate it.
    if (!StartupQueued) {
        StartupQueued = true;
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
    }
}

uintptr_t TfrmMain::ViewportHandle()
{
    const uintptr_t handle = static_cast<uintptr_t>(Viewport->winId());
    SyncWindowSystem();
    return handle;
}

QSize TfrmMain::ViewportPixelSize() const
{
    const qreal ratio = Viewport->devicePixelRatioF();
    return QSize(qRound(Viewport->width() * ratio), qRound(Viewport->height() * ratio));
}

void TfrmMain::FormActivate()
{
    if (StartupDone || Terminated)
        return;
    StartupDone = true;

    SetEditControlsEnabled(false);
    setWindowTitle(ApplicationTitle());
    DocumentPath.clear();
    DocumentName.clear();
    CurrentManager = 0;
    Doc.StartHistory();
    RecordModified = false;
    ScriptModified = false;
    ScriptBackup.clear();
    DocumentReady = false;
    std::memset(static_cast<void *>(&DocumentRecord), 0, sizeof DocumentRecord);
    // The grey the viewport shows while no renderer draws into it.
    const QColor panel = palette().color(QPalette::Mid);
    SetNativeBackground(static_cast<uintptr_t>(Viewport->winId()), panel.red(), panel.green(), panel.blue());

    const TStoredSettings stored = ReadStoredSettings();
    GameDir = stored.GameDir;
    GameDir2 = stored.GameDir2;
    StoredRenderer = stored.CurrentRenderer;
    acShowGround->setChecked(stored.ShowGround);
    if (stored.StartMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    ProgramSettings = stored.program;

    if (GameDir.isEmpty()) {
        TfrmGameDirectories dialog(this, GameDir, GameDir2, false);
        if (ExecDialog(&dialog) != QDialog::Accepted) {
            Terminate();
            return;
        }
        GameDir = dialog.BaseDirectory();
        GameDir2 = dialog.AdditionalDirectory();
    }
    SpriteFolder = GameDir;

    Managers.Load(PluginDirectory(), HostWarning());
    FillNewList();

    StartupRendererChoice();

    Renderers.SetGamedir(GameDir, GameDir2);
    ApplyCurrentDeviceOptions();
    Renderers.SetShowGround(acShowGround->isChecked());

    // Restored work takes the place of the file named on the command line.
    if (OfferRecovery())
        return;
    if (!CommandLine.isEmpty() && !QFileInfo(CommandLine.first()).isFile()) {
        const QFileInfo named(CommandLine.first());
        ShowMessageBox(this, MissingCommandLineFileMessage(CommandLine.first(), named.isDir()), QString(),
                       TMsgIcon::Warning);
    } else if (!CommandLine.isEmpty()) {
        const QString path = CommandLine.first();
        if (!CheckManagersLoaded())
            return;
        const int manager = Managers.ForExtension(FileExtension(path));
        if (manager < 0) {
            ShowMessageBox(this, QStringLiteral("Unsupported file format: \"") + path + QLatin1Char('"'),
                           QString(), TMsgIcon::Warning);
        } else {
            OpenDocument(path, manager + 1);
        }
    }
}

void TfrmMain::CreateFileDialogs()
{
    if (OpenDialog)
        return;
    OpenDialog = new QFileDialog(this, QStringLiteral("Open Particle File"));
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setDefaultSuffix(QStringLiteral("qc"));
    OpenDialog->setDirectory(ProgramDirectory());
    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setDefaultSuffix(QStringLiteral("qc"));
    const QStringList filters = FilterNameFilters(Managers.FilterText());
    for (QFileDialog *dialog : {OpenDialog, SaveDialog}) {
        dialog->setNameFilters(filters);
        // A name typed without extension gets the one of the chosen format.
        if (!filters.isEmpty())
            dialog->setDefaultSuffix(FilterDefaultSuffix(filters.first()));
        connect(dialog, &QFileDialog::filterSelected, dialog,
                [dialog](const QString &filter) { dialog->setDefaultSuffix(FilterDefaultSuffix(filter)); });
    }
}

// The libraries load before the window is built, and the stored choice
// starts preparing its device meanwhile (on a software rasteriser, loading
// the GL driver costs as much as building the window). Reports about
// unusable libraries wait for the start-up sequence, where they come
// otherwise.
void TfrmMain::LoadRenderersEarly()
{
    Renderers.Load(PluginDirectory(), [this](const QString &text, const QString &caption) {
        EarlyRendererWarnings.append({text, caption});
    });
    RenderersLoadedEarly = true;
    Renderers.Prepare(ReadStoredSettings().CurrentRenderer - 1);
}

void TfrmMain::StartupRendererChoice()
{
    TfrmSelectRenderer dialog(this);
    if (RenderersLoadedEarly) {
        RenderersLoadedEarly = false;
        const THostWarning warn = HostWarning();
        for (const auto &[text, caption] : std::exchange(EarlyRendererWarnings, {}))
            warn(text, caption);
    } else {
        Renderers.Load(PluginDirectory(), HostWarning());
    }
    UpdateActionStates();
    int available = 0;
    for (int slot : {1, 2, 0}) {
        if (!Renderers[slot].supported)
            continue;
        QRadioButton *button = dialog.Button(slot);
        button->setEnabled(true);
        button->setChecked(true);
        button->setToolTip(Renderers[slot].name);
        RendererAction(slot)->setChecked(true);
        ++available;
    }
    if (available == 0) {
        ShowMessageBox(this, QStringLiteral("No renderers available!"), QString(), TMsgIcon::Warning);
        return;
    }
    int choice = StoredRenderer;
    // A stored choice that names no usable renderer is asked for again.
    if (choice < 1 || choice > kRendererSlotCount || !Renderers[choice - 1].supported)
        choice = 0;
    if (choice == 0) {
        ExecDialog(&dialog);  // closing by the frame counts as OK
        choice = dialog.Choice();
    }
    if (choice >= 1 && choice <= kRendererSlotCount) {
        RendererAction(choice - 1)->setChecked(true);
        const QSize size = ViewportPixelSize();
        Renderers.SetTextScale(Viewport->devicePixelRatioF());
        Renderers.Select(ViewportHandle(), choice - 1, size.width(), size.height());
    }
}

void TfrmMain::ApplyCurrentDeviceOptions()
{
    Renderers.ApplyDeviceOptions(ProgramSettings.BgColor, ProgramSettings.GrColor, ProgramSettings.TxtColor,
                                 ProgramSettings.WaitSync, ProgramSettings.TextShadow);
}

bool TfrmMain::CheckManagersLoaded()
{
    if (Managers.Count() > 0)
        return true;
    ShowMessageBox(this,
                   QStringLiteral("No particle manager plug-in is loaded, so particle files cannot be "
                                  "opened or saved.\r\nPut a manager library (emb*Man") +
                       ModuleSuffix() + QStringLiteral(") beside the program."),
                   QString(), TMsgIcon::Warning);
    return false;
}

void TfrmMain::SetScriptText(const QString &text)
{
    ScriptShownBytes = LineBytes(text);
    ScriptEditor->setPlainText(ScriptTextFromBytes(ScriptShownBytes));
    ScriptModified = false;
    RefreshDocumentState();
}

void TfrmMain::SetDocumentCaption()
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" [") + DocumentName + QLatin1Char(']') +
                   (HasUnsavedChanges() ? QStringLiteral(" *") : QString()));
}

bool TfrmMain::OpenDocument(const QString &path, int managerNumber)
{
    const int index = managerNumber - 1;
    if (!Managers.Valid(index)) {
        CheckManagersLoaded();
        return false;
    }
    const TParticleManager &manager = Managers[index];
    const std::optional<QString> findingsNote = ExamineScriptFile(path, index);
    if (!findingsNote)
        return false;
    if (!PluginYes(manager.LoadFile(QFile::encodeName(path).constData(), &DocumentRecord))) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to load particles from ") + path +
                           QStringLiteral("\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }
    AdoptDocumentFile(index, path, true);
    statusBar()->showMessage(*findingsNote);
    return true;
}

bool TfrmMain::SaveDocument(const QString &path, int managerNumber)
{
    const int index = managerNumber - 1;
    if (!Managers.Valid(index)) {
        CheckManagersLoaded();
        return false;
    }
    const TParticleManager &manager = Managers[index];
    if (!MayOverwriteChangedFile(path))
        return false;
    const std::string header = ScriptHeaderBytes(DocumentRecord);
    if (!PluginYes(manager.SaveFile(QFile::encodeName(path).constData(), header.c_str(), &DocumentRecord))) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to save particles to ") + path +
                           QStringLiteral("\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }
    lblScriptManager->setText(manager.title);
    AdoptDocumentFile(index, path, false);
    Doc.MarkSaved();
    return true;
}

// After a load or a save the file on disk is the document: its text is the
// pane's text and the backup, and nothing is left unsaved. A load also
// refills the type list and the inspector from the new record.
void TfrmMain::AdoptDocumentFile(int managerIndex, const QString &path, bool refreshViews)
{
    if (refreshViews && !DocumentPath.isEmpty() &&
        RecentFiles::Normalised(DocumentPath) != RecentFiles::Normalised(path))
        NoteDocumentReplaced();
    CurrentManager = managerIndex;
    DocumentPath = path;
    DocumentName = path;
    ScriptBackup = ReadTextFileLines(path);
    SetScriptText(LinesText(ScriptBackup));
    if (refreshViews) {
        Doc.StartHistory();
        RefreshAfterLoad();
        if (Playback)
            Playback->FrameWhenUnderway();
        // The effect shows first; the recent list and the file watch follow.
        DrawFirstFrame();
    }
    Recent.Add(path);
    StoreRecentFiles();
    SetEditControlsEnabled(true);
    RecordModified = false;
    ScriptModified = false;
    SetDocumentCaption();
    WatchDocumentFile();
}

void TfrmMain::DrawFirstFrame()
{
    if (!Renderers.DeviceOpen())
        return;
    Renderers.UpdateDevice();
    EffectLoaded.start();
    FrameTimer->setInterval(FrameIntervalMs(0.0));
}

void TfrmMain::SetEditControlsEnabled(bool enabled)
{
    EditControlsEnabled = enabled;
    UpdateActionStates();
    const QPalette::ColorRole face = enabled ? QPalette::Base : QPalette::Button;
    SetBaseColour(TypeCombo, face);
    SetBaseColour(ScriptEditor, face);
    ObjectInspector->setEnabled(enabled);
    TypeCombo->setEnabled(enabled);
    btnEditTypes->setEnabled(enabled);
    const bool inTable = CurrentManager >= 0 && CurrentManager < kMaxManagers;
    if (inTable && Managers[CurrentManager].module && Managers[CurrentManager].isText == 0) {
        ScriptEditor->setPlainText(QStringLiteral("Script is not editable!"));
        ScriptEditor->setEnabled(false);
        SetBaseColour(ScriptEditor, QPalette::Button);
        ScriptModified = false;
        btnUpdate->setEnabled(false);
        btnRevert->setEnabled(false);
    } else {
        ScriptEditor->setEnabled(enabled);
        btnUpdate->setEnabled(enabled);
        btnRevert->setEnabled(enabled);
    }
}

void TfrmMain::acOpenExecute()
{
    if (!CheckManagersLoaded())
        return;
    CreateFileDialogs();
    if (ExecDialog(OpenDialog) != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty())
        return;
    // Opening replaces the document: unsaved edits would go without a word.
    if (!MayLeaveDocument())
        return;
    OpenDocument(OpenDialog->selectedFiles().constFirst(), SelectedFilterNumber(OpenDialog));
}

bool TfrmMain::acSaveExecute()
{
    // Typed text is part of what the user sees: it goes into the file. The
    // pane is never older than the record, so an untouched pane is not applied.
    // Text the manager rejects (or that holds a text too long to store) is
    // not saved over: saving would replace it in the pane with the file's text.
    if (!CommitPaneEdits())
        return false;
    const bool saved = !DocumentPath.isEmpty() ? SaveDocument(DocumentPath, CurrentManager + 1)
                                               : acSaveAsExecute();
    FillInspector(TypeCombo->currentIndex());
    return saved;
}

bool TfrmMain::acSaveAsExecute()
{
    if (!CheckManagersLoaded())
        return false;
    CreateFileDialogs();
    if (ExecDialog(SaveDialog) != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return false;
    return SaveDocument(SaveDialog->selectedFiles().constFirst(), SelectedFilterNumber(SaveDialog));
}

TMsgResult TfrmMain::AskSaveChanges()
{
    return ShowMessageBox(this, QStringLiteral("Save changes in \"") + DocumentName + QStringLiteral("\"?"),
                          QStringLiteral("Confirm"), TMsgIcon::Warning, TMsgButtons::YesNoCancel);
}

bool TfrmMain::MayLeaveDocument()
{
    if (!HasUnsavedChanges())
        return true;
    switch (AskSaveChanges()) {
    case TMsgResult::Yes:
        // A failed save or a cancelled Save As keeps the document where it is.
        return acSaveExecute();
    case TMsgResult::No: return true;
    default: return false;
    }
}

bool TfrmMain::CloseQuery()
{
    return MayLeaveDocument();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (Terminated || ClosedDown) {
        event->accept();
        return;
    }
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    FrameTimer->stop();
    // Without the start-up read there is nothing of ours to store.
    if (StartupDone) {
        TStoredSettings s;
        s.GameDir = GameDir;
        s.GameDir2 = GameDir2;
        s.CurrentRenderer = Renderers.Current() + 1;
        s.ShowGround = acShowGround->isChecked();
        s.StartMaximized = isMaximized();
        s.program = ProgramSettings;
        WriteStoredSettings(s);
        Managers.Unload();
        Renderers.Unload();
    }
    ScriptBackup.clear();
    // The close question was answered: the work is saved or dropped on purpose.
    RecoveryTimer->stop();
    Recovery->Remove();
    ClosedDown = true;
}

void TfrmMain::Terminate()
{
    // Exit asks nothing; unsaved work is kept for the next start instead.
    if (StartupDone)
        WriteRecovery();
    Terminated = true;
    FrameTimer->stop();
    // Ends the event loop without closing the window: no close question,
    // no settings written.
    QCoreApplication::exit(0);
}

void TfrmMain::acExitExecute()
{
    Terminate();
}

void TfrmMain::mouseReleaseEvent(QMouseEvent *event)
{
    QMainWindow::mouseReleaseEvent(event);
    Renderers.InputEvent(kInputLeftButtonUp);
    Renderers.InputEvent(kInputRightButtonUp);
}

void TfrmMain::acPreferencesExecute()
{
    if (ExecutePreferences(this, GameDir, GameDir2))
        ApplyCurrentDeviceOptions();
}

void TfrmMain::acChangeGamedirExecute()
{
    TfrmGameDirectories dialog(this, GameDir, GameDir2, true);
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return;
    GameDir = dialog.BaseDirectory();
    GameDir2 = dialog.AdditionalDirectory();
    Renderers.SetGamedir(GameDir, GameDir2);
    // The renderer keeps the sprites it found (or did not find) under the old
    // folders: rebuilding the types loads them again from the new ones.
    if (DocumentReady)
        Renderers.UpdateTypes();
    MarkMissingSprite(InspectorGrid, GameDir, GameDir2);
}

void TfrmMain::acShowGroundExecute(bool checked)
{
    Renderers.SetShowGround(checked);
}

void TfrmMain::acGetRenderInfoExecute()
{
    ShowMessageBox(this, Renderers.InfoText(), QStringLiteral("Renderer Information"), TMsgIcon::Information);
}

void TfrmMain::SelectRendererExecute(int slot)
{
    RendererAction(slot)->setChecked(true);
    const QSize size = ViewportPixelSize();
    Renderers.SetTextScale(Viewport->devicePixelRatioF());
    Renderers.Select(ViewportHandle(), slot, size.width(), size.height());
    ApplyCurrentDeviceOptions();
    if (DocumentReady)
        DrawFirstFrame();
}

void TfrmMain::EditCommand(QAction *action)
{
    // The three text controls share the names of these commands, not a base.
    auto apply = [this, action](auto *text) {
        if (action == acCut)
            text->cut();
        else if (action == acCopy)
            text->copy();
        else if (action == acPaste)
            text->paste();
        else if (action == acSelectAll)
            text->selectAll();
    };
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        apply(line);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        apply(plain);
    else if (auto *rich = qobject_cast<QTextEdit *>(focus))
        apply(rich);
}

namespace {
// The focused text control's own undo or redo; false when no text control
// has the focus. A read-only one (the viewport's key catcher) has nothing to undo.
bool TextControlUndo(bool redo)
{
    QWidget *focus = QApplication::focusWidget();
    auto apply = [redo](auto *text) {
        if (redo)
            text->redo();
        else
            text->undo();
        return true;
    };
    if (auto *line = qobject_cast<QLineEdit *>(focus); line && !line->isReadOnly())
        return apply(line);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus); plain && !plain->isReadOnly())
        return apply(plain);
    if (auto *rich = qobject_cast<QTextEdit *>(focus); rich && !rich->isReadOnly())
        return apply(rich);
    return false;
}
}  // namespace

void TfrmMain::UndoExecute()
{
    if (!TextControlUndo(false))
        StepHistory(false);
}

void TfrmMain::RedoExecute()
{
    if (!TextControlUndo(true))
        StepHistory(true);
}

void TfrmMain::RefreshDocumentState()
{
    if (!DocumentName.isEmpty())
        SetDocumentCaption();
    auto named = [](const QString &command, const std::string &step) {
        return step.empty() ? command : command + QLatin1Char(' ') + QString::fromStdString(step);
    };
    acUndo->setText(named(QStringLiteral("&Undo"), Doc.UndoName()));
    acRedo->setText(named(QStringLiteral("&Redo"), Doc.RedoName()));
    UpdateRecovery();
}
