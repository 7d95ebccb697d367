#include "ui/about_rules.h"

#include "base/text_lines.h"
#include "ui/chrome_rules.h"

int16_t CountLines(const std::string& text) {
    int16_t lines = 1;
    for (char c : text) {
        if (c == '\n') ++lines;
    }
    if (lines > 1) --lines;
    return lines;
}

std::string CreditsText() {
    static const char* const lines[] = {
        "本软件由" KIVO_AUTHOR_NAME "制作",
        "",
        "〖联系方式〗",
        "",
        "QQ:" KIVO_AUTHOR_QQ,
        "",
        "E-Mail:" KIVO_AUTHOR_EMAIL,
        "",
        KIVO_HOME_PAGE,
        "",
        "〖快捷键〗",
        "",
        "F3: 更新IP",
        "",
        "F4:显示/隐藏窗口",
        "",
        "〖特别感谢〗",
        "",
        "ZUDE, ZIV",
        "",
        "以及所有曾帮助过我的人",
        " ",
    };
    return JoinLines(lines, "\n");
}

CreditsPace CreditsPaceAt(int dpi) {
    return {static_cast<int16_t>(ScaledPixels(CreditsLineHeight, dpi)),
            static_cast<int16_t>(ScaledPixels(CreditsRise, dpi))};
}

CreditsStep ScrollCredits(int16_t top, int16_t viewHeight, int16_t lineCount,
                          const CreditsPace& pace) {
    const int16_t placed = static_cast<int16_t>(top - pace.rise);
    // Once the whole window lies above the frame it starts again from below; it is not
    // moved now, so the next tick places it one rise above the frame's bottom edge.
    const bool leftAtTheTop = placed + pace.lineHeight * lineCount < 0;
    return {placed, leftAtTheTop ? viewHeight : placed};
}
