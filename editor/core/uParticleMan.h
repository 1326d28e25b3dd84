// The manager host: finds every manager plug-in in a folder, binds its exports
// and keeps them in a fixed table for as long as the host lives. The program's
// main window owns one; tests make their own.
#pragma once

#include <QString>
#include <functional>

#include "ManagerApi.h"
#include "uPlatform.h"
#include "uTextRules.h"

struct TParticleManager {
    TLibraryHandle module = nullptr;  // null in a slot not in use
    QString fileName;                 // as the directory listing gave it
    QString title;
    uint8_t isText = 0;
    char userParmNames[kUserSlotCount][kManagerNameBufferSize] = {};
    embGetSupportedExtensionsFn GetSupportedExtensions = nullptr;
    embIsExtensionSupportedFn IsExtensionSupported = nullptr;
    embLoadFileFn LoadFile = nullptr;
    embSaveFileFn SaveFile = nullptr;
    embGetManagerTitleFn GetManagerTitle = nullptr;
    embLoadMemoryFileFn LoadMemoryFile = nullptr;
    embSaveMemoryFileFn SaveMemoryFile = nullptr;
    embGetDefaultsFn GetDefaults = nullptr;
    embNewParticlesFn NewParticles = nullptr;
    embIsTextFn IsText = nullptr;
    embGetUserParmNameFn GetUserParmName = nullptr;
    // Optional exports, null when the manager lacks them.
    embCheckMemoryFileFn CheckMemoryFile = nullptr;
    embGetScriptKeysFn GetScriptKeys = nullptr;
};

inline constexpr int kMaxManagers = 32;

// How a host reports a plug-in it cannot use: the text, and the caption of
// the box that shows it (empty for the program's title).
using THostWarning = std::function<void(const QString &text, const QString &caption)>;

// The file pattern of manager plug-ins: "emb" + anything + "Man" + module suffix.
QString ManagerFilePrefix();
QString ManagerFileSuffix();

class TManagerHost {
public:
    TManagerHost() = default;
    ~TManagerHost();
    TManagerHost(const TManagerHost &) = delete;
    TManagerHost &operator=(const TManagerHost &) = delete;

    // Fills the table from the folder's plug-ins in name order; a library
    // that cannot be used is reported and takes no slot.
    void Load(const QString &directory, const THostWarning &warn = {});
    // Frees the libraries; the slots' texts stay readable.
    void Unload();
    // Takes a manager bound elsewhere (a test's stand-in) into the next free
    // slot; its library is never freed by the host. The slot, or -1 when full.
    int Add(const TParticleManager &manager);

    int Count() const { return count_; }
    const TParticleManager &operator[](int index) const { return table_[index]; }
    // True for an index of a slot in use.
    bool Valid(int index) const;
    // Every manager's filter pair, joined by "|": filter entry n is slot n - 1.
    QString FilterText() const;
    // First slot whose manager accepts the extension (with its dot), or -1.
    int ForExtension(const QString &extension) const;
    // "title [fileName]", as the New dialog lists a slot.
    QString ListLine(int index) const;

private:
    TParticleManager table_[kMaxManagers];
    bool loaded_[kMaxManagers] = {};  // the host opened the slot's library
    int count_ = 0;
};
