// The main window's usage text.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_texts.h"

TEST(UsageText, SeventeenLinesJoinedByCrLfWithNoneAfterTheLast) {
    const std::string text = UsageText();
    size_t lineEnds = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, 16u);
    EXPECT_EQ(text.substr(0, 2), "\r\n");  // the first line is empty
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);  // no bare line feeds
    EXPECT_NE(text.find("\r\nF3-更新IP   F4-显示/隐藏窗口\r\n\r\n\r\n本程序由"), std::string::npos);
}
