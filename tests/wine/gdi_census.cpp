#include "tests/wine/gdi_census.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "tests/wine/harness.h"

namespace kivo_test {

namespace {

// The entries in use of the GDI handle table that the process environment block points
// to (at 0x94 in a 32-bit block). Wine's entries are 24 bytes, with a type byte that is 0
// while the entry is free. Device contexts, regions and bitmaps are left out: Wine caches
// them for windows, a number that varies.
#pragma pack(push, 4)
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI handle table entry");
constexpr uint8_t GdiFontType = 0x0a, GdiBrushType = 0x10;
constexpr size_t GdiTableEntries = 0x10000;
constexpr size_t PebGdiTableOffset = 0x94;

FontsAndBrushes FontsAndBrushesOf(DWORD processId) {
    FontsAndBrushes counts;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    EXPECT_NE(process, nullptr);
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    DWORD table = 0;
    ReadProcessMemory(process,
                      reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + PebGdiTableOffset,
                      &table, sizeof table, nullptr);
    EXPECT_NE(table, 0u) << "no GDI handle table";
    std::vector<GdiHandleEntry> entries(GdiTableEntries);
    SIZE_T read = 0;
    ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)),
                      entries.data(), entries.size() * sizeof entries[0], &read);
    EXPECT_EQ(read, entries.size() * sizeof entries[0]);
    for (const GdiHandleEntry& entry : entries) {
        counts.fonts += entry.type == GdiFontType;
        counts.brushes += entry.type == GdiBrushType;
    }
    CloseHandle(process);
    return counts;
}

}  // namespace

FontsAndBrushes SettledFontsAndBrushesOf(DWORD processId) {
    FontsAndBrushes counts = FontsAndBrushesOf(processId);
    WaitFor([&] {
        Sleep(50);
        const FontsAndBrushes again = FontsAndBrushesOf(processId);
        const bool settled = again == counts;
        counts = again;
        return settled;
    });
    return counts;
}

}  // namespace kivo_test
