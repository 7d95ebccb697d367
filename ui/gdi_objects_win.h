// GDI objects that a handler creates and must delete before it returns.
#ifndef KIVO_GDI_OBJECTS_WIN_H
#define KIVO_GDI_OBJECTS_WIN_H

#include <windows.h>

// Deletes the object when the scope ends, on every path.
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object) : object_(object) {}
    ~ScopedGdiObject() {
        if (object_) DeleteObject(object_);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

    HGDIOBJ get() const { return object_; }
    HBRUSH brush() const { return static_cast<HBRUSH>(object_); }

private:
    HGDIOBJ object_;
};

// Selects an object into a DC for the scope and then puts the previous one back: an
// object still selected into a DC cannot be deleted. Declare it after the object's holder.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, const ScopedGdiObject& object)
        : dc_(dc), previous_(SelectObject(dc, object.get())) {}
    ~ScopedSelection() { SelectObject(dc_, previous_); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The dialogs' "宋体" at 12 pixels, in the given weight (FW_BOLD for titles).
inline HFONT CreateSongtiFont(int weight) {
    return CreateFontA(-12, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                       "宋体");
}

#endif
