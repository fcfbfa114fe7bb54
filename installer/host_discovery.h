// Host discovery: resolves the host table into the host list (items, plug-in folders,
// program paths), in one pass or, in the dual mode under WOW64, a 64-bit and a 32-bit pass.
#pragma once

#include <string>

// Fills gHosts from the table; sets the caption in the dual mode; tells the user (or, in
// unattended runs, the exit code) when nothing was found.
void BuildHostList();

// The message shown when no host was found, in the current language.
std::wstring NoHostFoundText();
