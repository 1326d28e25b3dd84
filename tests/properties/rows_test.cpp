#include <gtest/gtest.h>

#include "property_test_support.h"
#include "uPropertyNumbers.h"
#include "uPropertyRows.h"

namespace {

const UserParmNames kUndefinedNames{"<Undefined>", "<Undefined>", "<Undefined>", "<Undefined>",
                                    "<Undefined>", "<Undefined>", "<Undefined>", "<Undefined>"};

std::vector<InspectorRow> Page(const ParticleSystem &rec, int page, std::string_view sep = ".",
                               const UserParmNames &names = kUndefinedNames)
{
    return BuildInspectorPage(rec, page, names, sep);
}

}  // namespace

TEST(InspectorNumbers, GeneralFormatKeepsFifteenDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(FormatGeneral(2.0, "."), "2");
    EXPECT_EQ(FormatGeneral(2.5, ","), "2,5");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2, "."), "0.3");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0, "."), "0.333333333333333");
    EXPECT_EQ(FormatGeneral(-0.125, "."), "-0.125");
    EXPECT_EQ(FormatGeneral(123456789012345.0, "."), "123456789012345");
    EXPECT_EQ(FormatGeneral(1e20, ","), "1e+20");
    EXPECT_EQ(FormatGeneral(0.00001, ","), "1e-05");
    EXPECT_EQ(FormatFixed3(0.5, ","), "0,500");
    EXPECT_EQ(FormatFixed3(1.0 / 3.0, "."), "0.333");
    EXPECT_EQ(FormatFixed3(-2.0, "."), "-2.000");
    // Every general text reads back to the same value with the same separator.
    for (double v : {0.1, -7.25, 1.0 / 3.0, 6.02e23, 1e-7})
        EXPECT_DOUBLE_EQ(*ParseNumber(FormatGeneral(v, ","), ","), std::stod(FormatGeneral(v, ".")));
}

TEST(InspectorRows, GlobalPageRowsAndMainTypePickList)
{
    ParticleSystem rec = MakeRecord({"emitter", "smoke"}, "ghost");
    rec.particles = 250;
    rec.attachment.value = 7;  // shown even though not present
    auto rows = Page(rec, 0);
    ASSERT_EQ(Keys(rows), (std::vector<std::string>{"Number of Particles", "Main Type", "Attachment"}));
    EXPECT_EQ(rows[0].value, "250");
    EXPECT_EQ(rows[1].value, "ghost");  // a name that no type carries is still shown
    EXPECT_EQ(rows[1].editStyle, EditStyle::PickList);
    EXPECT_TRUE(rows[1].readOnly);
    EXPECT_EQ(rows[1].pickList, (std::vector<std::string>{"emitter", "smoke"}));
    EXPECT_EQ(rows[2].value, "7");

    rec.attachment.supported = 0;
    EXPECT_EQ(Keys(Page(rec, 0)), (std::vector<std::string>{"Number of Particles", "Main Type"}));
}

TEST(InspectorRows, ManagerSupportingOnlyNamesShowsNameRowOnly)
{
    ParticleSystem rec{};
    rec.typeCount = 2;
    SetText(rec.types[0].name, "a");
    SetText(rec.types[1].name, "b");
    SetText(rec.maintype, "a");
    EXPECT_EQ(Keys(Page(rec, 1)), (std::vector<std::string>{"Name"}));
    EXPECT_EQ(Keys(Page(rec, 2)), (std::vector<std::string>{"Name"}));
    EXPECT_EQ(Keys(Page(rec, 0)), (std::vector<std::string>{"Number of Particles", "Main Type"}));
    EXPECT_TRUE(Page(rec, 3).empty());  // past the used entries
    EXPECT_TRUE(Page(rec, -1).empty());
}

TEST(InspectorRows, MainTypeWithSprayTypeShowsSprayRowsOnly)
{
    ParticleSystem rec = MakeRecord({"emitter", "spark"});
    rec.types[0].spraytype.present = 1;
    SetText(rec.types[0].spraytype.text, "spark");
    rec.types[0].sprayrate = Range(10, 10);
    auto rows = Page(rec, 1);
    EXPECT_EQ(Keys(rows), (std::vector<std::string>{"Name", "Spray Type", "Spray Force", "Spray Pitch",
                                                    "Spray Yaw", "Spray Rate"}));
    EXPECT_EQ(rows[1].value, "spark");
    EXPECT_EQ(rows[1].pickList, (std::vector<std::string>{"", "emitter", "spark"}));
    EXPECT_TRUE(rows[1].readOnly);
    EXPECT_EQ(rows[5].value, "10");
    EXPECT_EQ(rows[2].value, "");  // supported, not present: empty rather than 0
}

TEST(InspectorRows, MainTypeThatDrawsItselfShowsBothGroupsInOrder)
{
    ParticleSystem rec = MakeRecord({"emitter"});
    const std::vector<std::string>
        expected{"Name",          "Spray Type",    "Overlay Type",    "Spray Force",
                 "Spray Pitch",   "Spray Yaw",     "Spray Rate",      "Wind Strength",
                 "Wind Yaw",      "Offset",        "Start Size",      "End Size",
                 "Size Delta",    "Start Angle",   "Angle Delta",     "Start Frame",
                 "End Frame",     "Framerate",     "Life Time",       "Sprite Name",
                 "Render Mode",   "Start Color 1", "Start Color 2",   "End Color 1",
                 "End Color 2",   "Start Alpha",   "End Alpha",       "Draw Condition",
                 "Gravity",       "Bounce",        "Bounce Friction", "Drag",
                 "Kill Condition"};
    EXPECT_EQ(Keys(Page(rec, 1)), expected);
}

TEST(InspectorRows, OtherTypesNeverShowSprayRows)
{
    ParticleSystem rec = MakeRecord({"emitter", "smoke"});
    auto keys = Keys(Page(rec, 2));
    for (const char *spray : {"Spray Type", "Spray Force", "Spray Pitch", "Spray Yaw", "Spray Rate"})
        EXPECT_EQ(std::count(keys.begin(), keys.end(), spray), 0) << spray;
    EXPECT_EQ(keys[1], "Overlay Type");
}

TEST(InspectorRows, MainTypeIsMatchedWithLetterCase)
{
    ParticleSystem rec = MakeRecord({"smoke"}, "Smoke");
    rec.types[0].spraytype.present = 1;
    SetText(rec.types[0].spraytype.text, "smoke");
    EXPECT_FALSE(IsMainType(rec, rec.types[0]));
    auto keys = Keys(Page(rec, 1));
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "Spray Type"), 0);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "Gravity"), 1);
}

TEST(InspectorRows, ValueTextsOfEachRowKind)
{
    ParticleSystem rec = MakeRecord({"a", "b"});
    ParticleType &t = rec.types[1];
    t.gravity = Range(2, 2.00005);
    t.drag = Range(2, 2.5);
    t.bounce = Range(-1, 3, 0);
    t.offset = {1, 1, 1.5, -2, 0};
    t.sprite.present = 1;
    SetText(t.sprite.text, "sprites/fire.spr");
    t.killcondition.present = 0;
    SetText(t.killcondition.text, "CONTENT_WATER");  // not present: not shown
    auto rows = Page(rec, 2, ",");
    EXPECT_EQ(FindRow(rows, "Gravity")->value, "2");
    EXPECT_EQ(FindRow(rows, "Drag")->value, "2..2,5");
    EXPECT_EQ(FindRow(rows, "Bounce")->value, "");
    EXPECT_EQ(FindRow(rows, "Offset")->value, "1,5 -2 0");
    EXPECT_EQ(FindRow(rows, "Life Time")->value, "4");
    EXPECT_EQ(FindRow(rows, "Sprite Name")->value, "sprites/fire.spr");
    EXPECT_EQ(FindRow(rows, "Sprite Name")->editStyle, EditStyle::Ellipsis);
    EXPECT_EQ(FindRow(rows, "Sprite Name")->picker, RowPicker::Sprite);
    EXPECT_EQ(FindRow(rows, "Sprite Name")->maxLength, 255);
    EXPECT_EQ(FindRow(rows, "Kill Condition")->value, "");
    EXPECT_EQ(FindRow(rows, "Render Mode")->value, "kRenderTransAdd");
    EXPECT_EQ(FindRow(rows, "Name")->maxLength, 255);
    EXPECT_EQ(FindRow(rows, "Name")->editStyle, EditStyle::Plain);
}

TEST(InspectorRows, PickListsOfConditionsAndRenderModes)
{
    ParticleSystem rec = MakeRecord({"a"});
    auto rows = Page(rec, 1);
    const InspectorRow *kill = FindRow(rows, "Kill Condition");
    const InspectorRow *draw = FindRow(rows, "Draw Condition");
    const InspectorRow *mode = FindRow(rows, "Render Mode");
    EXPECT_EQ(kill->pickList,
              (std::vector<std::string>{"", "CONTENT_EMPTY", "CONTENT_WATER", "CONTENT_SOLID"}));
    EXPECT_EQ(draw->pickList.size(), 7u);
    EXPECT_EQ(draw->pickList.front(), "");
    EXPECT_EQ(draw->pickList.back(), "CONTENT_SPECIAL3");
    EXPECT_EQ(mode->pickList, (std::vector<std::string>{"kRenderTransAdd", "kRenderTransAlpha",
                                                        "kRenderTransTexture", "kRenderTransColor"}));
    for (const InspectorRow *r : {kill, draw, mode}) {
        EXPECT_EQ(r->editStyle, EditStyle::PickList);
        EXPECT_TRUE(r->readOnly);
    }
}

TEST(InspectorRows, ColourPairRows)
{
    ParticleSystem rec = MakeRecord({"a", "b"});
    ParticleType &t = rec.types[1];
    t.startred = Range(1, 1);
    t.startgreen = Range(0.5, 0.5);
    t.startblue = Range(0, 0);
    auto rows = Page(rec, 2);
    EXPECT_EQ(FindRow(rows, "Start Color 1")->value, "1.000 0.500 0.000");
    EXPECT_EQ(FindRow(rows, "Start Color 2")->value, "");
    EXPECT_EQ(FindRow(rows, "Start Color 1")->picker, RowPicker::Colour);
    EXPECT_FALSE(FindRow(rows, "Start Color 2")->readOnly);

    t.startblue = Range(0, 0.25);
    rows = Page(rec, 2, ",");
    EXPECT_EQ(FindRow(rows, "Start Color 1")->value, "1,000 0,500 0,000");
    EXPECT_EQ(FindRow(rows, "Start Color 2")->value, "1,000 0,500 0,250");

    // One present channel is enough; the others show their minimums all the same.
    for (ParamRange *c : {&t.endred, &t.endgreen, &t.endblue})
        *c = Range(0.2, 0.2, 0);
    EXPECT_EQ(FindRow(Page(rec, 2), "End Color 1")->value, "");
    t.endgreen.present = 1;
    EXPECT_EQ(FindRow(Page(rec, 2), "End Color 1")->value, "0.200 0.200 0.200");
}

TEST(InspectorRows, ColourWithAnUnsupportedChannelFallsBackToChannelRows)
{
    ParticleSystem rec = MakeRecord({"a"});
    rec.types[0].startblue.supported = 0;
    rec.types[0].startred = Range(0.25, 0.75);
    auto rows = Page(rec, 1);
    auto keys = Keys(rows);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "Start Color 1"), 0);
    auto red = std::find(keys.begin(), keys.end(), "Start Red");
    ASSERT_NE(red, keys.end());
    EXPECT_EQ(*(red + 1), "Start Green");
    EXPECT_EQ(*(red + 2), "End Color 1");  // the end colour keeps its pair
    EXPECT_EQ(FindRow(rows, "Start Red")->value, "0.25..0.75");
    EXPECT_EQ(FindRow(rows, "Start Red")->editStyle, EditStyle::Plain);
}

TEST(InspectorRows, UserRowsCarryTheManagersNames)
{
    ParticleSystem rec = MakeRecord({"a"});
    ParticleType &t = rec.types[0];
    t.userValue1 = {1, 1, 1.5};
    t.userValue2 = {1, 1, 2.5};
    t.userRange2 = Range(1, 2);
    t.userText1.supported = 1;
    t.userText1.present = 1;
    SetText(t.userText1.text, "hello");
    t.userVector2 = {1, 0, 1, 2, 3};
    char buffers[kUserSlotCount][kParticleTextSize] = {};
    const char *labels[] = {"Heat", "Glow", "Spin", "Wobble", "Tag", "Note", "Aim", "Push"};
    for (int i = 0; i < kUserSlotCount; ++i)
        SetText(buffers[i], labels[i]);
    UserParmNames names = UserParmNamesFromBuffers(buffers);
    EXPECT_EQ(names[7], "Push");
    auto rows = BuildInspectorPage(rec, 1, names, ".");
    auto keys = Keys(rows);
    const std::vector<std::string> tail(keys.end() - 5, keys.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Heat", "Glow", "Wobble", "Tag", "Push"}));
    EXPECT_EQ(FindRow(rows, "Glow")->value, "2.5");  // the second value slot, not the first
    EXPECT_EQ(FindRow(rows, "Wobble")->value, "1..2");
    EXPECT_EQ(FindRow(rows, "Tag")->value, "hello");
    EXPECT_EQ(FindRow(rows, "Tag")->maxLength, 255);
    EXPECT_EQ(FindRow(rows, "Push")->value, "");
}

TEST(InspectorRows, UnterminatedTextsAreReadWithinTheirBuffers)
{
    ParticleSystem rec = MakeRecord({"a"});
    std::memset(rec.types[0].name, 'x', kParticleTextSize);
    std::memset(rec.maintype, 'x', kParticleTextSize);
    auto rows = Page(rec, 1);
    EXPECT_EQ(rows[0].value.size(), static_cast<std::size_t>(kParticleTextSize));
    EXPECT_EQ(FindRow(rows, "Spray Type")->pickList[1].size(), static_cast<std::size_t>(kParticleTextSize));
    rec.typeCount = 99;  // a broken count never walks past the ten entries
    EXPECT_EQ(Page(rec, 0)[1].pickList.size(), 10u);
}
