// Writing records through embSaveMemoryFile: line forms, number formatting,
// enumeration words, the buffer's limits and round trips.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ManagerPlugin.h"

namespace {

using Writer = ManagerTest;

const char *const kHeaderLines = "\"particles\" \"100\"\n\"maintype\" \"default\"\n";

// The value written on the "gravity" line.
std::string WrittenRange(const std::string &saved)
{
    const std::string key = "\t\"gravity\" \"";
    const std::size_t start = saved.find(key);
    if (start == std::string::npos)
        return "<missing>";
    const std::size_t valueStart = start + key.size();
    return saved.substr(valueStart, saved.find('"', valueStart) - valueStart);
}

// The C library's "%g" with its exponent widened to three digits: an
// independent reference for the plug-in's own formatting.
std::string ReferenceG(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    std::string result = text;
    const std::size_t e = result.find('e');
    if (e != std::string::npos && result.size() - e == 4)
        result.insert(e + 2, "0");
    return result;
}

class WriterRanges : public Writer {
protected:
    std::string Format(double min, double max)
    {
        auto record = Defaults();
        record->types[0].gravity.present = 1;
        record->types[0].gravity.min = min;
        record->types[0].gravity.max = max;
        return WrittenRange(Save(*record));
    }
};

TEST_F(WriterRanges, RealsUseSixDigitsAndThreeDigitExponents)
{
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {100.0, "100"},
        {0.1234567, "0.123457"},
        {999999.0, "999999"},
        {999999.5, "1e+006"},
        {1000000.0, "1e+006"},
        {1234567.0, "1.23457e+006"},
        {0.0001, "0.0001"},
        {0.00001, "1e-005"},
        {-3e100, "-3e+100"},
        {DBL_MAX, "1.79769e+308"},
        {4.9406564584124654e-324, "4.94066e-324"},
        {99999.95, "99999.9"},  // the nearest double lies below the tie
    };
    for (const Case &c : cases)
        EXPECT_EQ(Format(c.value, c.value), c.text) << c.value;
}

TEST_F(WriterRanges, FormattingAgreesWithTheReferenceAcrossMagnitudes)
{
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    std::uniform_int_distribution<uint64_t> bits;
    for (int i = 0; i < 2000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 4 == 0) {
            const uint64_t raw = bits(random);
            std::memcpy(&value, &raw, sizeof value);
            if (!std::isfinite(value))
                continue;
        }
        if (i % 7 == 0)
            value = std::round(value * 1000.0) / 1000.0;  // short decimals and ties
        ASSERT_EQ(Format(value, value), ReferenceG(value)) << std::hexfloat << value;
    }
}

TEST_F(WriterRanges, CloseBoundsAreOneValue)
{
    EXPECT_EQ(Format(5.0, 5.00005), "5");
    EXPECT_EQ(Format(5.00005, 5.0), "5.00005") << "the lower bound field is written, whichever is smaller";
    EXPECT_EQ(Format(2.0, 2.0002), "2..2.0002");
    EXPECT_EQ(Format(-40, 40), "-40..40");
    EXPECT_EQ(Format(40, -40), "40..-40");
    EXPECT_EQ(Format(1e6, 2e6), "1e+006..2e+006");

    auto record = Load("{ gravity 5..5.00005 }");
    EXPECT_EQ(WrittenRange(Save(*record)), "5");
    auto again = Load(Save(*record));
    EXPECT_EQ(again->types[0].gravity.min, 5.0);
    EXPECT_EQ(again->types[0].gravity.max, 5.0);
}

TEST_F(Writer, KeysFollowTheFixedOrder)
{
    const char *const order[] = {"spraytype", "overlaytype",    "sprayforce", "spraypitch",    "sprayyaw",
                                 "sprayrate", "windstrength",   "windyaw",    "offset",        "startsize",
                                 "endsize",   "sizedelta",      "startangle", "angledelta",    "startframe",
                                 "endframe",  "framerate",      "lifetime",   "sprite",        "rendermode",
                                 "startred",  "endred",         "startgreen", "endgreen",      "startblue",
                                 "endblue",   "startalpha",     "endalpha",   "drawcondition", "gravity",
                                 "bounce",    "bouncefriction", "drag",       "killcondition"};
    // Present flags set in reverse order must not change the written order.
    std::string script = "{ name all ";
    for (int i = 33; i >= 0; --i)
        script += std::string(order[i]) + " 1 ";
    script += "}";
    auto record = Load(script);
    std::istringstream lines(Save(*record));
    std::string line;
    std::vector<std::string> keys;
    while (std::getline(lines, line)) {
        if (line.size() > 2 && line[0] == '\t')
            keys.push_back(line.substr(2, line.find('"', 2) - 2));
    }
    ASSERT_EQ(keys.size(), 35u);
    EXPECT_EQ(keys[0], "name");
    for (int i = 0; i < 34; ++i)
        EXPECT_EQ(keys[i + 1], order[i]) << i;
}

TEST_F(Writer, EnumerationsAreWrittenAsWords)
{
    struct Case {
        const char *stored;
        const char *render;
        const char *draw;
        const char *kill;
    };
    const Case cases[] = {
        {"kRenderTransAlpha", "solid", "", ""},
        {"kRenderTransTexture", "texture", "", ""},
        {"kRenderTransColor", "color", "", ""},
        {"kRenderTransAdd", "additive", "", ""},
        {"", "additive", "", ""},
        {"CONTENT_EMPTY", "additive", "empty", "empty"},
        {"CONTENT_WATER", "additive", "water", "water"},
        {"CONTENT_SOLID", "additive", "solid", "solid"},
        {"CONTENT_SPECIAL1", "additive", "special", ""},
        {"CONTENT_SPECIAL2", "additive", "special2", ""},
        {"CONTENT_SPECIAL3", "additive", "special3", ""},
        {"content_water", "additive", "", ""},
    };
    for (const Case &c : cases) {
        auto record = Defaults();
        ParticleType &type = record->types[0];
        for (ParamText *param : {&type.rendermode, &type.drawcondition, &type.killcondition}) {
            param->present = 1;
            std::strcpy(param->text, c.stored);
        }
        const std::string saved = Save(*record);
        EXPECT_NE(saved.find("\t\"rendermode\" \"" + std::string(c.render) + "\"\n"), std::string::npos)
            << c.stored;
        EXPECT_NE(saved.find("\t\"drawcondition\" \"" + std::string(c.draw) + "\"\n"), std::string::npos)
            << c.stored;
        EXPECT_NE(saved.find("\t\"killcondition\" \"" + std::string(c.kill) + "\"\n"), std::string::npos)
            << c.stored;
    }
}

TEST_F(Writer, TextsAndNamesGoOutAsTheyAre)
{
    auto record = Defaults();
    record->typeCount = 2;
    record->types[0].name[0] = '\0';
    record->types[0].sprite.present = 1;  // present and empty
    record->types[1].spraytype.present = 1;
    std::strcpy(record->types[1].spraytype.text, "say \"hi\"");
    record->types[1].rendermode.present = 0;
    record->types[1].startangle.present = 0;
    record->types[1].lifetime.present = 0;
    for (ParamRange *range :
         {&record->types[1].startalpha, &record->types[1].endalpha, &record->types[1].startred,
          &record->types[1].endred, &record->types[1].startgreen, &record->types[1].endgreen,
          &record->types[1].startblue, &record->types[1].endblue})
        range->present = 0;
    // User slots are never written, whatever they hold.
    record->types[0].userText1.supported = 1;
    record->types[0].userText1.present = 1;
    std::strcpy(record->types[0].userText1.text, "secret");
    EXPECT_EQ(Save(*record), std::string(kHeaderLines) +
                                 "\n{\n\t\"name\" \"\"\n\t\"sprite\" \"\"\n}\n"
                                 "\n{\n\t\"name\" \"default\"\n\t\"spraytype\" \"say \"hi\"\"\n}\n");

    // A quote does not survive the trip back.
    auto back = Load(Save(*record));
    EXPECT_STREQ(back->types[1].spraytype.text, "say ");
}

TEST_F(Writer, AttachmentIsWrittenOnlyWhenPresent)
{
    auto record = Defaults();
    record->typeCount = 0;
    record->attachment.value = -7;
    EXPECT_EQ(Save(*record), kHeaderLines);
    record->attachment.present = 1;
    record->particles = INT32_MIN;
    EXPECT_EQ(Save(*record),
              "\"particles\" \"-2147483648\"\n\"maintype\" \"default\"\n\"attachment\" \"-7\"\n");
}

TEST_F(Writer, TypeCountNeverLeadsOutsideTheRecord)
{
    // Allocated alone, so any read past the record is caught by the sanitizer.
    auto record = Defaults();
    for (int k = 0; k < 10; ++k)
        std::snprintf(record->types[k].name, sizeof record->types[k].name, "t%d", k);

    for (int32_t count : {-1, INT32_MIN, 0}) {
        record->typeCount = count;
        EXPECT_EQ(Save(*record), kHeaderLines) << count;
    }
    for (int32_t count : {10, 11, 1000, INT32_MAX}) {
        record->typeCount = count;
        const std::string saved = Save(*record);
        std::size_t sections = 0;
        for (std::size_t at = saved.find("\n{\n"); at != std::string::npos; at = saved.find("\n{\n", at + 1))
            ++sections;
        EXPECT_EQ(sections, 10u) << count;
        EXPECT_NE(saved.find("\"name\" \"t9\""), std::string::npos);
    }
}

TEST_F(Writer, TextsWithoutTheirNulAreCutAt255)
{
    auto record = Defaults();
    std::memset(record->maintype, 'm', sizeof record->maintype);
    std::memset(record->types[0].name, 'n', sizeof record->types[0].name);
    record->types[0].sprite.present = 1;
    std::memset(record->types[0].sprite.text, 's', sizeof record->types[0].sprite.text);
    const std::string saved = Save(*record);
    EXPECT_NE(saved.find("\"maintype\" \"" + std::string(255, 'm') + "\"\n"), std::string::npos);
    EXPECT_NE(saved.find("\t\"name\" \"" + std::string(255, 'n') + "\"\n"), std::string::npos);
    EXPECT_NE(saved.find("\t\"sprite\" \"" + std::string(255, 's') + "\"\n"), std::string::npos);
}

TEST_F(Writer, HeaderLosesItsCarriageReturnsAndGainsALineFeed)
{
    auto record = Defaults();
    record->typeCount = 0;
    EXPECT_EQ(Save(*record, "// line one\r\n// line two"),
              std::string("// line one\n// line two\n") + kHeaderLines);
    EXPECT_EQ(Save(*record, "\r"), std::string("\n") + kHeaderLines);
    EXPECT_EQ(Save(*record, "no comment marker added"),
              std::string("no comment marker added\n") + kHeaderLines);
    EXPECT_EQ(Save(*record, ""), kHeaderLines);
}

TEST_F(Writer, SmallBuffersHoldTheTextsStartWithoutANul)
{
    auto record = NewRecord();
    api.newParticles(record.get(), nullptr);
    const std::string full = Save(*record);
    for (int32_t size :
         {1, 10, 17, 18, static_cast<int32_t>(full.size()), static_cast<int32_t>(full.size()) + 1}) {
        // Exactly the given size, so the sanitizer sees any write past it.
        auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(size));
        std::memset(buffer.get(), 0x7f, static_cast<std::size_t>(size));
        ASSERT_EQ(api.saveMemoryFile(buffer.get(), size, nullptr, record.get()), 1) << size;
        const std::size_t kept = std::min<std::size_t>(static_cast<std::size_t>(size), full.size());
        EXPECT_EQ(std::string(buffer.get(), kept), full.substr(0, kept)) << size;
        if (static_cast<std::size_t>(size) > full.size()) {
            EXPECT_EQ(buffer[full.size()], '\0');
        }
    }

    char untouched[8];
    std::memset(untouched, 0x7f, sizeof untouched);
    EXPECT_EQ(api.saveMemoryFile(untouched, 0, nullptr, record.get()), 0);
    EXPECT_EQ(api.saveMemoryFile(untouched, -8, nullptr, record.get()), 0);
    for (char c : untouched)
        EXPECT_EQ(c, '\x7f');
}

TEST_F(Writer, WritingWhatWasReadIsStable)
{
    std::ifstream file(TEST_DATA_DIR "/sample-fire.nbs", std::ios::binary);
    ASSERT_TRUE(file) << TEST_DATA_DIR;
    std::stringstream content;
    content << file.rdbuf();
    const std::string first = Save(*Load(content.str()));
    EXPECT_NE(first.find("\t\"offset\" \"0 0 4\"\n\t\"startsize\" \"12..16\"\n"), std::string::npos);
    const std::string second = Save(*Load(first));
    EXPECT_EQ(first, second);
}

TEST_F(Writer, TenFullySpecifiedTypesSurviveARoundTrip)
{
    std::mt19937 random(7);
    // Values with at most six significant digits come back exactly.
    std::uniform_int_distribution<int> digits(-99999, 99999);
    std::uniform_int_distribution<int> wide(-8, 8);
    std::uniform_int_distribution<int> narrow(-3, 0);
    // The double nearest to digits * 10^scale: one exact power of ten and
    // one correctly rounded operation, as a reader of the decimal text gets it.
    auto decimal = [](int digits, int scale) {
        double power = 1.0;
        for (int i = 0; i < (scale < 0 ? -scale : scale); ++i)
            power *= 10.0;
        return scale < 0 ? digits / power : digits * power;
    };

    auto record = Defaults();
    record->typeCount = 10;
    record->particles = 5000;
    record->attachment.present = 1;
    record->attachment.value = 3;
    std::strcpy(record->maintype, "type 0");
    const char *const modes[] = {"kRenderTransAdd", "kRenderTransAlpha", "kRenderTransTexture",
                                 "kRenderTransColor"};
    for (int k = 0; k < 10; ++k) {
        ParticleType &type = record->types[k];
        std::snprintf(type.name, sizeof type.name, "type %d", k);
        for (ParamText *text : {&type.sprite, &type.spraytype, &type.overlaytype}) {
            text->present = 1;
            std::snprintf(text->text, sizeof text->text, "sprites/{%d}: 'x' // y.spr", k);
        }
        type.rendermode.present = 1;
        std::strcpy(type.rendermode.text, modes[k % 4]);
        type.drawcondition.present = 1;
        std::strcpy(type.drawcondition.text, k % 2 ? "CONTENT_SPECIAL2" : "");
        type.killcondition.present = 1;
        std::strcpy(type.killcondition.text, "CONTENT_WATER");
        type.offset.present = 1;
        type.offset.x = decimal(digits(random), wide(random));
        type.offset.y = decimal(digits(random), wide(random));
        type.offset.z = decimal(digits(random), wide(random));
        for (ParamRange *range :
             {&type.gravity,    &type.windyaw,       &type.windstrength, &type.startalpha, &type.endalpha,
              &type.startred,   &type.endred,        &type.startgreen,   &type.endgreen,   &type.startblue,
              &type.endblue,    &type.startsize,     &type.sizedelta,    &type.endsize,    &type.startangle,
              &type.angledelta, &type.startframe,    &type.framerate,    &type.endframe,   &type.lifetime,
              &type.sprayrate,  &type.sprayforce,    &type.spraypitch,   &type.sprayyaw,   &type.drag,
              &type.bounce,     &type.bouncefriction}) {
            range->present = 1;
            // Single values over many magnitudes; true ranges with room for both bounds.
            const int lower = digits(random);
            const int scale = k % 3 == 0 ? wide(random) : narrow(random);
            range->min = decimal(lower, scale);
            range->max = k % 3 == 0 ? range->min : decimal(lower + 1, scale);
        }
    }
    const std::string first = Save(*record);
    auto back = Load(first);
    EXPECT_TRUE(SameBytes(*record, *back));
    EXPECT_EQ(Save(*back), first);
}

}  // namespace
