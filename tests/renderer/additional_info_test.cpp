// The renderer's information text: GL strings and the archive list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AdditionalInfo.h"

using namespace gx;

TEST(AdditionalInfo, ListsArchivesAndCutsAtALineEnd)
{
    char buffer[512];
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", nullptr, 0);
    EXPECT_STREQ(buffer, "GL_VENDOR:  V\nGL_RENDERER:  R\nGL_VERSION:  1.1\n\nLoaded packages:\n");

    const char *two[] = {"/games/id1/pak0.pak", "/games/mod/pak0.pak"};
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", two, 2);
    EXPECT_TRUE(
        std::string(buffer).ends_with("Loaded packages:\n/games/id1/pak0.pak\n/games/mod/pak0.pak\n"));

    std::vector<std::string> paths;
    std::vector<const char *> pointers;
    for (int i = 0; i < 40; ++i)
        paths.push_back("/a/rather/long/game/directory/number/" + std::to_string(i) + "/pak.pak");
    for (const std::string &p : paths)
        pointers.push_back(p.c_str());
    std::memset(buffer, 'x', sizeof buffer);
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", pointers.data(), 40);
    const std::string text(buffer, strnlen(buffer, sizeof buffer));
    ASSERT_LT(text.size(), sizeof buffer);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find(paths[0] + "\n"), std::string::npos);
    // Every listed path is whole.
    size_t lines = 0;
    for (const std::string &p : paths)
        lines += text.find(p + "\n") != std::string::npos;
    EXPECT_GT(lines, 5u);
    EXPECT_LT(lines, 40u);
    EXPECT_EQ(text.find(paths[lines]), std::string::npos);

    char tiny[1] = {'x'};
    BuildAdditionalInfo(tiny, 1, "V", "R", "1.1", nullptr, 0);
    EXPECT_EQ(tiny[0], '\0');
}
