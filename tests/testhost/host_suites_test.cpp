// The test host's suites as a plug-in calls them: properties, the colour picker,
// displayPixels, buffers within the host's budget and resizable handles.

#include <gtest/gtest.h>

#include <cstring>

#include "tools/testhost/host_internal.h"

namespace {
struct FilterRun {
    FilterRun() {
        EXPECT_TRUE(HostSetImage(host, HostImageMake(4, 4, 3, 8)));
        HostBeginRun(host);
    }
    HostSession host;
    FilterRecord& r = host.record;
};

TEST(HostSuites, PropertiesAnswerTitlePlayStateAndTheTestsOwn) {
    FilterRun run;
    run.host.options.documentTitle = "coffee.png";
    run.host.options.simpleProperties[FourCC("abcd")] = -5;
    GetPropertyProc get = run.r.propertyProcs->getPropertyProc;
    intptr_t simple = 99;
    HostHandle complex = nullptr;
    ASSERT_EQ(get(FourCC("8BIM"), FourCC("titl"), 0, &simple, &complex), 0);
    ASSERT_NE(complex, nullptr);
    const HostHandleRecord* title = static_cast<HostHandleRecord*>(complex);
    EXPECT_EQ(std::string(title->data, size_t(title->size)), "coffee.png");
    EXPECT_EQ(*static_cast<char**>(complex), title->data);  // a pointer to the master pointer
    run.r.handleProcs->disposeProc(complex);

    struct Case {
        OSType signature, key;
        OSErr result;
        intptr_t value;
    };
    const Case cases[] = {
        {FourCC("8BIM"), FourCC("plip"), 0, 0},
        {FourCC("8BIM"), FourCC("abcd"), 0, -5},
        {FourCC("8BIM"), FourCC("none"), -30901, 99},
        {FourCC("XXXX"), FourCC("plip"), -30902, 99},
    };
    for (const Case& c : cases) {
        simple = 99;
        EXPECT_EQ(get(c.signature, c.key, 0, &simple, nullptr), c.result);
        EXPECT_EQ(simple, c.value);
    }
    run.host.options.playInProgress = true;
    run.host.options.propertyAnswersEmpty = true;
    simple = 99;
    EXPECT_EQ(get(FourCC("8BIM"), FourCC("plip"), 0, &simple, nullptr), 0);
    EXPECT_EQ(simple, 99);  // success, and nothing written
    EXPECT_EQ(run.host.log.properties.size(), 6u);
}

TEST(HostSuites, ColourPickerAnswersOrCancels) {
    FilterRun run;
    ColorServicesInfo info;
    memset(&info, 0, sizeof info);
    info.infoSize = sizeof info;
    info.selector = COLOR_SERVICES_CHOOSE_COLOR;
    info.sourceSpace = info.resultSpace = COLOR_SPACE_RGB;
    const uint8_t prompt[] = {6, 'P', 'i', 'c', 'k', ' ', '!'};
    info.selectorParameter.pickerPrompt = const_cast<uint8_t*>(prompt);
    run.host.options.pickerColor = {0xFFFF, 0x8080, 0};
    ASSERT_EQ(run.r.colorServices(&info), 0);
    EXPECT_EQ(info.colorComponents[0], 255);
    EXPECT_EQ(info.colorComponents[1], 128);
    EXPECT_EQ(info.colorComponents[2], 0);
    ASSERT_EQ(run.host.log.colors.size(), 1u);
    EXPECT_EQ(run.host.log.colors[0].prompt, "Pick !");

    run.host.options.pickerCancels = true;
    EXPECT_EQ(run.r.colorServices(&info), HOST_USER_CANCELLED);
    info.infoSize = 8;  // a record from an interface this host does not know
    EXPECT_NE(run.r.colorServices(&info), 0);
}

TEST(HostSuites, DisplayPixelsDrawsInterleavedSamples) {
    FilterRun run;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // 3 x 2 pixels of 8-bit RGB in rows of 12 bytes; draw the last 2 x 2 at (5, 7).
    uint8_t pixels[24] = {};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* at = pixels + y * 12 + x * 3;
            at[0] = uint8_t(40 * x + 10), at[1] = uint8_t(100 * y + 5), at[2] = 200;
        }
    PixelMemoryDesc source = {pixels, 12 * 8, 24, 0, 8};
    HostVRect area = {0, 1, 2, 3};
    ASSERT_EQ(run.r.displayPixels(&source, &area, 7, 5, memory), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 1; x < 3; ++x)
            EXPECT_EQ(GetPixel(memory, 5 + x - 1, 7 + y), RGB(40 * x + 10, 100 * y + 5, 200))
                << x << "," << y;
    ASSERT_EQ(run.host.log.displays.size(), 1u);
    EXPECT_EQ(run.host.log.displays[0].dstRow, 7);
    EXPECT_TRUE(run.host.log.displays[0].hadContext);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

TEST(HostSuites, BuffersStayWithinTheBudgetAndHandlesResize) {
    FilterRun run;
    run.host.options.bufferSpace = 1000;
    const BufferProcs* buffers = run.r.bufferProcs;
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(buffers->allocateProc(600, &first), 0);
    EXPECT_EQ(buffers->spaceProc(), 400);
    EXPECT_EQ(buffers->allocateProc(600, &second), HOST_OUT_OF_MEMORY);
    EXPECT_EQ(second, nullptr);
    buffers->freeProc(first);
    EXPECT_EQ(buffers->allocateProc(600, &second), 0);
    buffers->freeProc(second);
    EXPECT_EQ(run.host.log.buffersLive, 0);

    const HandleProcs* handles = run.r.handleProcs;
    HostHandle handle = handles->newProc(4);
    memcpy(handles->lockProc(handle, 0), "abcd", 4);
    EXPECT_EQ(handles->setSizeProc(handle, 10), HOST_OUT_OF_MEMORY);  // locked blocks stay put
    handles->unlockProc(handle);
    ASSERT_EQ(handles->setSizeProc(handle, 10), 0);
    EXPECT_EQ(handles->getSizeProc(handle), 10);
    const char* data = static_cast<const char*>(handles->lockProc(handle, 0));
    EXPECT_EQ(std::string(data, 10), std::string("abcd\0\0\0\0\0\0", 10));
    handles->unlockProc(handle);
    run.host.options.handleSizeZero = true;
    EXPECT_EQ(handles->getSizeProc(handle), 0);
    handles->disposeProc(handle);
    EXPECT_EQ(run.host.log.handlesLive, 0);
    // A handle the host never made is refused and noted, never freed.
    int notMine = 0;
    handles->disposeProc(&notMine);
    EXPECT_EQ(handles->getSizeProc(&notMine), 0);
    EXPECT_FALSE(run.host.log.notes.empty());
}
}  // namespace
