// Release of system handles that may be null: GDI objects and message hooks.
#pragma once

#include <windows.h>

// Each does nothing for a null handle, so that callers release what they may never have got.
void DeleteGdiObject(HGDIOBJ object);
void RemoveMessageHook(HHOOK hook);
