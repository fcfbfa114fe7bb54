// Window classes and control ids of Fitwright's windows; the test driver finds them by
// these.
#pragma once

#define FITWRIGHT_MAIN_CLASS L"FitwrightMainWindow"
#define FITWRIGHT_INFO_CLASS L"FitwrightInfoWindow"

// Main window (TForm1).
#define IDC_LABEL1 1001
#define IDC_LABEL2 1002
#define IDC_LABEL3 1003
#define IDC_LABEL4 1004
#define IDC_COMBOBOX1 1010
#define IDC_GROUPBOX1 1011
#define IDC_CHECKLISTBOX1 1012
#define IDC_CHECKBOX1 1013
#define IDC_BUTTON1 1021  // Install
#define IDC_BUTTON2 1022  // Exit
#define IDC_BUTTON3 1023  // Add Folder
#define IDC_BUTTON4 1024  // Uninstall
#define IDC_BUTTON5 1025  // Help
#define IDC_BUTTON6 1026  // Explore
#define IDC_BUTTON7 1027  // Run
#define IDC_BUTTON8 1028  // "?" product information

// Help and product information dialog (TForm2).
#define IDC_INFO_MEMO1 1101
#define IDC_INFO_BUTTON1 1102  // OK
#define IDC_INFO_BUTTON2 1103  // Delete

// Sub-folder input box.
#define IDD_SUBFOLDER 200
#define IDC_PROMPT_TEXT 201
#define IDC_PROMPT_VALUE 202
