// The key texts of the settings file's lines, in the order the save writes them and the
// load looks for them.
#ifndef KIVO_SETTINGS_KEYS_H
#define KIVO_SETTINGS_KEYS_H

#include "resources/resource_ids.h"

struct ValueKey {
    const char* text;
    int controlId;
    unsigned pauseAfterMs;  // the save sleeps this long after writing the line
};

inline constexpr ValueKey ValueKeys[] = {
    {"Host=", IDC_HOST_FIELD, 0},
    {"myIP=", IDC_IP_FIELD, 54},
    {"Name=", IDC_USER_FIELD, 10},
    {"Pwd=", IDC_PASSWORD_FIELD, 22},
};
inline constexpr int ValueKeyCount = sizeof ValueKeys / sizeof ValueKeys[0];

inline constexpr char ValueSeparator[] = "|";
inline constexpr char AutoUpdateKey[] = "Auto=True";
inline constexpr unsigned AutoUpdatePauseMs = 36;
// The choice of this PC's IPv6 address. Its line holds none of the key texts above, so
// versions of Kivo from before the choice pass over it and load the rest as ever.
inline constexpr char OwnIpv6Key[] = "IPv6=True";
// The provider and the address-check service, as value lines after the others. Inside their
// values "%" is stored as "%25" and "=" as "%3D", so that no value holds a key text above
// and versions from before them pass over these lines too.
inline constexpr char ProviderKey[] = "Provider=";
inline constexpr char UpdateUrlKey[] = "UpdateUrl=";
inline constexpr char CheckUrlKey[] = "CheckUrl=";
inline constexpr char NoCheckValue[] = "none";

#endif
