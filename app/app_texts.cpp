#include "app/app_texts.h"

#include "base/text_lines.h"

std::string UsageText() {
    static const char* const lines[] = {
        "",
        "Kivo域名更新器",
        "",
        "小巧,绿色,方便,快捷!",
        "",
        "使用简介:",
        "",
        "F3-更新IP   F4-显示/隐藏窗口",
        "",
        "",
        "本程序由" KIVO_AUTHOR_NAME "制作",
        "",
        KIVO_AUTHOR_NAME "! QQ:" KIVO_AUTHOR_QQ,
        "",
        KIVO_HOME_PAGE,
        "",
        "如有建议,请与我联系!",
    };
    return JoinLines(lines, "\r\n");
}

std::string MissingSystemPartText(const char* dll, const char* function, const char* loss) {
    std::string text = std::string("无法加载系统组件 ") + dll;
    if (function) text += std::string(" 中的函数 ") + function;
    return text + "," + loss + "!";
}
