// The 64-bit view of a 32-bit installer on 64-bit Windows: WOW64 detection, the switch of
// the 64-bit mode, and the system folders that depend on the view.
#pragma once

#include <string>

// True only when kernel32 reports that this process runs under WOW64.
bool IsWow64();

// Switches the 64-bit mode on or off and sets the main window's caption to match. False
// without WOW64 or without the redirection functions. Callers set gModes.sixtyFourBitMode
// themselves. File-system redirection is switched off only around the installer's own file
// operations (FsRedirectionScope): off for the whole thread it breaks the shell's dialogs
// and ShellExecute.
bool SetSixtyFourBitMode(bool on);

// Turns file-system redirection off for its lifetime while the 64-bit mode is on.
class FsRedirectionScope {
  public:
    FsRedirectionScope();
    ~FsRedirectionScope();
    FsRedirectionScope(const FsRedirectionScope&) = delete;
    FsRedirectionScope& operator=(const FsRedirectionScope&) = delete;

  private:
    void* oldValue_;
    bool disabled_;
};

// The program files folder with a final backslash (empty when unknown): the 64-bit one or the
// 32-bit one under WOW64, the only one otherwise.
std::wstring GetProgramFilesDir(bool sixtyFourBit);

// The file-system path of a shell special folder (CSIDL number); empty on failure.
std::wstring GetSpecialFolderPath(int folder);
