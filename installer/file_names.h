// Which names the installer accepts for products, plug-in files, sub folders and added
// folders. Names come from "Fitwright.ini", the registry profile and the user; none may reach
// outside the folders the installer works in.
#pragma once

#include <string>
#include <vector>

// A product names one sub-key of the installer's own key: not empty, no backslash, no
// control characters.
bool ProductNameIsValid(const std::wstring& name);

// A name Windows opens as a device ("CON", "NUL", "AUX.8bf", "COM1", "LPT1.txt" ...), in any
// case and with any extension.
bool IsDeviceName(const std::wstring& part);

// A file or sub-folder name relative to a target folder: not empty, no drive or stream
// (colon), no leading backslash or slash, no wildcards, no part that is empty, made of dots
// and blanks only (".."), or a device name, no control characters.
bool RelativeNameIsSafe(const std::wstring& name);

// Why an added folder must not be used, or empty when it may: it must be absolute ("C:\..."
// or "\\server\share\..."), below a drive or share root, without the "\\?\" or "\\.\"
// prefix, without "." or ".." parts, device names or wildcards. Whether it lies in the
// Windows folder is a question for the file system (FolderIsWithin).
std::wstring AddedFolderProblem(const std::wstring& folder);
