// New documents: the sprite argument and the record made through the manager.
#include <gtest/gtest.h>

#include <cstring>

#include "types_fixtures.h"
#include "uNewDocument.h"

namespace {

TEST(NewSpriteArgument, FileNamePartAfterAnySeparator)
{
    EXPECT_EQ(NewSpriteArgument(""), "");
    EXPECT_EQ(NewSpriteArgument("C:\\Games\\tarn\\sprites\\spark.spr"), "sprites/spark.spr");
    EXPECT_EQ(NewSpriteArgument("/home/ann/art/flare.SPR"), "sprites/flare.SPR");
    EXPECT_EQ(NewSpriteArgument("D:glow.spr"), "sprites/glow.spr");
    EXPECT_EQ(NewSpriteArgument("bare.spr"), "sprites/bare.spr");
    EXPECT_EQ(NewSpriteArgument("mixed/dir\\inner/last.spr"), "sprites/last.spr");
    // A folder without a file gives no sprite rather than "sprites/".
    EXPECT_EQ(NewSpriteArgument("/home/ann/art/"), "");
}

// Fake manager exports that record how they were called.
struct Calls {
    const ParticleSystem *defaultsTarget = nullptr;
    const ParticleSystem *newTarget = nullptr;
    std::string sprite;
    std::string header;
} calls;

int32_t FakeDefaults(ParticleSystem *rec)
{
    calls.defaultsTarget = rec;
    *rec = MakeDefaults();
    return 1;
}

int32_t FakeNew(ParticleSystem *rec, const char *sprite)
{
    calls.newTarget = rec;
    calls.sprite = sprite ? sprite : "<null>";
    *rec = MakeDocument({"emitter", "particle"}, "emitter");
    return 1;
}

int32_t FakeSave(char *buffer, int32_t size, const char *header, const ParticleSystem *rec)
{
    calls.header = header ? header : "<null>";
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::snprintf(buffer, static_cast<size_t>(size), "// %s\nmaintype %s\n", header, rec->maintype);
    return 1;
}

TEST(CreateNewRecord, FillsDefaultsThenTheDocumentWithTheSpriteArgument)
{
    calls = {};
    ParticleSystem document{}, defaults{};
    const NewDocumentExports manager{FakeDefaults, FakeNew, FakeSave};
    ASSERT_TRUE(CreateNewRecord(manager, "C:\\q\\sprites\\puff.spr", document, defaults));
    EXPECT_EQ(calls.defaultsTarget, &defaults);
    EXPECT_EQ(calls.newTarget, &document);
    EXPECT_EQ(calls.sprite, "sprites/puff.spr");
    EXPECT_STREQ(document.maintype, "emitter");
    EXPECT_EQ(defaults.particles, 100);

    calls = {};
    ASSERT_TRUE(CreateNewRecord(manager, "", document, defaults));
    EXPECT_EQ(calls.sprite, "");  // an empty text, never a null pointer
}

TEST(CreateNewRecord, IncompleteManagerChangesNothing)
{
    ParticleSystem document = MakeDocument({"keep"}, "keep");
    ParticleSystem defaults = MakeDefaults();
    const ParticleSystem documentBefore = document, defaultsBefore = defaults;
    EXPECT_FALSE(CreateNewRecord(NewDocumentExports{}, "", document, defaults));
    EXPECT_FALSE(
        CreateNewRecord(NewDocumentExports{FakeDefaults, nullptr, FakeSave}, "", document, defaults));
    EXPECT_EQ(std::memcmp(&document, &documentBefore, sizeof document), 0);
    EXPECT_EQ(std::memcmp(&defaults, &defaultsBefore, sizeof defaults), 0);
}

}  // namespace
