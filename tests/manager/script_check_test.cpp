// Checking script text through embCheckMemoryFile: every kind of finding at
// its exact line and column, clean scripts, and the report buffer's limits.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "ManagerPlugin.h"

namespace {

class Check : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        ASSERT_NE(api.checkMemoryFile, nullptr) << "the plug-in offers no check";
    }

    // The report's lines; the count returned must match them.
    std::vector<std::string> Findings(const std::string &text) const
    {
        std::vector<char> report(1 << 16, '\x7f');
        const int32_t count = api.checkMemoryFile(text.c_str(), report.data(),
                                                  static_cast<int32_t>(report.size()));
        std::vector<std::string> lines;
        std::istringstream in(std::string(report.data()));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        EXPECT_EQ(count, static_cast<int32_t>(lines.size())) << text;
        return lines;
    }

    // The script the plug-in writes for a record: every finding here would be
    // one the writer itself causes.
    std::string Written(const ParticleSystem &record) const { return Save(record, "// made by a test"); }
};

using Lines = std::vector<std::string>;

TEST_F(Check, WrittenScriptsHaveNoFindings)
{
    auto record = NewRecord();
    ASSERT_EQ(api.newParticles(record.get(), nullptr), 1);
    EXPECT_EQ(Findings(Written(*record)), Lines{}) << "the new-document effect";
    ASSERT_EQ(api.newParticles(record.get(), "sprites/spark.spr"), 1);
    EXPECT_EQ(Findings(Written(*record)), Lines{});
    EXPECT_EQ(Findings(Written(*Defaults())), Lines{}) << "the default fill";

    // Every key present, ten types referring to each other, odd numbers.
    record = Defaults();
    record->typeCount = 10;
    record->attachment.present = 1;
    for (int k = 0; k < 10; ++k) {
        ParticleType &type = record->types[k];
        std::snprintf(type.name, sizeof type.name, "Type %d", k);
        type.spraytype.present = type.overlaytype.present = type.sprite.present = type.offset.present = 1;
        std::snprintf(type.spraytype.text, sizeof type.spraytype.text, "TYPE %d", (k + 1) % 10);
        std::snprintf(type.overlaytype.text, sizeof type.overlaytype.text, "type %d", (k + 3) % 10);
        std::strcpy(type.sprite.text, "sprites/a b.spr");
        type.offset.x = -1e-7;
        type.offset.z = 2.5e12;
        for (ParamText *word : {&type.rendermode, &type.drawcondition, &type.killcondition})
            word->present = 1;
        std::strcpy(type.drawcondition.text, k % 2 ? "CONTENT_SPECIAL3" : "no such condition");
        type.gravity = {1, 1, -3e-5, 1e9};
        type.startsize = {1, 1, 0, 255.5};
        type.windyaw = {1, 1, -180, -180};
    }
    std::strcpy(record->maintype, "type 0");
    EXPECT_EQ(Findings(Written(*record)), Lines{});
}

TEST_F(Check, TheFormatsWorkedExampleHasNoFindings)
{
    const std::string example =
        "\"particles\" \"40\"\n\"maintype\" \"emitter\"\n\n{\n"
        "\t\"name\" \"emitter\"\n\t\"spraytype\" \"particle\"\n\t\"sprayrate\" \"10\"\n}\n\n{\n"
        "\t\"name\" \"particle\"\n\t\"startsize\" \"10\"\n\t\"endsize\" \"100\"\n"
        "\t\"startangle\" \"0..360\"\n\t\"angledelta\" \"-40..40\"\n\t\"lifetime\" \"4\"\n"
        "\t\"rendermode\" \"color\"\n\t\"startred\" \"1\"\n\t\"endred\" \"1\"\n"
        "\t\"startgreen\" \"1\"\n\t\"endgreen\" \"1\"\n\t\"startblue\" \"1\"\n"
        "\t\"endblue\" \"1\"\n\t\"startalpha\" \"1\"\n\t\"endalpha\" \"0\"\n"
        "\t\"gravity\" \"70\"\n}\n";
    auto record = NewRecord();
    ASSERT_EQ(api.newParticles(record.get(), nullptr), 1);
    ASSERT_EQ(Save(*record), example) << "the example is what the writer writes";
    EXPECT_EQ(Findings(example), Lines{});
    // The same with CR LF line ends, as a file written on disk has them.
    std::string crlf;
    for (char c : example)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Findings(crlf), Lines{});
}

TEST_F(Check, HandWrittenScriptInEveryAcceptedFormHasNoFindings)
{
    const std::string text = "// comment\r\n"
                             "PARTICLES 12 MainType \"fire\" attachment -1\r\n"
                             "{ name fire // the emitter\n"
                             "  spraytype SPARK overlaytype \"\" sprite \"sprites/fire.spr\"\n"
                             "  offset 1 -2.5 .5e1 startsize \" 10..20 \" lifetime +4.\n"
                             "  rendermode Texture drawcondition special killcondition \"\"\n"
                             "}\n"
                             "{ \"name\" spark offset \"0 0 1\" gravity -1e3..1E+3 }\n";
    EXPECT_EQ(Findings(text), Lines{});
}

TEST_F(Check, UnknownKeysAreWarnedWithTheNearestKnownKey)
{
    EXPECT_EQ(Findings("particles 10\n"
                       "particels 5\n"
                       "{\n"
                       "\tname a\n"
                       "\t\"lifetim\" \"4\"\n"
                       "\tcolour red startred 1\n"
                       "\tmaintype a\n"
                       "}\n"
                       "lifetime 4\n"),
              (Lines{"2:1: warning: unknown key \"particels\" (did you mean \"particles\"?)",
                     "5:2: warning: unknown key \"lifetim\" (did you mean \"lifetime\"?)",
                     "6:2: warning: unknown key \"colour\"",
                     "7:2: warning: \"maintype\" belongs at the top level and is ignored inside a type",
                     "9:1: warning: \"lifetime\" belongs inside a type section and is ignored here"}));

    // A value standing where a key should is ignored by itself.
    EXPECT_EQ(Findings("particles 10 20 { name a 3..4 }"),
              (Lines{"1:14: warning: \"20\" is not a key and is ignored",
                     "1:26: warning: \"3..4\" is not a key and is ignored"}));
}

TEST_F(Check, MalformedNumbersAreErrorsThatSayWhatIsRead)
{
    EXPECT_EQ(Findings("particles 12x\n"
                       "attachment \"1.5\"\n"
                       "{ name a\n"
                       "  lifetime four\n"
                       "  startsize 10..2O\n"
                       "  endsize ..5\n"
                       "  gravity 0x10\n"
                       "  drag 1e\n"
                       "}"),
              (Lines{"1:11: error: \"12x\" is not a whole number: reads as 12",
                     "2:12: error: \"1.5\" is not a whole number: reads as 1",
                     "4:12: error: \"four\" is not a number or a range such as 2..5: reads as 0",
                     "5:13: error: \"10..2O\" is not a number or a range such as 2..5: reads as 10..2",
                     "6:11: error: \"..5\" is not a number or a range such as 2..5: reads as 0..5",
                     "7:11: error: \"0x10\" is not a number or a range such as 2..5: reads as 0",
                     "8:8: error: \"1e\" is not a number or a range such as 2..5: reads as 1"}));
}

TEST_F(Check, OffsetNeedsThreeNumbers)
{
    EXPECT_EQ(Findings("{ name a\n"
                       "offset \"1 2\" lifetime 4\n"
                       "offset 1 2 3 4\n"
                       "offset \"1 y 3\"\n"
                       "offset \"1 2 3 4\"\n"
                       "offset here\n"
                       "offset }"),
              (Lines{"2:1: error: \"offset\" takes three numbers, 2 given: the rest read as 0",
                     "3:14: warning: \"4\" is not a key and is ignored",
                     "4:11: error: \"y\" is not a number: reads as 0",
                     "5:15: error: \"offset\" takes three numbers: \"4\" is ignored",
                     "6:8: error: \"here\" is not three numbers such as \"0 0 10\": the offset reads as 0 0 "
                     "0",
                     "7:1: error: \"offset\" takes three numbers, 0 given: the rest read as 0"}));
}

TEST_F(Check, ValuesOutsideTheirMeaningfulRangeAreWarned)
{
    EXPECT_EQ(Findings("particles 0\n"
                       "{ name a\n"
                       "startsize -1 endsize 2..-3 lifetime -0.5 sizedelta -4 gravity -800\n"
                       "}"),
              (Lines{"1:11: warning: \"particles\" should be at least 1",
                     "3:11: warning: \"startsize\" should not be negative",
                     "3:22: warning: \"endsize\" should not be negative",
                     "3:37: warning: \"lifetime\" should not be negative"}));
}

TEST_F(Check, UnknownWordsOfRenderModesAndConditionsAreWarned)
{
    EXPECT_EQ(
        Findings("{ name a\n"
                 "rendermode kRenderTransAlpha\n"
                 "drawcondition lava\n"
                 "killcondition special\n"
                 "rendermode SOLID drawcondition Special3 killcondition Water\n"
                 "}"),
        (Lines{"2:12: warning: unknown render mode \"kRenderTransAlpha\": reads as additive (use additive, "
               "solid, texture or color)",
               "3:15: warning: unknown draw condition \"lava\": reads as no condition (use empty, water, "
               "solid, "
               "special, special2 or special3)",
               "4:15: warning: unknown kill condition \"special\": reads as no condition (use empty, water, "
               "solid)"}));
}

TEST_F(Check, TypeReferencesAndNamesAreResolvedIgnoringCase)
{
    EXPECT_EQ(Findings("maintype Emitter\n"
                       "{ name emitter spraytype SPARKS overlaytype glow }\n"
                       "{ name sparks overlaytype \"\" }\n"
                       "{ name EMITTER }\n"
                       "{ spraytype default }\n"),
              (Lines{"2:45: warning: overlay type \"glow\" names no type",
                     "4:8: warning: another type is already named \"emitter\""}));

    EXPECT_EQ(Findings("maintype fire { name smoke spraytype smoke }"),
              (Lines{"1:10: warning: main type \"fire\" names no type"}));

    // A type past the tenth is dropped, so nothing can refer to it.
    std::string text = "maintype t10\n";
    for (int k = 0; k < 11; ++k)
        text += "{ name t" + std::to_string(k) + " }\n";
    EXPECT_EQ(Findings(text), (Lines{"1:10: warning: main type \"t10\" names no type",
                                     "12:1: error: more than ten types: this type is dropped"}));
}

TEST_F(Check, UnbalancedBracesAndQuotesAreErrors)
{
    EXPECT_EQ(Findings("{ name a\n"
                       "lifetime 4\n"
                       "{ name b }\n"
                       "}\n"
                       "{ name c sprite \"x.spr }\n"),
              (Lines{"3:1: error: \"{\" inside a type section is ignored: the section opened at line 1 is "
                     "not closed",
                     "4:1: warning: \"}\" closes no type section and is ignored",
                     "5:1: error: \"{\" is not closed",
                     "5:17: error: quote is not closed: the rest of the text is one value"}));

    // A brace where a value belongs is taken as the value, and the section goes on.
    EXPECT_EQ(Findings("{ name a lifetime }\n"
                       "name b }\n"
                       "particles"),
              (Lines{"1:19: error: \"}\" is taken as the value of \"lifetime\": the value is missing",
                     "3:1: error: \"particles\" has no value"}));
}

TEST_F(Check, TextsLongerThan255CharactersAreErrors)
{
    const std::string name(256, 'n');
    const std::string fits(255, 'f');
    EXPECT_EQ(Findings("maintype " + fits + "\n{ name \"" + name + "\" sprite " + fits + " }"),
              (Lines{"1:10: warning: main type \"" + std::string(40, 'f') + "...\" names no type",
                     "2:8: error: text is longer than 255 characters: cut to its first 255"}));
}

TEST_F(Check, TextWithoutKeysIsOneFinding)
{
    const std::string noKey = std::string("1:1: warning: ") + kNoKeyFinding;
    EXPECT_EQ(Findings(""), Lines{noKey});
    EXPECT_EQ(Findings("// only a comment\n"), Lines{noKey});
    // Stray words in a text without keys say nothing more; errors still do.
    EXPECT_EQ(Findings("\x7f"
                       "ELF binary words \x01\x02 {"),
              (Lines{noKey, "1:22: error: \"{\" is not closed"}));
    EXPECT_EQ(Findings("{ }"), Lines{noKey});
}

TEST_F(Check, ColumnsCountBytesAndTabsAsOne)
{
    // Two tabs, then a two-byte UTF-8 character (bytes from 0x80 separate
    // tokens) between words that are no comment.
    EXPECT_EQ(Findings("{ name x\r\n\t\t/* \xc3\xa9 */ lifetim 4\r\n}"),
              (Lines{"2:3: warning: \"/*\" is not a key and is ignored",
                     "2:9: warning: \"*/\" is not a key and is ignored",
                     "2:12: warning: unknown key \"lifetim\" (did you mean \"lifetime\"?)"}));
    EXPECT_EQ(Findings(
                  "maintype \"\xc3\xa9\" { name \"\xc3\xa9\" sprite \"\xc3\xa9\" lifetime \"\xc3\xa9\" }"),
              (Lines{"1:48: error: \"\xc3\xa9\" is not a number or a range such as 2..5: reads as 0"}));
}

TEST_F(Check, MisspeltKeyDanglingSprayTypeAndMissingBrace)
{
    EXPECT_EQ(Findings("\"particles\" \"40\"\n"
                       "\"maintype\" \"emitter\"\n"
                       "\n"
                       "{\n"
                       "\t\"name\" \"emitter\"\n"
                       "\t\"spraytype\" \"sparks\"\n"
                       "\t\"sprayrate\" \"10\"\n"
                       "}\n"
                       "\n"
                       "{\n"
                       "\t\"name\" \"particle\"\n"
                       "\t\"lifetim\" \"4\"\n"),
              (Lines{"6:14: warning: spray type \"sparks\" names no type", "10:1: error: \"{\" is not closed",
                     "12:2: warning: unknown key \"lifetim\" (did you mean \"lifetime\"?)"}));
}

TEST_F(Check, ReportIsCutAtItsSizeAndSizeZeroOnlyCounts)
{
    const std::string text = "particles x\nmaintype y\n";  // two findings
    EXPECT_EQ(api.checkMemoryFile(text.c_str(), nullptr, 0), 2);
    char untouched = '#';
    EXPECT_EQ(api.checkMemoryFile(text.c_str(), &untouched, 0), 2);
    EXPECT_EQ(untouched, '#');

    char report[12];
    std::memset(report, '#', sizeof report);
    EXPECT_EQ(api.checkMemoryFile(text.c_str(), report, 10), 2);
    EXPECT_STREQ(report, "1:11: err");
    EXPECT_EQ(report[10], '#') << "nothing is written past size";

    EXPECT_EQ(api.checkMemoryFile(text.c_str(), report, 1), 2);
    EXPECT_STREQ(report, "");
    EXPECT_EQ(api.checkMemoryFile(nullptr, report, sizeof report), 0);
    EXPECT_STREQ(report, "");

    // The reader is not touched: the same text reads as before.
    auto record = Load(text);
    EXPECT_EQ(record->particles, 0);
    EXPECT_STREQ(record->maintype, "y");
}

TEST_F(Check, KeyListNamesEveryKeyTheWriterWrites)
{
    ASSERT_NE(api.getScriptKeys, nullptr);
    std::vector<char> buffer(4096);
    const int32_t count = api.getScriptKeys(buffer.data(), static_cast<int32_t>(buffer.size()));
    const std::string list(buffer.data());
    EXPECT_EQ(count, 3 + 35);
    EXPECT_EQ(list.rfind("header particles\nheader maintype\nheader attachment\ntype name\n", 0), 0u) << list;

    // Every key of a script with every field present is listed in its scope.
    auto record = Defaults();
    record->attachment.present = 1;
    ParticleType &type = record->types[0];
    for (ParamText *text : {&type.sprite, &type.spraytype, &type.overlaytype, &type.rendermode,
                            &type.drawcondition, &type.killcondition})
        text->present = 1;
    type.offset.present = 1;
    for (ParamRange *range = &type.gravity; range <= &type.bouncefriction; ++range)
        range->present = 1;
    std::istringstream written(Save(*record));
    int keys = 0;
    for (std::string line; std::getline(written, line);) {
        const auto open = line.find('"');
        if (open == std::string::npos)
            continue;
        const std::string key = line.substr(open + 1, line.find('"', open + 1) - open - 1);
        const std::string scope = line[0] == '\t' ? "type " : "header ";
        EXPECT_NE(list.find(scope + key + "\n"), std::string::npos) << key;
        ++keys;
    }
    EXPECT_EQ(keys, count);
}

}  // namespace
