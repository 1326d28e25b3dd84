#include "uFileDrop.h"

#include "AsciiCase.h"
#include "uSpriteChoice.h"

bool IsSpriteFileName(const std::string &file)
{
    return file.size() >= 4 && EqualIgnoringAsciiCase(std::string_view(file).substr(file.size() - 4), ".spr");
}

DropPlan PlanDrop(const std::vector<std::string> &files, const DropContext &context)
{
    DropPlan plan;
    if (files.empty())
        return plan;
    // A script anywhere in the drop wins: opening is what a drop usually means.
    for (const std::string &file : files) {
        if (context.isScript && context.isScript(file)) {
            plan.action = DropAction::OpenScript;
            plan.file = file;
            return plan;
        }
    }
    for (const std::string &file : files) {
        if (!IsSpriteFileName(file))
            continue;
        plan.file = file;
        if (!context.onViewport) {
            plan.message = "Drop a sprite on the preview to give it to the selected particle type.";
        } else if (!context.documentOpen) {
            plan.message = "Open or create particles before dropping a sprite.";
        } else if (!context.typeSelected) {
            plan.message = "Select a particle type in the type list before dropping a sprite.";
        } else if (const auto path = SpriteRowPathInGame(file, context.baseDir, context.additionalDir)) {
            plan.action = DropAction::SetSprite;
            plan.spritePath = *path;
        } else {
            plan.message = "\"" + file +
                           "\" is not inside a game directory, so the game could not find it.\r\n"
                           "Copy it into the base or additional game directory first.";
        }
        return plan;
    }
    plan.file = files.front();
    plan.message = "Unsupported file format: \"" + files.front() + "\"";
    return plan;
}
