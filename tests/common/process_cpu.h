// The processor time this process has used so far: tests that threads asleep use none.
#pragma once

#include <windows.h>

#include <cstdint>

// Kernel and user time of every thread of the process, in milliseconds.
inline int64_t ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return int64_t((uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000);
    };
    return ms(kernel) + ms(user);
}
