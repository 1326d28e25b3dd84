// Which help file Help Topics opens, and the guide describing every script
// key, word and viewport key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "uHelpFile.h"

namespace {

class HelpFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("sparkwright-help-" + std::to_string(::getpid()));
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

TEST(HelpPage, DescribesEveryScriptKeyAndWord)
{
    std::ifstream file(HELP_PAGE);
    const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(page.empty());
    for (const char *word :
         {"particles",   "maintype",       "attachment",    "name",          "sprite",    "spraytype",
          "overlaytype", "rendermode",     "drawcondition", "killcondition", "offset",    "gravity",
          "windyaw",     "windstrength",   "startalpha",    "endalpha",      "startred",  "endred",
          "startgreen",  "endgreen",       "startblue",     "endblue",       "startsize", "sizedelta",
          "endsize",     "startangle",     "angledelta",    "startframe",    "framerate", "endframe",
          "lifetime",    "sprayrate",      "sprayforce",    "spraypitch",    "sprayyaw",  "drag",
          "bounce",      "bouncefriction", "additive",      "solid",         "texture",   "color",
          "empty",       "water",          "special",       "special2",      "special3"})
        EXPECT_NE(page.find(std::string("<code>") + word + "</code>"), std::string::npos) << word;
    for (const char *shortcut : {"F1", "F4", "Keypad 8", "Keypad 5", "Keypad 4", "Keypad 6"})
        EXPECT_NE(page.find(shortcut), std::string::npos) << shortcut;
}

}  // namespace
