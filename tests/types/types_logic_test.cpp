// New documents, the help-file choice, the version line and JPEG decoding.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <unistd.h>

#include "types_fixtures.h"
#include "uHelpFile.h"
#include "uJpegDecode.h"
#include "uNewDocument.h"
#include "uVersion.h"

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
    EXPECT_FALSE(CreateNewRecord(NewDocumentExports{FakeDefaults, nullptr, FakeSave}, "", document,
                                 defaults));
    EXPECT_EQ(std::memcmp(&document, &documentBefore, sizeof document), 0);
    EXPECT_EQ(std::memcmp(&defaults, &defaultsBefore, sizeof defaults), 0);
}

class HelpFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("sparkwright-help-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void Touch(const char *name) { std::ofstream(dir / name) << "help"; }
    std::filesystem::path dir;
};

TEST_F(HelpFileTest, CompiledHelpFirstThenPageThenNone)
{
    EXPECT_EQ(ChooseHelpFile(dir.string()).kind, HelpFileKind::None);
    EXPECT_TRUE(ChooseHelpFile(dir.string()).path.empty());
    Touch("Sparkwright.htm");
    HelpFileChoice choice = ChooseHelpFile(dir.string());
    EXPECT_EQ(choice.kind, HelpFileKind::Htm);
    EXPECT_EQ(std::filesystem::path(choice.path), dir / "Sparkwright.htm");
    Touch("Sparkwright.chm");
    choice = ChooseHelpFile(dir.string());
    EXPECT_EQ(choice.kind, HelpFileKind::Chm);
    EXPECT_EQ(std::filesystem::path(choice.path), dir / "Sparkwright.chm");
}

TEST_F(HelpFileTest, AFolderNamedLikeTheHelpFileIsNoHelpFile)
{
    std::filesystem::create_directories(dir / "Sparkwright.chm");
    Touch("Sparkwright.htm");
    EXPECT_EQ(ChooseHelpFile(dir.string()).kind, HelpFileKind::Htm);
    EXPECT_EQ(ChooseHelpFile((dir / "missing").string()).kind, HelpFileKind::None);
}

TEST(Version, ProgramVersionAndItsLine)
{
    EXPECT_EQ(ProgramFileVersion(), "1.0.1.229");
    EXPECT_EQ(VersionLine(ProgramFileVersion()), "Version 1.0.1.229");
    EXPECT_EQ(VersionLine(""), "Version <unknown>");
}

// Our own JPEG: left half red, right half blue.
std::vector<uint8_t> EncodeTwoColourJpeg(int width, int height)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        row[x * 3 + 0] = left ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = left ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(out, out + outSize);
    free(out);
    return bytes;
}

TEST(DecodeJpeg, DecodesOurOwnPicture)
{
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(32, 16);
    RgbPicture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    ASSERT_EQ(picture.width, 32);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.pixels.size(), 32u * 16u * 3u);
    const uint8_t *leftPixel = &picture.pixels[(8 * 32 + 4) * 3];
    const uint8_t *rightPixel = &picture.pixels[(8 * 32 + 28) * 3];
    EXPECT_GT(leftPixel[0], 220);
    EXPECT_LT(leftPixel[2], 40);
    EXPECT_LT(rightPixel[0], 40);
    EXPECT_GT(rightPixel[2], 220);
}

TEST(DecodeJpeg, TheSideStripPictureIsDarkAboveAndGreenBelow)
{
    std::ifstream file(SIDESTRIP_JPEG, std::ios::binary);
    const std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    RgbPicture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    EXPECT_EQ(picture.width, 24);
    EXPECT_EQ(picture.height, 512);
    const uint8_t *top = &picture.pixels[(2 * 24 + 12) * 3];
    const uint8_t *bottom = &picture.pixels[(509 * 24 + 12) * 3];
    EXPECT_LT(top[1], bottom[1]);
    EXPECT_GT(bottom[1], bottom[0]);
}

TEST(DecodeJpeg, BrokenDataIsRefusedWithAnEmptyPicture)
{
    RgbPicture picture;
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(16, 16);
    EXPECT_FALSE(DecodeJpeg(nullptr, 10, picture));
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), 0, picture));
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), 20, picture));  // cut inside the header
    EXPECT_EQ(picture.width, 0);
    EXPECT_TRUE(picture.pixels.empty());
    const uint8_t garbage[] = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
    EXPECT_FALSE(DecodeJpeg(garbage, sizeof garbage, picture));
}

TEST(DecodeJpeg, HugeDeclaredSizeIsRefusedBeforeAllocating)
{
    std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(16, 16);
    // Rewrite the frame header's height and width to 65535 each.
    bool patched = false;
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = jpeg[i + 6] = jpeg[i + 7] = jpeg[i + 8] = 0xFF;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    RgbPicture picture;
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    EXPECT_TRUE(picture.pixels.empty());
}

TEST(HelpPage, DescribesEveryScriptKeyAndWord)
{
    std::ifstream file(HELP_PAGE);
    const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(page.empty());
    for (const char *word :
         {"particles", "maintype", "attachment", "name", "sprite", "spraytype", "overlaytype",
          "rendermode", "drawcondition", "killcondition", "offset", "gravity", "windyaw",
          "windstrength", "startalpha", "endalpha", "startred", "endred", "startgreen", "endgreen",
          "startblue", "endblue", "startsize", "sizedelta", "endsize", "startangle", "angledelta",
          "startframe", "framerate", "endframe", "lifetime", "sprayrate", "sprayforce",
          "spraypitch", "sprayyaw", "drag", "bounce", "bouncefriction", "additive", "solid",
          "texture", "color", "empty", "water", "special", "special2", "special3"})
        EXPECT_NE(page.find(std::string("<code>") + word + "</code>"), std::string::npos) << word;
    for (const char *shortcut : {"F1", "F4", "Keypad 8", "Keypad 5", "Keypad 4", "Keypad 6"})
        EXPECT_NE(page.find(shortcut), std::string::npos) << shortcut;
}

}  // namespace
