#include "tests/wine/dialog_template.h"

#include <gtest/gtest.h>

namespace kivo_test {

namespace {

class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Read() {
        T value{};
        if (at_ + sizeof value > size_) {
            ok_ = false;
            return value;
        }
        memcpy(&value, data_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }

    std::string ReadString() {
        std::wstring wide;
        for (wchar_t c = Read<uint16_t>(); ok_ && c != 0; c = Read<uint16_t>()) wide += c;
        return Narrow(wide);
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal result;
        const size_t start = at_;
        const uint16_t first = Read<uint16_t>();
        if (first == 0xFFFF) {
            result.isOrdinal = true;
            result.ordinal = Read<uint16_t>();
        } else if (first != 0) {
            at_ = start;
            result.text = ReadString();
        }
        return result;
    }

    void AlignToDword() { at_ = (at_ + 3) & ~size_t(3); }
    void Skip(size_t bytes) { at_ += bytes; }

private:
    static std::string Narrow(const std::wstring& wide) {
        if (wide.empty()) return std::string();
        const int length = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()),
                                               nullptr, 0, nullptr, nullptr);
        std::string narrow(length, '\0');
        WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], length,
                            nullptr, nullptr);
        return narrow;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

void ReadHeader(TemplateReader& in, DialogTemplate* dialog, uint16_t* count) {
    const uint32_t first = in.Read<uint32_t>();
    dialog->extended = (first >> 16) == 0xFFFF;
    if (dialog->extended) {
        dialog->version = first & 0xFFFF;
        dialog->signature = 0xFFFF;
        dialog->helpId = in.Read<uint32_t>();
        dialog->exStyle = in.Read<uint32_t>();
        dialog->style = in.Read<uint32_t>();
    } else {
        dialog->style = first;
        dialog->exStyle = in.Read<uint32_t>();
    }
    *count = in.Read<uint16_t>();
    dialog->x = in.Read<int16_t>();
    dialog->y = in.Read<int16_t>();
    dialog->cx = in.Read<int16_t>();
    dialog->cy = in.Read<int16_t>();
    dialog->menu = in.ReadNameOrOrdinal();
    dialog->windowClass = in.ReadNameOrOrdinal();
    dialog->title = in.ReadString();
    if (dialog->style & DS_SETFONT) {
        dialog->pointSize = in.Read<uint16_t>();
        if (dialog->extended) {
            dialog->weight = in.Read<uint16_t>();
            dialog->italic = in.Read<uint8_t>();
            dialog->charset = in.Read<uint8_t>();
        }
        dialog->typeface = in.ReadString();
    }
}

DialogItem ReadItem(TemplateReader& in, bool extended) {
    DialogItem item;
    in.AlignToDword();
    if (extended) {
        item.helpId = in.Read<uint32_t>();
        item.exStyle = in.Read<uint32_t>();
        item.style = in.Read<uint32_t>();
    } else {
        item.style = in.Read<uint32_t>();
        item.exStyle = in.Read<uint32_t>();
    }
    item.x = in.Read<int16_t>();
    item.y = in.Read<int16_t>();
    item.cx = in.Read<int16_t>();
    item.cy = in.Read<int16_t>();
    item.id = extended ? in.Read<int32_t>() : in.Read<int16_t>();
    item.windowClass = in.ReadNameOrOrdinal();
    item.text = in.ReadNameOrOrdinal();
    item.creationDataSize = in.Read<uint16_t>();
    in.Skip(item.creationDataSize);
    return item;
}

}  // namespace

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const DialogItem& item = dialog.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " id " + std::to_string(want.id));
        EXPECT_EQ(item.id, want.id);
        EXPECT_TRUE(item.windowClass.isOrdinal);
        EXPECT_EQ(item.windowClass.ordinal, want.classAtom);
        EXPECT_FALSE(item.text.isOrdinal);
        EXPECT_EQ(item.text.text, want.text);
        EXPECT_EQ(item.style, want.style) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, want.exStyle);
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.creationDataSize, 0);
    }
}

bool LoadDialogTemplate(const std::string& exePath, int id, LANGID language,
                        DialogTemplate* result) {
    HMODULE module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        ADD_FAILURE() << "cannot load " << exePath;
        return false;
    }
    bool ok = false;
    HRSRC resource = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG),
                                     MAKEINTRESOURCEA(id), language);
    if (!resource) {
        ADD_FAILURE() << "no dialog " << id << " in language " << language;
    } else {
        const auto* data =
            static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
        TemplateReader in(data, SizeofResource(module, resource));
        *result = DialogTemplate();
        uint16_t count = 0;
        ReadHeader(in, result, &count);
        for (uint16_t i = 0; i < count && in.ok(); ++i) {
            result->items.push_back(ReadItem(in, result->extended));
        }
        ok = in.ok();
        if (!ok) ADD_FAILURE() << "dialog " << id << " is cut short";
    }
    FreeLibrary(module);
    return ok;
}

}  // namespace kivo_test
