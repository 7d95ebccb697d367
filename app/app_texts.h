// The main window's own texts. Sources are UTF-8; the compiler stores every
// literal in code page 936.
#ifndef KIVO_APP_TEXTS_H
#define KIVO_APP_TEXTS_H

#include <string>

#include "build_config.h"

inline constexpr char MainTitleText[] = "Kivo域名更新器 QQ:" KIVO_AUTHOR_QQ;
inline constexpr char HotkeyF3ErrorText[] = "热键F3注册失败,您将不能使用快捷键更新IP!!  ";
inline constexpr char HotkeyF4ErrorText[] = "热键F4注册失败,您将不能使用快捷键 显示/隐藏 窗口  ";
inline constexpr char ErrorCaption[] = "错误:";
inline constexpr char ChoiceNotSavedText[] = "服务商设置已生效,但未能保存到设置文件: ";
inline constexpr char SettingsUnreadableText[] = "设置文件暂时无法读取,稍后自动重试: ";
inline constexpr char PathOutsideCodePageText[] =
    "Kivo所在文件夹的名称含有本系统无法用于文件名的文字,设置、日志和状态都无法保存!"
    "请把Kivo移到名称只含中文、英文字母和数字的文件夹中再运行。";
inline constexpr char WelcomeBalloonText[] = "欢迎使用Kivo域名更新器!";
inline constexpr char WelcomeBalloonTitle[] = "Hi!";
inline constexpr char ClosingBoxCaption[] = "提示";
inline constexpr char ResultBalloonTitle[] = "Kivo域名更新器";
inline constexpr char NoLogYetText[] = "还没有日志,更新或检查一次后才会记录!";

// A system DLL, or a function of it (when function is not null), that Kivo could not load,
// and what Kivo cannot do without it.
std::string MissingSystemPartText(const char* dll, const char* function, const char* loss);
inline constexpr char NoUpdatesLoss[] = "将不能更新域名";
inline constexpr char NoOwnIpv6Loss[] = "将不能使用本机IPv6地址";

// The usage text of InfoBox: seventeen lines joined by CR LF, none after the last.
std::string UsageText();

#endif
