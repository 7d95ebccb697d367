// The IP helper functions that Kivo calls, from the system folder's iphlpapi.dll: the
// import table does not name it, so no iphlpapi.dll beside kivo.exe is ever loaded.
#ifndef KIVO_IPHLPAPI_WIN_H
#define KIVO_IPHLPAPI_WIN_H

#include <windows.h>
#include <iphlpapi.h>

#include "base/system_library_win.h"

// The adapter list is declared only after Winsock 2, which must come before <windows.h>:
// it stays opaque here. NotifyUnicastIpAddressChange came with Vista, so it has
// declarations of its own, and none of the program needs a newer _WIN32_WINNT. The row is
// not read, so it stays opaque too.
typedef ULONG(WINAPI* GetAdaptersAddressesFunction)(ULONG family, ULONG flags, PVOID reserved,
                                                    PVOID adapterAddresses, PULONG size);
typedef VOID(WINAPI* UnicastChangeCallback)(PVOID context, PVOID row, int notificationType);
typedef DWORD(WINAPI* NotifyUnicastChangeFunction)(unsigned short family,
                                                   UnicastChangeCallback callback, PVOID context,
                                                   BOOLEAN initialNotification,
                                                   HANDLE* notificationHandle);

struct IpHelperFunctions {
    GetAdaptersAddressesFunction GetAdaptersAddresses;
    decltype(&::NotifyAddrChange) NotifyAddrChange;
    // Null before Vista, which is no trouble: the IPv4 watch and the checks carry on.
    NotifyUnicastChangeFunction NotifyUnicastIpAddressChange;
};

// Loaded at the first call, which comes on the window's thread before the worker starts;
// null when iphlpapi.dll or one of its XP functions could not be loaded.
const IpHelperFunctions* IpHelper();
// What the first call loaded, and what it could not.
const SystemLibrary& IpHelperLibrary();

#endif
