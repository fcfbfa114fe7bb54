// Open and save file dialogs: one request record filled the same way for both.

#include "dialog/file_dialogs.h"

#include <commdlg.h>

#include "dialog/dialog_window.h"

namespace {

using GetFileNameProc = BOOL(WINAPI*)(OPENFILENAMEA*);

int32_t ShowFileDialog(GetFileNameProc show, bool saving, uint32_t flags, char* file,
                       uint32_t fileSize, int32_t* nameOffset, int32_t* extensionOffset,
                       char* fileTitle, uint32_t fileTitleSize, const char* filter,
                       char* customFilter, uint32_t customFilterSize, int32_t* filterIndex,
                       const char* initialFolder, const char* title, const char* defaultExtension,
                       uint32_t* flagsOut) {
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = gDialog;
    request.lpstrFilter = filter;
    request.lpstrCustomFilter = customFilter;
    request.nMaxCustFilter = customFilter ? customFilterSize : 0;
    request.nFilterIndex = filterIndex && *filterIndex > 0 ? DWORD(*filterIndex) : 1;
    request.lpstrFile = file;
    request.nMaxFile = file ? fileSize : 0;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = fileTitle ? fileTitleSize : 0;
    request.lpstrInitialDir = initialFolder;
    request.lpstrTitle = title;
    request.lpstrDefExt = defaultExtension;
    request.Flags = FileDialogFlags(flags, saving);
    if (show(&request)) {
        if (nameOffset) *nameOffset = request.nFileOffset;
        if (extensionOffset) *extensionOffset = request.nFileExtension;
        if (filterIndex) *filterIndex = int32_t(request.nFilterIndex);
        if (flagsOut) *flagsOut = request.Flags;
        return FILE_DIALOG_CHOSEN;
    }
    DWORD error = CommDlgExtendedError();
    return error ? int32_t(error) : FILE_DIALOG_CANCELLED;
}

}  // namespace

uint32_t FileDialogFlags(uint32_t flags, bool saving) {
    flags |= OFN_EXPLORER;
    flags &= ~uint32_t(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE);
    if (saving) flags &= ~uint32_t(OFN_ALLOWMULTISELECT);
    return flags;
}

int32_t ShowOpenFileDialog(uint32_t flags, char* file, uint32_t fileSize, int32_t* nameOffset,
                           int32_t* extensionOffset, char* fileTitle, uint32_t fileTitleSize,
                           const char* filter, char* customFilter, uint32_t customFilterSize,
                           int32_t* filterIndex, const char* initialFolder, const char* title,
                           const char* defaultExtension, uint32_t* flagsOut) {
    return ShowFileDialog(GetOpenFileNameA, false, flags, file, fileSize, nameOffset,
                          extensionOffset, fileTitle, fileTitleSize, filter, customFilter,
                          customFilterSize, filterIndex, initialFolder, title, defaultExtension,
                          flagsOut);
}

int32_t ShowSaveFileDialog(uint32_t flags, char* file, uint32_t fileSize, int32_t* nameOffset,
                           int32_t* extensionOffset, char* fileTitle, uint32_t fileTitleSize,
                           const char* filter, char* customFilter, uint32_t customFilterSize,
                           int32_t* filterIndex, const char* initialFolder, const char* title,
                           const char* defaultExtension, uint32_t* flagsOut) {
    return ShowFileDialog(GetSaveFileNameA, true, flags, file, fileSize, nameOffset,
                          extensionOffset, fileTitle, fileTitleSize, filter, customFilter,
                          customFilterSize, filterIndex, initialFolder, title, defaultExtension,
                          flagsOut);
}
