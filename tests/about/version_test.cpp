// The program's version and the line the about box shows.
#include <gtest/gtest.h>

#include "uVersion.h"

namespace {

TEST(Version, ProgramVersionAndItsLine)
{
    EXPECT_EQ(ProgramFileVersion(), "1.0.1.229");
    EXPECT_EQ(VersionLine(ProgramFileVersion()), "Version 1.0.1.229");
    EXPECT_EQ(VersionLine(""), "Version <unknown>");
}

}  // namespace
