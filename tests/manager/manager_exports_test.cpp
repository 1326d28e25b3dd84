// The plug-in's identity, its default fill and its new-document record,
// checked through the exports against the record's byte layout.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ManagerPlugin.h"

namespace {

using Exports = ManagerTest;

template <typename T>
void Put(std::vector<unsigned char> &bytes, std::size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

void PutText(std::vector<unsigned char> &bytes, std::size_t offset, const char *text)
{
    std::memcpy(bytes.data() + offset, text, std::strlen(text));
}

std::vector<unsigned char> BytesOf(const ParticleSystem &record)
{
    const auto *p = reinterpret_cast<const unsigned char *>(&record);
    return std::vector<unsigned char>(p, p + sizeof record);
}

// The default fill built from the layout tables alone, as raw bytes.
std::vector<unsigned char> ExpectedDefaultBytes()
{
    std::vector<unsigned char> bytes(32200, 0);
    Put<int32_t>(bytes, 0, 100);  // particles
    Put<int32_t>(bytes, 4, 1);    // typeCount
    Put<int32_t>(bytes, 8, 1);    // attachment.supported
    PutText(bytes, 20, "default");
    for (std::size_t k = 0; k < 10; ++k) {
        const std::size_t entry = 280 + 3192 * k;
        const bool templ = k > 0;
        PutText(bytes, entry, "default");
        for (std::size_t text : {256, 520, 784, 1048, 1312, 1576})
            Put<int32_t>(bytes, entry + text, 1);
        Put<int32_t>(bytes, entry + 1840, 1);  // offset
        for (std::size_t range = 1872; range <= 2496; range += 24)
            Put<int32_t>(bytes, entry + range, 1);
        PutText(bytes, entry + 1048 + 8, "kRenderTransAdd");
        if (templ)
            Put<int32_t>(bytes, entry + 1048 + 4, 1);
        auto single = [&](std::size_t range, double value) {
            Put<double>(bytes, entry + range + 8, value);
            Put<double>(bytes, entry + range + 16, value);
            if (templ)
                Put<int32_t>(bytes, entry + range + 4, 1);
        };
        for (std::size_t colour = 1944; colour <= 2112; colour += 24)
            single(colour, 1.0);
        single(2208, 45.0);  // startangle
        single(2328, 4.0);   // lifetime
    }
    return bytes;
}

TEST_F(Exports, IdentityTextsAndResults)
{
    char buffer[256];
    std::memset(buffer, 0x7f, sizeof buffer);
    EXPECT_EQ(api.getSupportedExtensions(buffer), 1);
    EXPECT_EQ(std::memcmp(buffer, "Tarn Nimbus Particles (*.nbs)|*.nbs", 36), 0);
    EXPECT_EQ(buffer[36], '\x7f') << "copies exactly 36 bytes";

    std::memset(buffer, 0x7f, sizeof buffer);
    EXPECT_EQ(api.getManagerTitle(buffer), 1);
    EXPECT_EQ(std::memcmp(buffer, "Tarn Nimbus Particle", 21), 0);
    EXPECT_EQ(buffer[21], '\x7f');

    EXPECT_EQ(api.isText(), 1);

    for (int32_t index : {0, 5, 7, -1, 1000}) {
        std::memset(buffer, 0x7f, sizeof buffer);
        EXPECT_EQ(api.getUserParmName(index, buffer), 0) << index;
        EXPECT_EQ(std::memcmp(buffer, "<Undefined>", 12), 0) << index;
        EXPECT_EQ(buffer[12], '\x7f');
    }
}

TEST_F(Exports, ExtensionIsMatchedWithItsDotIgnoringCase)
{
    for (const char *yes : {".nbs", ".NBS", ".Nbs", ".nBs"})
        EXPECT_EQ(api.isExtensionSupported(yes), 1) << yes;
    for (const char *no : {"nbs", "", ".", ".nb", ".nbss", "..nbs", ".nbs ", "x.nbs", ".spr"})
        EXPECT_EQ(api.isExtensionSupported(no), 0) << no;
    EXPECT_EQ(api.isExtensionSupported(nullptr), 0);
}

TEST_F(Exports, DefaultFillMatchesTheLayoutByteForByte)
{
    auto record = NewRecord();
    std::memset(record.get(), 0xab, sizeof *record);  // every byte must be set
    ASSERT_EQ(api.getDefaults(record.get()), 1);
    const auto expected = ExpectedDefaultBytes();
    const auto actual = BytesOf(*record);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "first difference at byte " << i;
}

// The starting effect of a new document written with no header.
constexpr char kNewParticlesText[] = "\"particles\" \"40\"\n"
                                     "\"maintype\" \"emitter\"\n"
                                     "\n"
                                     "{\n"
                                     "\t\"name\" \"emitter\"\n"
                                     "\t\"spraytype\" \"particle\"\n"
                                     "\t\"sprayrate\" \"10\"\n"
                                     "}\n"
                                     "\n"
                                     "{\n"
                                     "\t\"name\" \"particle\"\n"
                                     "\t\"startsize\" \"10\"\n"
                                     "\t\"endsize\" \"100\"\n"
                                     "\t\"startangle\" \"0..360\"\n"
                                     "\t\"angledelta\" \"-40..40\"\n"
                                     "\t\"lifetime\" \"4\"\n"
                                     "\t\"rendermode\" \"color\"\n"
                                     "\t\"startred\" \"1\"\n"
                                     "\t\"endred\" \"1\"\n"
                                     "\t\"startgreen\" \"1\"\n"
                                     "\t\"endgreen\" \"1\"\n"
                                     "\t\"startblue\" \"1\"\n"
                                     "\t\"endblue\" \"1\"\n"
                                     "\t\"startalpha\" \"1\"\n"
                                     "\t\"endalpha\" \"0\"\n"
                                     "\t\"gravity\" \"70\"\n"
                                     "}\n";

TEST_F(Exports, NewParticlesWritesTheStartingEffectExactly)
{
    auto record = NewRecord();
    ASSERT_EQ(api.newParticles(record.get(), nullptr), 1);
    EXPECT_EQ(Save(*record), kNewParticlesText);
    EXPECT_EQ(Save(*record, ""), kNewParticlesText);

    auto withEmpty = NewRecord();
    std::memset(withEmpty.get(), 0x55, sizeof *withEmpty);
    ASSERT_EQ(api.newParticles(withEmpty.get(), ""), 1);
    EXPECT_TRUE(SameBytes(*record, *withEmpty)) << "null and empty sprite give the same record";

    // Entries from 2 on stay default templates.
    auto defaults = Defaults();
    for (int k = 2; k < 10; ++k)
        EXPECT_EQ(std::memcmp(&record->types[k], &defaults->types[k], sizeof(ParticleType)), 0) << k;
}

TEST_F(Exports, NewParticlesWithSpriteDrawsItAdditively)
{
    auto record = NewRecord();
    ASSERT_EQ(api.newParticles(record.get(), "sprites/fire.spr"), 1);
    std::string expected = kNewParticlesText;
    const std::string colour = "\t\"rendermode\" \"color\"\n";
    expected.replace(expected.find(colour), colour.size(),
                     "\t\"sprite\" \"sprites/fire.spr\"\n\t\"rendermode\" \"additive\"\n");
    EXPECT_EQ(Save(*record), expected);
    EXPECT_STREQ(record->types[1].rendermode.text, "kRenderTransAdd");

    // A sprite too long for the text buffer is cut; the next field is intact.
    const std::string sprite = "sprites/" + std::string(400, 'x') + ".spr";
    ASSERT_EQ(api.newParticles(record.get(), sprite.c_str()), 1);
    EXPECT_EQ(std::string(record->types[1].sprite.text), sprite.substr(0, 255));
    EXPECT_EQ(record->types[1].spraytype.supported, 1);
    EXPECT_EQ(record->types[1].spraytype.text[0], '\0');
}

TEST_F(Exports, DefaultRecordWritesOneDefaultSection)
{
    EXPECT_EQ(Save(*Defaults()),
              "\"particles\" \"100\"\n\"maintype\" \"default\"\n\n{\n\t\"name\" \"default\"\n}\n");
}

TEST_F(Exports, NullArgumentsAreRefused)
{
    auto record = Defaults();
    const auto before = BytesOf(*record);
    char buffer[64];
    EXPECT_EQ(api.getSupportedExtensions(nullptr), 0);
    EXPECT_EQ(api.getManagerTitle(nullptr), 0);
    EXPECT_EQ(api.getUserParmName(0, nullptr), 0);
    EXPECT_EQ(api.getDefaults(nullptr), 0);
    EXPECT_EQ(api.newParticles(nullptr, "x"), 0);
    EXPECT_EQ(api.loadMemoryFile(nullptr, record.get()), 0);
    EXPECT_EQ(api.loadMemoryFile("particles 5", nullptr), 0);
    EXPECT_EQ(api.loadFile(nullptr, record.get()), 0);
    EXPECT_EQ(api.saveFile(nullptr, nullptr, record.get()), 0);
    EXPECT_EQ(api.saveFile("", nullptr, record.get()), 0);
    EXPECT_EQ(api.saveMemoryFile(nullptr, 64, nullptr, record.get()), 0);
    EXPECT_EQ(api.saveMemoryFile(buffer, 64, nullptr, nullptr), 0);
    EXPECT_EQ(BytesOf(*record), before);
}

}  // namespace
