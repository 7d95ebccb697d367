// Reads a dialog template, plain (DLGTEMPLATE) or extended (DLGTEMPLATEEX), out of an
// executable's resources, so that tests can compare it with what the window must be.
#ifndef KIVO_TESTS_DIALOG_TEMPLATE_H
#define KIVO_TESTS_DIALOG_TEMPLATE_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kivo_test {

// A string or an ordinal, as templates hold class names, texts and menus. Strings are
// converted to code page 936 so that tests compare them with the program's literals.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text;
};

struct DialogItem {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;  // 16 bits in plain templates, shown sign-extended
    NameOrOrdinal windowClass;
    NameOrOrdinal text;
    uint16_t creationDataSize = 0;
};

struct DialogTemplate {
    bool extended = false;
    uint16_t version = 0, signature = 0;
    uint32_t helpId = 0, exStyle = 0, style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    std::string title;
    uint16_t pointSize = 0, weight = 0;
    uint8_t italic = 0, charset = 0;
    std::string typeface;
    std::vector<DialogItem> items;
};

constexpr LANGID ChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052

constexpr uint16_t ButtonAtom = 0x0080, EditAtom = 0x0081, StaticAtom = 0x0082;

// One control as a template must hold it (help id 0 and no creation data, always).
struct ExpectedItem {
    int id;
    uint16_t classAtom;
    const char* text;
    uint32_t style;
    int16_t x, y, cx, cy;
    uint32_t exStyle = 0;
};

// Compares the template's controls, in order, with the table.
void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected);

// Loads template `id` in language `language` from the executable at `exePath`.
// Fails the current test (and returns false) when it is missing or malformed.
bool LoadDialogTemplate(const std::string& exePath, int id, LANGID language,
                        DialogTemplate* result);

}  // namespace kivo_test

#endif
