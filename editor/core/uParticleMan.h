// The manager host: finds every manager plug-in beside the program, binds its
// exports and keeps them in a fixed table for the whole run.
#pragma once

#include <QString>

#include "ManagerApi.h"
#include "uPlatform.h"
#include "uTextRules.h"

class QWidget;

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
};

inline constexpr int kMaxManagers = 32;

extern TParticleManager ManagerTable[kMaxManagers];
extern int ManagerCount;

// The file pattern of manager plug-ins: "emb" + anything + "Man" + module suffix.
QString ManagerFilePrefix();
QString ManagerFileSuffix();

// Fills the table from the plug-in folder; warnings are owned by `owner`.
void LoadManagers(QWidget *owner);
void UnloadManagers();

// Every manager's filter pair, joined by "|": filter entry n is slot n - 1.
QString ManagerFilterText();
// First slot whose manager accepts the extension (with its dot), or -1.
int ManagerForExtension(const QString &extension);
// "title [fileName]", as the New dialog lists a slot.
QString ManagerListLine(int index);
// True for an index of a slot in use.
bool ManagerValid(int index);
