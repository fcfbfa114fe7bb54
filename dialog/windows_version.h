// The operating-system version code the effect and the framework branch on.
#pragma once

#include <cstdint>

enum WindowsVersionCode : int32_t {
    WINVER_WIN32S = 1,
    WINVER_95 = 2,
    WINVER_95_OSR2 = 3,
    WINVER_98 = 4,
    WINVER_98_SE = 5,
    WINVER_ME = 6,
    WINVER_NT4 = 7,
    WINVER_2000 = 8,
    WINVER_XP = 9,
    WINVER_2003 = 10,
    WINVER_VISTA = 11,
    WINVER_7 = 12,
    WINVER_LATER = 13,
};

// The code of a version record: platform id (0 Win32s, 1 Windows 9x, 2 NT), major and minor
// version and the first letter of the service text (9x only).
int32_t WindowsVersionFromRecord(uint32_t platform, uint32_t major, uint32_t minor,
                                 char serviceLetter);

// The code of the running system, computed once.
int32_t GetWindowsVersion();
