// The main window of Fitwright (TForm1): controls, command words, start-up, buttons, the
// host list and the unattended timers.
#pragma once

#include <string>
#include <vector>

// The command words a setup program passes, each compared exactly (case-sensitive) with
// every argument, the program path included.
struct CommandWords {
    bool german, dualWin, sixtyFourBit, panel, pseOnly, pspse;
    bool showMessage, noUninstall, noRun, noExplore, noInstall, subFolder;
    bool uninstallMessage, doUninstall, stayOnTop, noProduct, silent;
    bool product;              // "Product" was given
    std::wstring productName;  // the argument after the last "Product" (empty at the end)
};

CommandWords CommandWordsScan(const std::vector<std::wstring>& arguments);

// Creates the main window, runs the start-up sequence and the message loop; returns the
// process exit code (non-zero when any handler failed).
int MainWindowRun(const std::vector<std::wstring>& arguments, int showCommand);
