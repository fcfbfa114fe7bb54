// The module-wide globals of the per-call data block, kept apart from the entry point so that
// test programs can link the framework without the DLL's start-up code.

#include "host/plugin_data.h"

PluginDataBlock* gDataBlock = nullptr;
HMODULE gModule = nullptr;
