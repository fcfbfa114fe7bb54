// The two prompts of the main window: the shell's folder dialog (Add Folder) and the input
// box for the sub-folder name.
#pragma once

#include <windows.h>

#include <string>

// The chosen folder (at most MAX_PATH characters), or empty when the user cancelled.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title, UINT flags);

// Edits value in a modal input box; false when the user cancelled.
bool SubFolderPrompt(HWND owner, const std::wstring& title, const std::wstring& prompt,
                     std::wstring* value);
