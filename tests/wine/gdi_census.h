// Counts the fonts and brushes that another process holds, a check of GDI leaks that works
// under Wine, where GetGuiResources always answers 0.
#ifndef KIVO_TESTS_GDI_CENSUS_H
#define KIVO_TESTS_GDI_CENSUS_H

#include <windows.h>

#include <ostream>

namespace kivo_test {

struct FontsAndBrushes {
    int fonts = 0;
    int brushes = 0;
    bool operator==(const FontsAndBrushes& other) const {
        return fonts == other.fonts && brushes == other.brushes;
    }
};

inline std::ostream& operator<<(std::ostream& out, const FontsAndBrushes& counts) {
    return out << counts.fonts << " fonts, " << counts.brushes << " brushes";
}

// Painting creates and deletes them all the time: reads until two readings agree.
FontsAndBrushes SettledFontsAndBrushesOf(DWORD processId);

}  // namespace kivo_test

#endif
