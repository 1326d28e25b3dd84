// Sprites looked up in the game file system and turned into textures. Plain
// C++: the textures and the messages go through the sink and the message
// callback it is given.
#pragma once

#include "MessageSink.h"
#include "gamefs/GameFileSystem.h"
#include "gamefs/SpriteModel.h"

class SpriteLoader {
public:
    SpriteLoader(TextureSink &sink, MessageSink report) : sink_(sink), report_(std::move(report)) {}

    GameFileSystem &FileSystem() { return fs_; }
    const GameFileSystem &FileSystem() const { return fs_; }

    void SetGamedir(const char *baseDir, const char *additionalDir);

    // Lookup, parse and textures; null with a reported message on failure.
    SpriteModel *LoadSprite(const char *name);
    // Deletes the textures and the model; sprite becomes null. Null is fine.
    void ReleaseSprite(SpriteModel *&sprite);

private:
    GameFileSystem fs_;
    TextureSink &sink_;
    MessageSink report_;
};
