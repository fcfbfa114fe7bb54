// Services around the filter dialog: redraw control, styles, colours, visual style and font of
// single controls, the dialog's placement and the work area, display settings, file search,
// shell folders and the host document's title.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// --- Redraw -------------------------------------------------------------------------------------
void RedrawDialog();
int32_t RefreshControl(int32_t n, int32_t now);
int32_t SuspendControlRedraw(int32_t n);
int32_t ResumeControlRedraw(int32_t n);
int32_t LockDialogUpdate(int32_t on);
void ShowSizeGrip(int32_t on);
void KeepPreviewFrame(int32_t flag);

// --- Styles, colours, visual style and font of a control --------------------------------------
int32_t AddControlStyle(int32_t n, uint32_t bits);
int32_t RemoveControlStyle(int32_t n, uint32_t bits);
int32_t RemoveControlStyleEx(int32_t n, uint32_t bits);
int32_t SetControlTextColor(int32_t n, int32_t color);
int32_t StoreControlTextColor(int32_t n, int32_t color);
int32_t SetControlEditBackColor(int32_t n, int32_t color);
int32_t SetControlEditTextColor(int32_t n, int32_t color);
int32_t GetSystemColor(int32_t index);
int32_t SetControlTheme(int32_t n, int32_t mode);
int32_t SetControlFont(int32_t n, int32_t slot);

// --- Display and placement -----------------------------------------------------------------------
int32_t GetDisplaySetting(int32_t what);
int32_t GetWorkAreaSize(int32_t vertical);
int32_t GetWorkAreaClientSize(int32_t vertical, int32_t withoutFrame);
int32_t GetDialogNormalWidth();
int32_t GetDialogNormalHeight();
int32_t GetDialogShowState();
int32_t SetDialogPlacement(int32_t state, int32_t width, int32_t height);

// --- Host and files -----------------------------------------------------------------------------
// Copies at most 256 bytes and a terminator into out; 0 (out untouched) without a title.
int32_t GetDocumentTitle(char* out);
// The search pattern as the system takes it: "*" added after a trailing backslash. The
// caller's pattern is never written.
std::string FileSearchPattern(const char* pattern);
// nameOut holds MAX_PATH bytes. INVALID_HANDLE_VALUE when nothing is found.
HANDLE FindFirstFileEntry(const char* pattern, char* nameOut, uint32_t* attributesOut);
int32_t FindNextFileEntry(HANDLE search, char* nameOut, uint32_t* attributesOut);
void EndFileSearch(HANDLE search);
// out holds MAX_PATH bytes; 0 on failure.
int32_t GetShellFolderPath(int32_t folderId, char* out);
