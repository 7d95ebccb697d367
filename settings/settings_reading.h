// How the load reads the settings file: its lines, and what each line sets.
#ifndef KIVO_SETTINGS_READING_H
#define KIVO_SETTINGS_READING_H

#include <string>
#include <vector>

// The file's lines: each ends at LF or CR LF, which is not kept; a CR without LF is
// dropped; a Ctrl-Z (0x1A) ends the file. Lines may be of any length.
std::vector<std::string> ReadSettingsLines(const std::string& fileBytes);

enum class LineAction { Ignore, SetField, CheckAutoUpdate };

struct LineMeaning {
    LineAction action = LineAction::Ignore;
    int controlId = 0;  // for SetField
    std::string value;  // for SetField; may hold zero bytes
};

// Decodes the line (a line that does not decode is taken as it was read) and acts on the
// key text (Host=, myIP=, Name=, Pwd= or Auto=True) that starts earliest in it. A value
// runs to the last "|" that only digits follow, or else to the first "|" after the key.
LineMeaning InterpretSettingsLine(const std::string& lineAsRead);

// Whether the line chooses this PC's IPv6 address: it holds "IPv6=True" and nothing that
// InterpretSettingsLine acts upon.
bool ChoosesOwnIpv6(const std::string& lineAsRead);

// A choice line (Provider=, UpdateUrl=, CheckUrl=) that InterpretSettingsLine passes over:
// its key and its value, with "%25" and "%3D" read back as "%" and "=".
struct ChoiceLine {
    const char* key = nullptr;  // null: the line is no choice line
    std::string value;
};
ChoiceLine ReadChoiceLine(const std::string& lineAsRead);

#endif
