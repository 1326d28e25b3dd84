// The plain steps of creating a new document through a manager plug-in, apart
// from the windows that show it.
#pragma once

#include <string>

#include "ManagerApi.h"
#include "ParticleSystem.h"

// The manager exports a new document needs.
struct NewDocumentExports {
    embGetDefaultsFn getDefaults = nullptr;
    embNewParticlesFn newParticles = nullptr;
    embSaveMemoryFileFn saveMemoryFile = nullptr;

    bool Complete() const { return getDefaults && newParticles && saveMemoryFile; }
};

// The sprite handed to embNewParticles: "sprites/" and the file-name part of
// the default sprite setting (the text after its last "\", "/" or ":"), or an
// empty text when the setting is empty or names no file.
std::string NewSpriteArgument(const std::string &defaultSprite);

// Fills the defaults record and then the document record through the manager.
// False, with both records untouched, when the manager lacks an export.
bool CreateNewRecord(const NewDocumentExports &manager, const std::string &defaultSprite,
                     ParticleSystem &document, ParticleSystem &defaults);
