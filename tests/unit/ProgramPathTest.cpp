// SPDX-License-Identifier: MIT
#include "shared/ProgramPath.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ProgramPathTest, NamesTheRunningExecutableAndItsFolder)
{
    const std::string file = ProgramFile();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::path(file).is_absolute());
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(std::filesystem::path(file).filename(), "unit_tests");
    EXPECT_EQ(ProgramFolder() + "/unit_tests", file);
}
