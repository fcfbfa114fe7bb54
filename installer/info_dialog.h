// The help and product information dialog (TForm2): a read-only text, OK, and for the
// product information a Delete button that removes the current product's profile.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

enum InfoKind : int32_t {
    INFO_HELP,     // opened by Help (Button5)
    INFO_PRODUCT,  // opened by "?" (Button8)
};

// The texts of the dialog, in the current language, from the current product.
std::wstring InfoHelpText();
std::wstring InfoProductText();

// Shows the dialog modally over the main window.
void InfoDialogShow(HWND mainWindow, InfoKind kind);
