// The operating-system version code: one table from the version record, read once.

#include "dialog/windows_version.h"

#include <windows.h>

namespace {
int32_t gWindowsVersion = 0;  // 0 until read
}

int32_t WindowsVersionFromRecord(uint32_t platform, uint32_t major, uint32_t minor,
                                 char serviceLetter) {
    if (platform == VER_PLATFORM_WIN32s) return WINVER_WIN32S;
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        if (minor < 10)
            return serviceLetter == 'B' || serviceLetter == 'C' ? WINVER_95_OSR2 : WINVER_95;
        if (minor < 90) return serviceLetter == 'A' ? WINVER_98_SE : WINVER_98;
        return WINVER_ME;
    }
    if (major <= 4) return WINVER_NT4;
    if (major == 5) return minor == 0 ? WINVER_2000 : minor == 1 ? WINVER_XP : WINVER_2003;
    if (major == 6 && minor == 0) return WINVER_VISTA;
    if (major == 6 && minor == 1) return WINVER_7;
    return WINVER_LATER;
}

int32_t GetWindowsVersion() {
    if (gWindowsVersion) return gWindowsVersion;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return WINVER_LATER;
    gWindowsVersion = WindowsVersionFromRecord(version.dwPlatformId, version.dwMajorVersion,
                                               version.dwMinorVersion, version.szCSDVersion[1]);
    return gWindowsVersion;
}
