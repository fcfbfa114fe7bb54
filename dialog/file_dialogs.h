// The system's open and save file dialogs, owned by the filter dialog while it is up.
#pragma once

#include <windows.h>

#include <cstdint>

enum FileDialogResult : int32_t {
    FILE_DIALOG_CHOSEN = 0,
    FILE_DIALOG_CANCELLED = -1,
    // anything else: the common-dialog error code
};

// Any of the out pointers may be null. filterIndex is read (1 when null or below 1) and
// written back.
int32_t ShowOpenFileDialog(uint32_t flags, char* file, uint32_t fileSize, int32_t* nameOffset,
                           int32_t* extensionOffset, char* fileTitle, uint32_t fileTitleSize,
                           const char* filter, char* customFilter, uint32_t customFilterSize,
                           int32_t* filterIndex, const char* initialFolder, const char* title,
                           const char* defaultExtension, uint32_t* flagsOut);
int32_t ShowSaveFileDialog(uint32_t flags, char* file, uint32_t fileSize, int32_t* nameOffset,
                           int32_t* extensionOffset, char* fileTitle, uint32_t fileTitleSize,
                           const char* filter, char* customFilter, uint32_t customFilterSize,
                           int32_t* filterIndex, const char* initialFolder, const char* title,
                           const char* defaultExtension, uint32_t* flagsOut);

// The flags sent to the system: explorer style forced; hook and template flags (and, for
// saving, multiple selection) removed, since the plug-in provides neither.
uint32_t FileDialogFlags(uint32_t flags, bool saving);
