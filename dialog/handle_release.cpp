// Release of GDI objects and message hooks that tolerates null handles.

#include "dialog/handle_release.h"

void DeleteGdiObject(HGDIOBJ object) {
    if (object) DeleteObject(object);
}

void RemoveMessageHook(HHOOK hook) {
    if (hook) UnhookWindowsHookEx(hook);
}
