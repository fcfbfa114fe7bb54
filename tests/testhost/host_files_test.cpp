// The test host's files and watcher: PNG images at 8 and 16 bits, descriptor files, and the
// message boxes it reads and answers.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "tools/testhost/host_internal.h"
#include "tools/testhost/message_box_reader.h"

namespace {
std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::string SamplePath(const char* name) {
    const char* source = getenv("GREYLOOM_SOURCE_DIR");
    return std::string(source ? source : "..") + "/samples/" + name;
}

TEST(HostImageFiles, SampleScalesMapOntoEachOther) {
    struct Case {
        uint16_t file16, host16;
    };
    for (const Case& c : {Case{0, 0}, Case{65535, 32768}, Case{32768, 16384}, Case{2, 1}}) {
        EXPECT_EQ(HostSampleFrom16BitFile(c.file16), c.host16) << c.file16;
        EXPECT_EQ(HostSampleTo16BitFile(c.host16), c.file16 == 32768 ? 32768 : c.file16);
    }
    EXPECT_EQ(HostSample8To16(255), 32768);
    EXPECT_EQ(HostSample8To16(128), 16448);
    EXPECT_EQ(HostSample16To8(16448), 128);
    // Every host sample survives a trip through a 16-bit file, every 8-bit one through 16 bits.
    for (uint32_t v = 0; v <= kHostMax16; ++v)
        ASSERT_EQ(HostSampleFrom16BitFile(HostSampleTo16BitFile(uint16_t(v))), v);
    for (uint32_t v = 0; v <= 255; ++v) ASSERT_EQ(HostSample16To8(HostSample8To16(uint16_t(v))), v);
}

TEST(HostImageFiles, PngRoundTripsAtBothDepthsWithAndWithoutTransparency) {
    for (int32_t depth : {8, 16})
        for (int32_t planes : {3, 4}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, " << planes << " planes");
            HostImage image = HostImageMake(7, 5, planes, depth);
            const uint32_t modulus = depth == 16 ? kHostMax16 + 1 : 256;
            for (size_t i = 0; i < image.samples.size(); ++i)
                image.samples[i] = uint16_t((i * 2654435761u) % modulus);
            image.samples[0] = uint16_t(modulus - 1);
            const std::string path = TempPath("testhost-roundtrip.png");
            std::string error;
            ASSERT_TRUE(HostImageWritePng(path, image, &error)) << error;
            HostImage back;
            ASSERT_TRUE(HostImageReadPng(path, 0, 0, &back, &error)) << error;
            EXPECT_EQ(back.width, 7);
            EXPECT_EQ(back.height, 5);
            EXPECT_EQ(back.planes, planes);
            EXPECT_EQ(back.depth, depth);
            EXPECT_EQ(back.samples, image.samples);
            // Read at the other depth, then converted back, the samples are the same.
            HostImage other;
            ASSERT_TRUE(HostImageReadPng(path, depth == 8 ? 16 : 8, planes, &other, &error));
            if (depth == 8) {
                EXPECT_EQ(HostImageConvertDepth(other, 8).samples, image.samples);
            }
            DeleteFileA(path.c_str());
        }
}

TEST(HostImageFiles, SamplePhotographReadsAsRgbWithAndWithoutTransparencyPlane) {
    HostImage image;
    std::string error;
    ASSERT_TRUE(HostImageReadPng(HostNativePath(SamplePath("coffee.png")), 16, 4, &image, &error))
        << error;
    EXPECT_GT(image.width, 0);
    EXPECT_EQ(image.planes, 4);
    for (int32_t x = 0; x < image.width; x += 37) EXPECT_EQ(image.at(x, 0, 3), kHostMax16);
    EXPECT_FALSE(HostImageReadPng(HostNativePath(SamplePath("LICENSE.txt")), 0, 0, &image, &error));
    EXPECT_NE(error.find("not a PNG"), std::string::npos) << error;
}

TEST(DescriptorFiles, RoundTripEveryItemType) {
    Descriptor descriptor;
    auto add = [&](const char* key, DescriptorType type) -> DescriptorItem& {
        DescriptorItem item;
        item.key = OSType(uint8_t(key[0]) << 24 | uint8_t(key[1]) << 16 | uint8_t(key[2]) << 8 |
                          uint8_t(key[3]));
        item.type = type;
        descriptor.push_back(item);
        return descriptor.back();
    };
    add("xver", DESC_TYPE_INTEGER).integer = 100;
    add("0005", DESC_TYPE_INTEGER).integer = -2147483647 - 1;
    add("t000", DESC_TYPE_TEXT).text = "3,0,0,80,80,159,159,";
    add("t001", DESC_TYPE_TEXT).text = std::string("quote \" slash \\ line\n\x01\xff", 23);
    add("t002", DESC_TYPE_TEXT).text = "";
    add("gama", DESC_TYPE_FLOAT).number = 0.1;
    add("flag", DESC_TYPE_BOOLEAN).integer = 1;
    add("a b\x01", DESC_TYPE_INTEGER).integer = 7;  // a key that is not printable
    const std::string path = TempPath("testhost-descriptor.txt");
    ASSERT_TRUE(DescriptorSaveFile(descriptor, path));
    Descriptor back;
    std::string error;
    ASSERT_TRUE(DescriptorLoadFile(path, &back, &error)) << error;
    ASSERT_EQ(back.size(), descriptor.size());
    for (size_t i = 0; i < back.size(); ++i) {
        SCOPED_TRACE(DescriptorKeyText(descriptor[i].key));
        EXPECT_EQ(back[i].key, descriptor[i].key);
        EXPECT_EQ(back[i].type, descriptor[i].type);
        EXPECT_EQ(back[i].integer, descriptor[i].integer);
        EXPECT_EQ(back[i].number, descriptor[i].number);
        EXPECT_EQ(back[i].text, descriptor[i].text);
    }
    // Through a host handle, as the plug-in's read procedures see it.
    HostSession session;
    HostHandle handle = DescriptorToHandle(session, descriptor);
    Descriptor fromHandle;
    ASSERT_TRUE(DescriptorFromHandle(session, handle, &fromHandle));
    ASSERT_EQ(fromHandle.size(), descriptor.size());
    EXPECT_EQ(fromHandle[3].text, descriptor[3].text);
    HostDisposeHandleRecord(session, handle);
    EXPECT_EQ(session.log.handlesLive, 0);
    DeleteFileA(path.c_str());
}

TEST(DescriptorFiles, UnreadableLinesAreReportedWithTheirNumber) {
    const char* lines[] = {
        "0001 long twelve",       "0001 long",   "001 long 5", "0001 real 5", "t000 TEXT \"open",
        "t000 TEXT \"bad \\x4\"", "flag bool 2",
    };
    const std::string path = TempPath("testhost-bad-descriptor.txt");
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        std::ofstream(path) << "# comment\n0000 long 1\n" << line << "\n";
        Descriptor descriptor;
        std::string error;
        EXPECT_FALSE(DescriptorLoadFile(path, &descriptor, &error));
        EXPECT_NE(error.find(":3:"), std::string::npos) << error;
    }
    Descriptor descriptor;
    std::string error;
    EXPECT_FALSE(DescriptorLoadFile(TempPath("no-such-descriptor.txt"), &descriptor, &error));
    DeleteFileA(path.c_str());
}

// The descriptor procedures as a plug-in uses them: write, close into a handle, read back.
TEST(DescriptorProcedures, WhatIsWrittenReadsBack) {
    HostSession session;
    ASSERT_TRUE(HostSetImage(session, HostImageMake(2, 2, 3, 8)));
    HostBeginRun(session);
    DescriptorParameters* parameters = session.record.descriptorParameters;
    ASSERT_NE(parameters, nullptr);
    WriteDescriptorProcs* write = parameters->writeDescriptorProcs;
    WriteDescriptorRef writer = write->openWriteDescriptorProc();
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(write->putIntegerProc(writer, FourCC("xver"), 100), 0);
    const uint8_t slot[] = {5, '1', ',', '2', ',', '3'};
    EXPECT_EQ(write->putStringProc(writer, FourCC("t000"), slot), 0);
    HostHandle text = HostNewHandle(session, 3);
    memcpy(static_cast<HostHandleRecord*>(text)->data, "abc", 3);
    EXPECT_EQ(write->putTextProc(writer, FourCC("t001"), text), 0);
    HostHandle recorded = nullptr;
    EXPECT_EQ(write->closeWriteDescriptorProc(writer, &recorded), 0);
    ASSERT_NE(recorded, nullptr);

    ReadDescriptorProcs* read = parameters->readDescriptorProcs;
    DescriptorKeyID expected[] = {FourCC("ctl0"), 0};
    ReadDescriptorRef reader = read->openReadDescriptorProc(recorded, expected);
    ASSERT_NE(reader, nullptr);
    DescriptorKeyID key = 0;
    DescriptorType type = 0;
    int32_t flags = -1, value = 0;
    ASSERT_TRUE(read->getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(key, FourCC("xver"));
    EXPECT_EQ(type, DESC_TYPE_INTEGER);
    EXPECT_EQ(read->getIntegerProc(reader, &value), 0);
    EXPECT_EQ(value, 100);
    ASSERT_TRUE(read->getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(type, DESC_TYPE_TEXT);
    uint8_t back[256] = {};
    EXPECT_EQ(read->getStringProc(reader, back), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back) + 1, back[0]), "1,2,3");
    ASSERT_TRUE(read->getKeyProc(reader, &key, &type, &flags));
    HostHandle backText = nullptr;
    EXPECT_EQ(read->getTextProc(reader, &backText), 0);
    EXPECT_EQ(std::string(static_cast<HostHandleRecord*>(backText)->data, 3), "abc");
    EXPECT_FALSE(read->getKeyProc(reader, &key, &type, &flags));
    // A read of the wrong type fails, and the failure is what closing reports.
    EXPECT_NE(read->getIntegerProc(reader, &value), 0);
    EXPECT_NE(read->closeReadDescriptorProc(reader), 0);
    EXPECT_EQ(read->openReadDescriptorProc(nullptr, expected), nullptr);
    for (HostHandle handle : {recorded, text, backText}) HostDisposeHandleRecord(session, handle);
    EXPECT_EQ(session.log.handlesLive, 0);
}

TEST(MessageBoxWatcher, AnswersAndLogsBoxesOfEveryThread) {
    HostSession session;
    WatcherAttachThread(session);
    struct Case {
        UINT style;
        std::vector<int> answers;
        int expected;
        std::vector<int> buttons;
        UINT icon;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONHAND, {}, IDOK, {IDOK}, MB_ICONHAND},
        {MB_YESNO | MB_ICONQUESTION, {IDNO}, IDNO, {IDYES, IDNO}, MB_ICONQUESTION},
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, {}, IDNO, {IDYES, IDNO}, MB_ICONEXCLAMATION},
        {MB_ABORTRETRYIGNORE | MB_ICONERROR,
         {IDRETRY},
         IDRETRY,
         {IDABORT, IDRETRY, IDIGNORE},
         MB_ICONHAND},
        {MB_OKCANCEL | MB_ICONINFORMATION, {IDYES}, IDOK, {IDOK, IDCANCEL}, MB_ICONASTERISK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        HostResetLog(session);
        session.options.messageBoxAnswers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(MessageBoxA(nullptr, "Line one\nline two", "Caption", c.style | MB_TASKMODAL),
                  c.expected);
        ASSERT_EQ(session.log.messageBoxes.size(), 1u);
        const MessageBoxRecord& box = session.log.messageBoxes[0];
        EXPECT_EQ(box.caption, "Caption");
        EXPECT_EQ(box.text, "Line one\nline two");
        EXPECT_EQ(box.buttons, c.buttons);
        EXPECT_EQ(box.icon, c.icon);
        EXPECT_EQ(box.answer, c.expected);
        EXPECT_FALSE(box.otherThread);
    }

    HostResetLog(session);
    session.options.messageBoxAnswers = {IDCANCEL};
    int pressed = 0;
    std::thread worker(
        [&] { pressed = MessageBoxA(nullptr, "From a worker", "Worker", MB_OKCANCEL); });
    worker.join();
    EXPECT_EQ(pressed, IDCANCEL);
    ASSERT_EQ(session.log.messageBoxes.size(), 1u);
    EXPECT_TRUE(session.log.messageBoxes[0].otherThread);
    EXPECT_EQ(session.log.messageBoxes[0].text, "From a worker");
}
// Windows put together from a message box's parts and others: only a dialog whose children are a
// text, buttons IDOK .. IDCONTINUE and perhaps an icon reads as a message box.
TEST(MessageBoxReader, TellsMessageBoxesFromOtherWindowsByTheirChildren) {
    struct Child {
        const wchar_t* className;
        int id;
        DWORD style;
    };
    const wchar_t* const dialog = L"#32770";
    struct Case {
        const char* name;
        const wchar_t* className;
        std::vector<Child> children;
        bool isDialog, isMessageBox;
    };
    const Case cases[] = {
        {"Wine's numbering", dialog, {{L"Static", 100, 0}, {L"Button", IDOK, 0}}, true, true},
        {"Windows' numbering with an icon and two buttons",
         dialog,
         {{L"Static", 20, SS_ICON},
          {L"Static", 0xFFFF, 0},
          {L"Button", IDCONTINUE, BS_DEFPUSHBUTTON},
          {L"Button", IDCANCEL, 0}},
         true,
         true},
        {"an edit field as well",
         dialog,
         {{L"Static", 100, 0}, {L"Button", IDOK, 0}, {L"Edit", 200, 0}},
         true,
         false},
        {"a button of the dialog's own",
         dialog,
         {{L"Static", 100, 0}, {L"Button", 1000, 0}},
         true,
         false},
        {"no text", dialog, {{L"Static", 50, 0}, {L"Button", IDOK, 0}}, true, false},
        {"the text as an icon",
         dialog,
         {{L"Static", 100, SS_ICON}, {L"Button", IDOK, 0}},
         true,
         false},
        {"no button", dialog, {{L"Static", 100, 0}}, true, false},
        {"not a dialog", L"Static", {{L"Static", 100, 0}, {L"Button", IDOK, 0}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND window = CreateWindowExW(0, c.className, L"Caption", WS_POPUP, 0, 0, 200, 100, nullptr,
                                      nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        for (const Child& child : c.children)
            CreateWindowExW(0, child.className, L"Line one", WS_CHILD | WS_VISIBLE | child.style, 0,
                            0, 50, 20, window, reinterpret_cast<HMENU>(INT_PTR(child.id)), nullptr,
                            nullptr);
        const MessageBoxContents contents = MessageBoxRead(window, READ_WITHOUT_MESSAGES);
        EXPECT_EQ(contents.isDialog, c.isDialog);
        EXPECT_EQ(contents.isMessageBox, c.isMessageBox);
        if (c.isMessageBox) {
            EXPECT_EQ(contents.caption, "Caption");
            EXPECT_EQ(contents.text, "Line one");
            size_t buttons = 0;
            for (const Child& child : c.children)
                buttons += wcscmp(child.className, L"Button") == 0;
            EXPECT_EQ(contents.buttons.size(), buttons);
            for (const MessageBoxButton& button : contents.buttons) {
                EXPECT_FALSE(button.visible) << "its box is not shown";
                EXPECT_EQ(button.isDefault, button.id == IDCONTINUE) << button.id;
            }
        }
        DestroyWindow(window);
    }
}

// Texts and icon questions the box's windows were sent by other threads, counted on the box's
// thread.
std::atomic<int> gQuestionsToTheBox{0};

LRESULT CALLBACK CountQuestions(int code, WPARAM wParam, LPARAM lParam) {
    const UINT message = reinterpret_cast<const CWPSTRUCT*>(lParam)->message;
    if (code == HC_ACTION &&
        (message == STM_GETICON || message == WM_GETTEXT || message == WM_GETTEXTLENGTH))
        ++gQuestionsToTheBox;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A real box of another thread, as both watchers meet it: read from what its windows store, it
// is asked nothing, and its icon is known only when a question is allowed. Its texts come as
// UTF-8 whatever the program's code page.
TEST(MessageBoxReader, ReadsARealBoxAndAsksForItsIconOnlyWhenAllowed) {
    std::atomic<DWORD> boxThread{0};
    int pressed = 0;
    std::thread worker([&] {
        HHOOK hook =
            SetWindowsHookExW(WH_CALLWNDPROC, CountQuestions, nullptr, GetCurrentThreadId());
        boxThread = GetCurrentThreadId();
        pressed = MessageBoxW(nullptr, L"Gr\u00fc\u00dfe,\nzwei Zeilen", L"\u00dcberschrift",
                              MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
        UnhookWindowsHookEx(hook);
    });
    HWND box = nullptr;
    for (int waitedMs = 0; !box && waitedMs < 10000; waitedMs += 10) {
        Sleep(10);
        if (boxThread)
            EnumThreadWindows(boxThread, FindShownDialog, reinterpret_cast<LPARAM>(&box));
    }
    if (!box) {
        worker.join();  // a box that came up unseen is pressed by the watch for unanswered ones
        FAIL() << "no box came up";
    }

    const int questionsBefore = gQuestionsToTheBox;
    const MessageBoxContents stored = MessageBoxRead(box, READ_WITHOUT_MESSAGES);
    EXPECT_EQ(gQuestionsToTheBox - questionsBefore, 0);
    const MessageBoxContents asked = MessageBoxRead(box, READ_ICON_BY_MESSAGE);
    EXPECT_GE(gQuestionsToTheBox - questionsBefore, 1);
    for (const MessageBoxContents* contents : {&stored, &asked}) {
        EXPECT_TRUE(contents->isMessageBox);
        EXPECT_EQ(contents->caption, u8"\u00dcberschrift");
        EXPECT_EQ(contents->text, u8"Gr\u00fc\u00dfe,\nzwei Zeilen");
        std::vector<int> ids;
        for (const MessageBoxButton& button : contents->buttons) {
            ids.push_back(button.id);
            EXPECT_TRUE(button.visible) << button.id;
            EXPECT_EQ(button.isDefault, button.id == IDNO) << button.id;
        }
        EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
    }
    EXPECT_EQ(stored.icon, 0u);
    EXPECT_EQ(asked.icon, UINT(MB_ICONEXCLAMATION));

    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    worker.join();
    EXPECT_EQ(pressed, IDCANCEL);
}
}  // namespace
