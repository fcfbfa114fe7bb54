// Install and uninstall: copying the product's files into the checked hosts' plug-in
// folders (and panel folders) and removing them again.
#pragma once

#include <string>

// The 1-based position of part in text after its first `start` characters, counted in the
// whole text; 0 when it does not occur.
size_t PosFrom(const std::wstring& part, const std::wstring& text, size_t start);

// The characters after the first marker up to the next delimiter (searched from the second
// character after the marker on) or to the end; empty when the marker does not occur.
std::wstring TextBetween(const std::wstring& text, const std::wstring& marker,
                         const std::wstring& delimiter);

// A Photoshop CS4 or later item in the panel mode: its panel folder gets the panel files.
bool IsPanelHost(const std::wstring& itemText);

// Target folder of host n, with the sub folder when it is in use; a final backslash.
std::wstring HostTargetFolder(size_t index);
std::wstring HostPanelFolder(size_t index);

// Button1Click and Button4Click.
void InstallRun();
void UninstallRun();
