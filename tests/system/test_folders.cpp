#include <gtest/gtest.h>

#include "system/folders.h"

TEST(Folders, AppFolderEndsInSeparator) {
    std::string app = GetAppFolder();
    ASSERT_FALSE(app.empty());
    EXPECT_EQ(app.back(), '\\');
}
