// Which names the installer accepts for products, plug-in files and sub folders. Names come
// from "Fitwright.ini", the registry profile and the user; none may reach outside the
// folders the installer works in.
#pragma once

#include <string>

// A product names one sub-key of the installer's own key: not empty, no backslash, no
// control characters.
bool ProductNameIsValid(const std::wstring& name);

// A file or sub-folder name relative to a target folder: not empty, no drive or stream
// (colon), no leading backslash or slash, no wildcards, no part that is empty or made of dots
// and blanks only (".."), no control characters.
bool RelativeNameIsSafe(const std::wstring& name);
