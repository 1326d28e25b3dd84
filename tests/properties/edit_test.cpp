#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "property_test_support.h"
#include "uPropertyEdit.h"
#include "uPropertyNumbers.h"

namespace {

using Calls = std::vector<std::string>;

class InspectorEdit : public ::testing::Test {
protected:
    ParticleSystem rec = MakeRecord({"emitter", "smoke", "spark"});
    UserParmNames names{"<Undefined>", "<Undefined>", "<Undefined>", "<Undefined>",
                        "<Undefined>", "<Undefined>", "<Undefined>", "<Undefined>"};
    RecordingRenderer renderer;
    bool recordModified = false;
    bool documentReady = true;
    std::map<std::string, std::string> grid;  // other rows' current texts
    std::string sep = ".";

    EditResult Edit(int page, const std::string &key, const std::string &value)
    {
        InspectorEditContext ctx{rec, names, sep, renderer, recordModified, documentReady};
        return ValidateInspectorEdit(ctx, page, key, value, [this](std::string_view k) {
            auto it = grid.find(std::string(k));
            return it == grid.end() ? std::string() : it->second;
        });
    }
    ParticleType &Type(int page) { return rec.types[page - 1]; }
};

bool SameBytes(const ParticleSystem &a, const ParticleSystem &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST_F(InspectorEdit, NothingHappensWithoutADocument)
{
    documentReady = false;
    const ParticleSystem before = rec;
    EXPECT_EQ(Edit(2, "Gravity", "5").outcome, EditOutcome::Ignored);
    EXPECT_EQ(Edit(0, "Number of Particles", "5").outcome, EditOutcome::Ignored);
    EXPECT_FALSE(recordModified);
    EXPECT_TRUE(SameBytes(before, rec));
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(InspectorEdit, NumberOfParticlesNeedsANewPositiveCount)
{
    for (const char *bad : {"0", "-3", "lots", "", "100"}) {
        EXPECT_EQ(Edit(0, "Number of Particles", bad).outcome, EditOutcome::Applied);
        EXPECT_EQ(rec.particles, 100) << bad;
    }
    EXPECT_TRUE(recordModified);  // set even when nothing changed
    EXPECT_TRUE(renderer.calls.empty());
    Edit(0, "Number of Particles", "250");
    EXPECT_EQ(rec.particles, 250);
    EXPECT_EQ(renderer.calls, Calls{"ReallocParticles"});
}

TEST_F(InspectorEdit, GlobalMainTypeAndAttachment)
{
    Edit(0, "Main Type", "emitter");
    EXPECT_TRUE(renderer.calls.empty());
    Edit(0, "Main Type", "Smoke");  // letter case counts as a change
    EXPECT_STREQ(rec.maintype, "Smoke");
    EXPECT_EQ(renderer.calls, Calls{"RelinkTypes"});
    Edit(0, "Attachment", "12");
    EXPECT_EQ(rec.attachment.value, 12);
    EXPECT_EQ(rec.attachment.present, 1);
    Edit(0, "Attachment", "");
    EXPECT_EQ(rec.attachment.present, 0);
    EXPECT_EQ(rec.attachment.supported, 1);
    const ParticleSystem before = rec;
    EXPECT_EQ(Edit(0, "Bogus", "1").outcome, EditOutcome::Applied);  // silently ignored
    EXPECT_TRUE(SameBytes(before, rec));
}

TEST_F(InspectorEdit, RenamingATypeCarriesItsReferencesAlong)
{
    Type(2).overlaytype.present = 1;
    SetText(Type(2).overlaytype.text, "spark");
    EditResult r = Edit(3, "Name", "ember");
    EXPECT_EQ(r.typeEntryText, std::optional<std::string>("ember"));
    EXPECT_STREQ(Type(3).name, "ember");
    EXPECT_STREQ(Type(2).overlaytype.text, "ember");
    EXPECT_EQ(renderer.calls, Calls{"RelinkTypes"});

    r = Edit(3, "Name", "ember");  // unchanged: no entry text, no call
    EXPECT_FALSE(r.typeEntryText);
    EXPECT_EQ(renderer.calls.size(), 1u);

    Edit(3, "Name", "smoke");  // a duplicate name is accepted
    EXPECT_STREQ(Type(3).name, "smoke");

    // The main type stays the main type under its new name.
    Edit(1, "Name", "source");
    EXPECT_STREQ(rec.maintype, "source");
    EXPECT_TRUE(IsMainType(rec, Type(1)));
}

TEST_F(InspectorEdit, TextsThatCannotBeStoredAreRefused)
{
    const ParticleSystem before = rec;
    const std::string longest(255, 'x');
    // Bytes count, not characters: 100 three-byte characters are 300 bytes.
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "\xE9\xA1\x86";
    for (const char *key : {"Name", "Sprite Name", "Render Mode", "Draw Condition", "Spray Type"}) {
        for (const std::string &value : {longest + "x", wide, std::string("fire\"s"), std::string("\"")}) {
            const EditResult r = Edit(1, key, value);
            EXPECT_EQ(r.outcome, EditOutcome::Refused) << key << " " << value;
            EXPECT_NE(r.message.find(std::string("\"") + key + "\""), std::string::npos) << r.message;
        }
    }
    EXPECT_EQ(Edit(0, "Main Type", longest + "x").outcome, EditOutcome::Refused);
    EXPECT_TRUE(SameBytes(before, rec));
    EXPECT_TRUE(renderer.calls.empty());
    EXPECT_NE(Edit(1, "Name", longest + "x").message.find("256 bytes"), std::string::npos);

    EXPECT_EQ(Edit(1, "Sprite Name", longest).outcome, EditOutcome::Applied);
    EXPECT_EQ(RecordText(Type(1).sprite.text), longest);
    EXPECT_EQ(Edit(1, "Name", "\xE9\xA1\x86\xE7\xB2\x92").outcome, EditOutcome::Applied);
    EXPECT_STREQ(Type(1).name, "\xE9\xA1\x86\xE7\xB2\x92");
    // Number rows take long texts as numbers, as before.
    EXPECT_EQ(Edit(1, "Gravity", std::string(300, ' ') + "2").outcome, EditOutcome::Applied);
    EXPECT_EQ(Type(1).gravity.min, 2.0);
}

TEST_F(InspectorEdit, TypeReferencesRelinkOnlyWhenChanged)
{
    Edit(1, "Spray Type", "smoke");
    EXPECT_STREQ(Type(1).spraytype.text, "smoke");
    EXPECT_EQ(Type(1).spraytype.present, 1);
    Edit(1, "Spray Type", "smoke");
    EXPECT_EQ(renderer.calls, Calls{"RelinkTypes"});
    Edit(1, "Spray Type", "");
    EXPECT_EQ(Type(1).spraytype.present, 0);
    EXPECT_STREQ(Type(1).spraytype.text, "");
    Edit(2, "Overlay Type", "spark");
    EXPECT_EQ(renderer.calls, (Calls{"RelinkTypes", "RelinkTypes", "RelinkTypes"}));
}

TEST_F(InspectorEdit, CachedValuesAreAnnounced)
{
    Edit(2, "Sprite Name", "");
    Edit(2, "Sprite Name", "");  // unchanged, still announced
    EXPECT_EQ(Type(2).sprite.present, 0);
    Edit(2, "Render Mode", "kRenderTransColor");
    EXPECT_STREQ(Type(2).rendermode.text, "kRenderTransColor");
    Edit(2, "Draw Condition", "CONTENT_WATER");
    Edit(2, "Kill Condition", "CONTENT_SOLID");
    EXPECT_STREQ(Type(2).killcondition.text, "CONTENT_SOLID");
    EXPECT_EQ(renderer.calls, (Calls{"UpdateTextures", "UpdateTextures", "UpdateRendermode"}));
}

TEST_F(InspectorEdit, RangesAndVectorsNeedNoRendererCall)
{
    Edit(2, "Gravity", "-");
    EXPECT_EQ(Show(Type(2).gravity), Show(0, 0, 0));
    Edit(2, "Gravity", "-5");
    EXPECT_EQ(Show(Type(2).gravity), Show(1, -5, -5));
    Edit(2, "Life Time", "2..3..4");
    EXPECT_EQ(Show(Type(2).lifetime), Show(1, 2, 3));
    sep = ",";
    Edit(2, "Bounce Friction", "0,5..1,5");
    EXPECT_EQ(Show(Type(2).bouncefriction), Show(1, 0.5, 1.5));
    Edit(2, "Offset", "1 a 3");
    EXPECT_EQ(Show(Type(2).offset), Show(1, 0, 0, 0));
    Edit(2, "End Blue", "0,25");
    EXPECT_EQ(Show(Type(2).endblue), Show(1, 0.25, 0.25));
    Edit(1, "Spray Rate", "30");
    EXPECT_EQ(Show(Type(1).sprayrate), Show(1, 30, 30));
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(InspectorEdit, ColourRowsReadBothRowsOfThePair)
{
    grid["Start Color 2"] = "";
    Edit(2, "Start Color 1", "1 0 0");
    EXPECT_EQ(Show(Type(2).startred) + Show(Type(2).startgreen) + Show(Type(2).startblue),
              Show(1, 1, 1) + Show(1, 0, 0) + Show(1, 0, 0));

    grid["End Color 1"] = "0.2 0.2 0.2";
    Edit(2, "End Color 2", "0.8 0.8 0.8");
    EXPECT_EQ(Show(Type(2).endred), Show(1, 0.2, 0.8));

    grid["End Color 1"] = "";
    Edit(2, "End Color 2", "");
    EXPECT_EQ(Show(Type(2).endgreen), Show(0, 1, 1));
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(InspectorEdit, BadColourPieceIsReportedAndChangesNothing)
{
    const ParticleSystem before = rec;
    grid["Start Color 1"] = "0.5 0.5 0.5";
    EditResult r = Edit(2, "Start Color 2", "1 1 blue");
    EXPECT_EQ(r.outcome, EditOutcome::Refused);
    EXPECT_EQ(r.message, "'blue' is not a valid floating point value");
    EXPECT_TRUE(SameBytes(before, rec));
    EXPECT_TRUE(recordModified);
}

TEST_F(InspectorEdit, UserSlotsComeAfterTheFixedLabels)
{
    names = {"Gravity", "Glow", "Spin", "Wobble", "Tag", "Note", "Aim", "Push"};
    Type(2).userValue1.supported = 1;
    Edit(2, "Gravity", "3");
    EXPECT_EQ(Type(2).gravity.min, 3.0);
    EXPECT_EQ(Type(2).userValue1.present, 0);
    Edit(2, "Glow", "2.5");
    EXPECT_EQ(Type(2).userValue2.value, 2.5);
    EXPECT_EQ(Type(2).userValue1.value, 0.0);
    Edit(2, "Wobble", "1..2");
    EXPECT_EQ(Type(2).userRange2.max, 2.0);
    Edit(2, "Note", "hi");
    EXPECT_STREQ(Type(2).userText2.text, "hi");
    Edit(2, "Push", "1 2 3");
    EXPECT_EQ(Type(2).userVector2.y, 2.0);
    EXPECT_EQ(Type(2).userVector2.supported, 1);
}

TEST_F(InspectorEdit, UnknownKeyWarnsAndWritesNothing)
{
    const ParticleSystem before = rec;
    EditResult r = Edit(2, "Colour", "1");
    EXPECT_EQ(r.outcome, EditOutcome::UnknownKey);
    EXPECT_EQ(r.message, "Unknown key: \"Colour\"");
    EXPECT_EQ(Edit(2, "", "1").outcome, EditOutcome::Applied);         // no key, no warning
    EXPECT_EQ(Edit(9, "Gravity", "1").outcome, EditOutcome::Applied);  // no such page
    EXPECT_TRUE(SameBytes(before, rec));
}

TEST(InspectorPickers, SpritePathKeepsOnlyTheFileName)
{
    EXPECT_EQ(SpritePathForFile("/home/me/game/other/fire.spr"), "sprites/fire.spr");
    EXPECT_EQ(SpritePathForFile("C:\\q\\smoke.spr"), "sprites/smoke.spr");
    EXPECT_EQ(SpritePathForFile("/x/" + std::string(247, 'a'))->size(), 255u);
    EXPECT_FALSE(SpritePathForFile("/x/" + std::string(248, 'a')));

    ParticleSystem rec = MakeRecord({"a"});
    RecordingRenderer renderer;
    rec.types[0].sprite.supported = 0;
    EXPECT_TRUE(ApplySpriteChoice(rec, 1, "sprites/fire.spr", renderer));
    EXPECT_STREQ(rec.types[0].sprite.text, "sprites/fire.spr");
    EXPECT_EQ(rec.types[0].sprite.supported, 1);
    EXPECT_EQ(rec.types[0].sprite.present, 1);
    EXPECT_EQ(renderer.calls, Calls{"UpdateTextures"});
    EXPECT_FALSE(ApplySpriteChoice(rec, 1, std::string(256, 'b'), renderer));
    EXPECT_FALSE(ApplySpriteChoice(rec, 0, "sprites/x.spr", renderer));
    EXPECT_STREQ(rec.types[0].sprite.text, "sprites/fire.spr");
    EXPECT_EQ(renderer.calls.size(), 1u);
}

TEST(InspectorPickers, ColourPickerPresetsAndWritesBack)
{
    EXPECT_EQ(ChannelByte(0.5), 128);
    EXPECT_EQ(ChannelByte(1.0), 255);
    EXPECT_EQ(ChannelByte(2.0), 254);  // low 8 bits of 510
    EXPECT_EQ(ChannelByte(-1.0), 1);   // low 8 bits of -255
    EXPECT_EQ(ChannelByte(1e300), 0);
    EXPECT_EQ(ChannelByte(std::nan("")), 0);

    ParticleSystem rec = MakeRecord({"a", "b"});
    rec.types[1].startred = Range(0.2, 1.0);
    rec.types[1].startgreen = Range(0.4, 0.0);
    rec.types[1].startblue = Range(0.0, 0.5);
    auto first = ColourPickerPreset(rec, 2, "Start Color 1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->red, 51);
    EXPECT_EQ(first->green, 102);
    EXPECT_EQ(first->blue, 0);
    auto second = ColourPickerPreset(rec, 2, "Start Color 2");
    EXPECT_EQ(second->red, 255);
    EXPECT_EQ(second->blue, 128);
    EXPECT_FALSE(ColourPickerPreset(rec, 0, "Start Color 1"));
    EXPECT_FALSE(ColourPickerPreset(rec, 2, "Gravity"));

    const std::string picked = PickedColourText({255, 128, 0}, ",");
    EXPECT_EQ(picked, "1,000 0,502 0,000");
    // The picked second row becomes the maximums; the first row keeps the minimums.
    EXPECT_FALSE(ApplyColourRows(rec, 2, true, "0,200 0,400 0,000", picked, ","));
    EXPECT_EQ(rec.types[1].startred.min, 0.2);
    EXPECT_EQ(rec.types[1].startred.max, 1.0);
    EXPECT_EQ(rec.types[1].startgreen.max, 0.502);
}
