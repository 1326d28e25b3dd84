// Keeps the two views of the document in step: the record (inspector and
// renderer) and the script text of the Script tab. Conversion runs only when
// the user moves between the tabs, presses Update, or saves.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ManagerApi.h"
#include "ParticleSystem.h"
#include "uPropertyEdit.h"

enum class MessageIcon { Information, Warning, Critical };

// What the sync needs of the manager that owns the document.
struct ScriptManager {
    embSaveMemoryFileFn saveMemoryFile = nullptr;
    embLoadMemoryFileFn loadMemoryFile = nullptr;
    embGetDefaultsFn getDefaults = nullptr;
    std::string fileName;
    std::string title;
};

// The widgets the sync drives.
class ScriptPaneView {
public:
    virtual ~ScriptPaneView() = default;
    // Lines joined by '\n'.
    virtual std::string PaneText() const = 0;
    // Fires the pane's change handler like typing does.
    virtual void SetPaneText(const std::string &text) = 0;
    // "<GLOBAL>" and the names, entry 0 selected.
    virtual void FillTypeList(const std::vector<std::string> &names) = 0;
    virtual void FillInspector(int page) = 0;
    virtual void SetManagerTitle(const std::string &title) = 0;
    virtual void ShowMessage(const std::string &caption, const std::string &text, MessageIcon icon) = 0;
    // The text that Revert restores, lines joined by CR LF.
    virtual std::string ScriptBackupText() const = 0;
    virtual void SetScriptBackup(const std::string &text) = 0;
};

// The document flags, owned by the main window.
struct DocumentSyncState {
    bool &recordModified;
    bool &scriptModified;
    bool &documentReady;
};

inline constexpr int kPropertiesTab = 0;
inline constexpr int kScriptTab = 1;
// Far beyond any record's text; only a runaway header could reach it.
inline constexpr std::size_t kMaxScriptTextSize = 64u << 20;

// Runs the manager's memory writer, growing the buffer until the text ends
// inside it, so a long document is never cut. Nothing on failure.
std::optional<std::string> GenerateScriptText(embSaveMemoryFileFn saveMemoryFile, const char *header,
                                              const ParticleSystem &record,
                                              std::size_t initialSize = kScriptMemoryBufferSize);

// A word or quoted text of a script that a record cannot hold (more than 255
// bytes): the reader would cut it. Found the way the reader splits a script:
// blanks and control bytes part words, "//" and two backslashes start a
// comment line, quotes enclose a text.
struct OverlongText {
    int line = 0;  // 1-based
    std::size_t bytes = 0;
};
std::optional<OverlongText> FindOverlongText(std::string_view script);
std::string OverlongTextMessage(const OverlongText &found);

// Pane text (any line ends) as lines joined by CR LF, and back to '\n' ends.
std::string JoinLinesCrLf(const std::string &text);
std::string ToPaneText(const std::string &text);

class ScriptSync {
public:
    ScriptSync(DocumentSyncState state, ParticleSystem &record, ParticleSystem &defaults,
               ScriptPaneView &view, RendererCalls &renderer);

    // The manager that owns the document; may be null while none is loaded.
    void SetManager(const ScriptManager *manager) { manager_ = manager; }
    void SetHeaderSource(std::function<std::string()> header) { header_ = std::move(header); }

    void ScriptEditorChange();
    void TabChanged(int newIndex);
    bool RegenerateScript();
    bool ApplyScript();
    void Revert();
    void RefreshAfterLoad();
    // Sets the pane from the program's side: the text is no user change.
    void ShowScriptText(const std::string &text);

private:
    DocumentSyncState state_;
    ParticleSystem &record_;
    ParticleSystem &defaults_;
    ScriptPaneView &view_;
    RendererCalls &renderer_;
    const ScriptManager *manager_ = nullptr;
    std::function<std::string()> header_;
};

// Message texts of the sync's failures.
std::string SaveToMemoryFailedMessage(const std::string &managerFileName);
std::string LoadFromMemoryFailedMessage(const std::string &managerFileName);
inline constexpr const char *kMainTypeNotDefined = "Main type not defined!";
