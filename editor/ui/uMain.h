// The main window: the document, the action table, the left panel with its
// Properties and Script pages, the viewport and the frame timer.
//
// The pieces are kept apart on purpose. uMain.cpp builds the window from its
// action table and runs the start-up sequence and the document workflow;
// uMainScript.cpp holds the inspector and script-pane handlers, the changes,
// undo and redo; uMainTypes.cpp holds New, Edit Types, help and about;
// uMainRecovery.cpp the recovery files and the watch on the document's file.
// The document itself, its history and the plug-in hosts live in the core.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ParticleSystem.h"
#include "uDocument.h"
#include "uMessages.h"
#include "uParticleMan.h"
#include "uRecentFiles.h"
#include "uRecovery.h"
#include "uRender.h"
#include "uTextRules.h"

class QAction;
class QActionGroup;
class QComboBox;
class QFileDialog;
class QFileSystemWatcher;
class QLabel;
class QMimeData;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TKeyEdit;
class TObjectInspector;
class TViewport;
class TfrmNew;

class TPlaybackControls;

// How the window starts. The program loads the renderers first thing, so
// that the stored renderer prepares its device while the window is built;
// tests build the window alone and load plug-ins when they choose.
enum class TStartup { Plain, LoadRenderersEarly };

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr, TStartup startup = TStartup::Plain);
    ~TfrmMain() override;

    // ---- document state ------------------------------------------------
    // The document and its history. The names below are the document's own
    // fields under the names the window's code and its tests use.
    Document Doc;
    ParticleSystem &DocumentRecord = Doc.record;  // the renderer keeps its address
    ParticleSystem &DefaultsRecord = Doc.defaults;
    int &CurrentManager = Doc.manager;
    QString &DocumentPath = Doc.path;
    QString &DocumentName = Doc.name;
    // Which side of the script sync is stale: the pane (the record changed
    // since the pane was written) or the record (text typed, not applied).
    bool RecordModified = false;
    bool ScriptModified = false;
    bool DocumentReady = false;
    // Unsaved work: the history away from its save point, or typed script
    // text not yet applied.
    bool HasUnsavedChanges() const { return Doc.Modified() || ScriptModified; }
    QStringList ScriptBackup;      // the script's bytes, one Latin-1 character each
    std::string ScriptShownBytes;  // what the pane was last filled with, as bytes

    // The plug-in hosts, for the whole run. After the document: the open
    // device keeps the record's address until the host closes it.
    TManagerHost Managers;
    TRendererHost Renderers;
    // Shows a host's report about a plug-in it cannot use.
    THostWarning HostWarning();

    QString GameDir;       // base game directory
    QString GameDir2;      // additional game directory
    QString SpriteFolder;  // initial folder of the sprite browser
    int StoredRenderer = 0;
    // Loaded while the window was built: the start-up sequence then shows
    // the hosts' reports instead of loading again.
    bool RenderersLoadedEarly = false;
    QList<std::pair<QString, QString>> EarlyRendererWarnings;  // text, caption
    QStringList CommandLine;                                   // arguments after the program name

    bool StartupDone = false;  // the start-up sequence has run
    bool Terminated = false;   // ended without closing (Exit, first run declined)
    bool ClosedDown = false;   // the closing steps have run

    // ---- actions -------------------------------------------------------
    QAction *acNew = nullptr;
    QAction *acOpen = nullptr;
    QAction *acSave = nullptr;
    QAction *acSaveAs = nullptr;
    QAction *acReopenClosed = nullptr;
    QAction *acClearMissing = nullptr;
    QAction *acClearRecent = nullptr;
    QAction *acEditTypes = nullptr;
    QAction *acPreferences = nullptr;
    QAction *acChangeGamedir = nullptr;
    QAction *acExit = nullptr;
    QAction *acUndo = nullptr;
    QAction *acRedo = nullptr;
    QAction *acCut = nullptr;
    QAction *acCopy = nullptr;
    QAction *acPaste = nullptr;
    QAction *acSelectAll = nullptr;
    QAction *acSelectRendererOGL = nullptr;
    QAction *acSelectRendererD3D7 = nullptr;
    QAction *acSelectRendererD3D9 = nullptr;
    QAction *acShowGround = nullptr;
    QAction *acGetRenderInfo = nullptr;
    // Playback and camera: enabled while the open device's renderer offers them.
    QAction *acPlayPause = nullptr;
    QAction *acStep = nullptr;
    QAction *acRestart = nullptr;
    QAction *acSpeed010 = nullptr;  // 0.1x
    QAction *acSpeed025 = nullptr;
    QAction *acSpeed050 = nullptr;
    QAction *acSpeed100 = nullptr;  // 1x, the default
    QAction *acSpeed200 = nullptr;
    QAction *acSpeed400 = nullptr;
    QAction *acResetView = nullptr;
    QAction *acFrameEffect = nullptr;
    QAction *acHelpTopics = nullptr;
    QAction *acWebSite = nullptr;
    QAction *acHelpAbout = nullptr;
    QActionGroup *RendererGroup = nullptr;
    QMenu *mnuFile = nullptr;
    QMenu *mnuRecent = nullptr;  // File > Recent Files, filled as it opens
    QMenu *mnuEdit = nullptr;
    QMenu *mnuRender = nullptr;
    QMenu *mnuSpeed = nullptr;
    QMenu *mnuHelp = nullptr;
    QToolBar *ToolBar = nullptr;
    QAction *RendererAction(int slot) const;
    // Enables each command of the action table by its rule.
    void UpdateActionStates();

    // ---- left panel ----------------------------------------------------
    QLabel *SideStrip = nullptr;  // decorative strip, 17 pixels wide
    QTabWidget *Tabs = nullptr;
    QWidget *TabProperties = nullptr;  // page 0, "Properties"
    QWidget *TabScript = nullptr;      // page 1, "Script"
    QToolButton *btnEditTypes = nullptr;
    QComboBox *TypeCombo = nullptr;
    // Holds the inspector grid; empty here, laid out with a QVBoxLayout.
    QWidget *ObjectInspector = nullptr;
    QLabel *lblScriptType = nullptr;     // "Script Type:"
    QLabel *lblScriptManager = nullptr;  // the current manager's title
    QPlainTextEdit *ScriptEditor = nullptr;
    QPushButton *btnUpdate = nullptr;
    QPushButton *btnRevert = nullptr;

    // ---- viewport and timer --------------------------------------------
    QSplitter *Splitter = nullptr;
    TViewport *Viewport = nullptr;
    TKeyEdit *edKeys = nullptr;
    TPlaybackControls *Playback = nullptr;
    QTimer *FrameTimer = nullptr;
    QElapsedTimer EffectLoaded;  // since the latest first frame of a loaded effect
    // Made on first use (CreateFileDialogs): building them takes a good part
    // of the time to the first frame.
    QFileDialog *OpenDialog = nullptr;
    QFileDialog *SaveDialog = nullptr;
    TfrmNew *frmNew = nullptr;  // the New dialog, kept for the whole run

    // ---- start-up, document workflow, closing (uMain.cpp) --------------
    void FormActivate();  // the start-up sequence, once
    bool OpenDocument(const QString &path, int managerNumber);
    // The one way the window changes the record: runs `edit` as the history
    // step `stepName` and brings the script pane along. True when it changed.
    bool ChangeDocument(const QString &stepName, const std::function<void(ParticleSystem &)> &edit);
    // Undo or redo one step of the history and show the restored record.
    void UndoExecute();
    void RedoExecute();
    bool StepHistory(bool forward);
    // Typed script text not yet applied becomes a step of its own. False
    // when the manager rejects it: the text then stays in the pane, unapplied.
    bool CommitPaneEdits();
    bool PaneEditable() const;  // false for a manager that gives no text
    // After a change from outside the pane: rewrite the pane, or mark it stale.
    void ShowChangedRecordInPane();
    static constexpr int kStatusNoteTime = 5000;  // ms a status bar note stays
    bool SaveDocument(const QString &path, int managerNumber);
    void AdoptDocumentFile(int managerIndex, const QString &path, bool refreshViews);
    void SetEditControlsEnabled(bool enabled);
    bool EditControlsEnabled = false;  // a document is open for editing
    TMsgResult AskSaveChanges();
    // The save question when the document has unsaved edits; Yes saves. False
    // when the user cancels or the save does not happen (failed, Save As
    // cancelled), and the document must then stay.
    bool MayLeaveDocument();
    bool CloseQuery();
    void FormClose();
    void Terminate();
    // Sets the pane to a script's bytes (one Latin-1 character each, as
    // ScriptBackup holds them), clears ScriptModified.
    void SetScriptText(const QString &text);
    // "Sparkwright [name]", with " *" while there is unsaved work.
    void SetDocumentCaption();
    // The caption and the Undo and Redo commands after any change of state.
    void RefreshDocumentState();
    uintptr_t ViewportHandle();
    QSize ViewportPixelSize() const;
    void StartupRendererChoice();
    void LoadRenderersEarly();
    void CreateFileDialogs();  // once, with the managers' filters
    bool CheckManagersLoaded();

    void acOpenExecute();
    bool acSaveExecute();  // false when nothing was saved
    bool acSaveAsExecute();
    void acExitExecute();
    void acPreferencesExecute();
    void acChangeGamedirExecute();
    void acShowGroundExecute(bool checked);
    void acGetRenderInfoExecute();
    void SelectRendererExecute(int slot);
    void EditCommand(QAction *action);

    // ---- inspector and script pane (uMainScript.cpp) -------------------
    TObjectInspector *InspectorGrid = nullptr;  // the key/value grid inside ObjectInspector
    void CreateInspectorWidgets();              // at construction, after the left panel
    void ObjectInspectorValidate(int column, int row, const QString &key, const QString &value);
    void ObjectInspectorEditButtonClick(int row);
    void RefreshAfterLoad();
    void FillInspector(int page);
    void RegenerateScript();
    bool ApplyScript(const QString &stepName = QStringLiteral("Update"));
    void TabChanged(int index);
    void TypeComboChange(int index);
    void ScriptEditorChange();
    void btnUpdateClick();
    void btnRevertClick();
    // Before a file is opened: the manager's findings summed up for the status
    // bar (empty for none), or nothing when the file holds no key and the user
    // chose not to open it.
    std::optional<QString> ExamineScriptFile(const QString &path, int managerIndex);
    // Marks the inspector rows whose keys have findings in the script.
    void MarkInspectorRows();

    // ---- new documents, types, help, about (uMainTypes.cpp) ------------
    void CreateNewDialog();  // at construction
    void FillNewList();      // start-up, after the managers are loaded
    void acNewExecute();
    bool NewDocument(int managerIndex);  // 0-based; false when nothing was created
    // "<GLOBAL>" and the used type names, entry 0 selected; with warnMainType
    // the "Main type not defined!" warning when no name matches maintype.
    void RefillTypeCombo(bool warnMainType);
    void acEditTypesExecute();
    void acHelpTopicsExecute();
    void acWebSiteExecute();
    void acHelpAboutExecute();

    // Shows a record the history or the disk put in place: renderer, type
    // list (keeping the page), inspector and script pane.
    void ShowRestoredRecord(bool typesChanged);

    // ---- Recent Files and dropped files (uMainFiles.cpp) ----------------
    RecentFiles Recent;
    int RecentMissing = 0;  // listed files found gone when the menu was last filled
    void LoadRecentFiles();
    void StoreRecentFiles();
    void FillRecentMenu();
    // Before the document is replaced by another (New, Open, a recent or
    // dropped file): remembered for Reopen Closed File.
    void NoteDocumentReplaced();
    // Opens a file by its name, through the manager of its extension, after
    // the save question. False when nothing was opened (each case says why).
    bool OpenNamedFile(const QString &path);
    void OpenRecentFile(const QString &path);
    void acReopenClosedExecute();
    void acClearMissingExecute();
    void acClearRecentExecute();
    bool AcceptsDrag(const QMimeData *mime) const;
    // Files dropped on the window, or on the preview: a script opens, a
    // sprite becomes the selected type's. True when something changed.
    bool DropFiles(const QStringList &files, bool onViewport);
    void ConnectViewportDrops();
    // The renderer draws the document at once, not one timer tick later.
    void DrawFirstFrame();

    // ---- recovery files and outside changes (uMainRecovery.cpp) --------
    std::unique_ptr<RecoveryStore> Recovery;
    QTimer *RecoveryTimer = nullptr;
    int RecoveryInterval = 30000;  // ms: unsaved work is written at most this often
    // Starts the timer while there is unsaved work; removes the file once there is none.
    void UpdateRecovery();
    bool WriteRecovery();
    // At start-up: offers the work of sessions that ended unsaved. True when
    // a document was restored.
    bool OfferRecovery();
    bool RestoreRecovery(const RecoveryEntry &entry);

    QFileSystemWatcher *FileWatcher = nullptr;
    QTimer *FileChangeTimer = nullptr;  // lets a writer finish before the file is read
    QByteArray DiskContents;            // digest of the file as last opened, saved or reloaded
    QByteArray DeclinedContents;        // a change the user chose not to reload
    void WatchDocumentFile();
    void DocumentFileChanged();
    // Reads the file again as one step ("Reload"); false when it cannot be read.
    bool ReloadDocument();
    // Before a save over the document's own file: asks when another program
    // changed it since it was opened or saved. False when the user says no.
    bool MayOverwriteChangedFile(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateLeftPanel();
    void CreatePlaybackControls();  // after the menus, the toolbar and the status bar
    void PlaceKeyEdit();
    void ApplyCurrentDeviceOptions();
    bool StartupQueued = false;
};
