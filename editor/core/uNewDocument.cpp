#include "uNewDocument.h"

std::string NewSpriteArgument(const std::string &defaultSprite)
{
    if (defaultSprite.empty())
        return {};
    const size_t cut = defaultSprite.find_last_of("\\/:");
    const std::string fileName = cut == std::string::npos ? defaultSprite : defaultSprite.substr(cut + 1);
    // A setting that ends in a separator names no file: "sprites/" alone would
    // be handed on as a sprite that can never load.
    if (fileName.empty())
        return {};
    return "sprites/" + fileName;
}

bool CreateNewRecord(const NewDocumentExports &manager, const std::string &defaultSprite,
                     ParticleSystem &document, ParticleSystem &defaults)
{
    if (!manager.Complete())
        return false;
    const std::string sprite = NewSpriteArgument(defaultSprite);
    manager.getDefaults(&defaults);
    manager.newParticles(&document, sprite.c_str());
    return true;
}
