// The About window's texts and the rule by which its credits scroll.
#ifndef KIVO_ABOUT_RULES_H
#define KIVO_ABOUT_RULES_H

#include <cstdint>
#include <string>

#include "build_config.h"

inline constexpr char AboutTitleText[] = "关于 Kivo域名更新器";
inline constexpr char VersionText[] = "版本 " KIVO_VERSION;
inline constexpr char AuthorLabelText[] = "『由[" KIVO_AUTHOR_NAME "!]编写』";
inline constexpr char HomePageAddress[] = KIVO_HOME_PAGE;

// Every line of the credits takes 12 pixels at 96 DPI, and they rise 1 pixel a tick.
inline constexpr int CreditsLineHeight = 12;
inline constexpr int CreditsRise = 1;

// The credits' line height and rise per tick at a DPI.
struct CreditsPace {
    int16_t lineHeight;
    int16_t rise;
};
CreditsPace CreditsPaceAt(int dpi);

// The number of line feeds in the text, but at least 1.
int16_t CountLines(const std::string& text);

// The scrolling credits: lines separated by bare line feeds, each line with text followed
// by an empty one, ending in a line feed and one space.
std::string CreditsText();

// One timer tick of the credits. `top` is the credits window's y in the frame's client
// area, `viewHeight` the frame's client height, where the credits start and start again.
struct CreditsStep {
    int16_t placedTop;  // where the window is put at this tick: the pace's rise higher
    int16_t nextTop;    // the top the next tick starts from
};
CreditsStep ScrollCredits(int16_t top, int16_t viewHeight, int16_t lineCount,
                          const CreditsPace& pace);

#endif
