// Sprites looked up in the game file system and turned into textures, and
// the sprite rules of the renderer's type links. Plain C++: the textures and
// the messages go through the sink and the message callback it is given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gamefs/GameFileSystem.h"
#include "gamefs/SpriteModel.h"

constexpr int32_t kColourRenderList = 503;  // colour mode: drawn untextured
constexpr size_t kSpriteNameSize = 256;

class SpriteLoader {
public:
    SpriteLoader(TextureSink &sink, MessageSink report)
        : sink_(sink), report_(std::move(report))
    {
    }

    GameFileSystem &FileSystem() { return fs_; }
    const GameFileSystem &FileSystem() const { return fs_; }

    void SetGamedir(const char *baseDir, const char *additionalDir);

    // Lookup, parse and textures; null with a reported message on failure.
    SpriteModel *LoadSprite(const char *name);
    void ReleaseSprite(SpriteModel *&sprite);

    // The type-link rules of uSprites.h (LoadTypeSprite, UpdateTypeSprite).
    void LoadTypeSprite(const char *spriteText, char *spriteName, SpriteModel *&sprite,
                        int32_t &drawable);
    void UpdateTypeSprite(const char *spriteText, int32_t renderList, char *spriteName,
                          SpriteModel *&sprite, int32_t &drawable);

    // Appends "<path>\n" per archive to the text in buffer, within bufferSize.
    void AppendLoadedPackages(char *buffer, size_t bufferSize) const;

private:
    GameFileSystem fs_;
    TextureSink &sink_;
    MessageSink report_;
};

// ASCII letter case ignored, as the type names and sprite names compare.
bool EqualIgnoringAsciiCase(const char *a, const char *b);
