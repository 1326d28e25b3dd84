// What a file dropped on the main window does: a script opens (through the
// same steps as Open), a sprite dropped on the preview becomes the sprite of
// the selected particle type when it lies inside a game directory. Everything
// else is refused with a message. No widgets.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class DropAction { Refuse, OpenScript, SetSprite };

struct DropPlan {
    DropAction action = DropAction::Refuse;
    std::string file;        // the file to open, or the sprite file
    std::string spritePath;  // SetSprite: the text the sprite row receives
    std::string message;     // Refuse: why (empty: nothing to say, e.g. no files)
};

struct DropContext {
    bool onViewport = false;    // dropped on the preview
    bool typeSelected = false;  // a particle type (not <GLOBAL>) is selected
    bool documentOpen = false;
    std::string baseDir, additionalDir;
    // Whether a loaded manager reads files of this name's extension.
    std::function<bool(const std::string &file)> isScript;
};

// Only local files count; of several, the first usable one is taken.
DropPlan PlanDrop(const std::vector<std::string> &files, const DropContext &context);

// Whether a name ends in ".spr", ignoring case.
bool IsSpriteFileName(const std::string &file);
