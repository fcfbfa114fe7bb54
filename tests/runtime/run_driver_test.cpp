// The run driver against an in-process host: the tile loop, the row-by-row path, abort and
// refused filter records. The same behaviour through the real plug-in and the project's
// test host is checked by runtime_plugin.

#include "host/run_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/effect_context.h"
#include "host/rect16.h"
#include "runtime/box_catcher.h"
#include "runtime/unit_effect.h"
#include "runtime/unit_host.h"

namespace {
struct Image {
    int32_t width = 0, height = 0, planes = 0, sampleBytes = 1;
    std::vector<uint16_t> samples;
    uint16_t& At(int32_t x, int32_t y, int32_t c) {
        return samples[(size_t(y) * width + x) * planes + c];
    }
};

Image MakeImage(int32_t width, int32_t height, int32_t planes, bool sixteen) {
    Image image{width, height, planes, sixteen ? 2 : 1, {}};
    image.samples.resize(size_t(width) * height * planes);
    uint32_t seed = 12345;
    for (uint16_t& sample : image.samples) {
        seed = seed * 1103515245u + 12345u;
        sample = uint16_t((seed >> 8) % (sixteen ? 32769 : 256));
    }
    return image;
}

// What a request asked for and got.
struct Request {
    HostRect inRect, outRect, maskRect;
};

struct LoopHost : UnitHost {
    Image source, result;
    std::vector<uint8_t> selection;  // width x height; empty: none
    std::vector<uint8_t> inBuffer, outBuffer, maskBuffer;
    HostRect pendingOut = {0, 0, 0, 0};
    int32_t pendingRowBytes = 0;
    std::vector<Request> requests;
    int32_t abortAfter = -1, abortCalls = 0;
    int32_t rowPadding = 0;
    void (*tamper)(FilterRecord&) = nullptr;  // misbehaviour after each delivery

    LoopHost(const Image& image, HostRect filter) : source(image), result(image) {
        record.imageMode = image.sampleBytes == 2 ? 11 : 3;
        record.planes = int16_t(image.planes);
        record.imageSize = {int16_t(image.height), int16_t(image.width)};
        record.filterRect = filter;
        record.advanceState = Advance;
        record.abortProc = Abort;
        params->queryForParameters = 0;
    }
    static LoopHost& Self() { return *static_cast<LoopHost*>(gUnitHost); }

    void Commit() {
        const int32_t bytes = source.sampleBytes;
        for (int32_t y = pendingOut.top; y < pendingOut.bottom; ++y)
            for (int32_t x = pendingOut.left; x < pendingOut.right; ++x)
                for (int32_t c = 0; c < source.planes; ++c) {
                    const uint8_t* at = outBuffer.data() +
                                        size_t(y - pendingOut.top) * pendingRowBytes +
                                        (size_t(x - pendingOut.left) * source.planes + c) * bytes;
                    result.At(x, y, c) = bytes == 2 ? uint16_t(at[0] | at[1] << 8) : at[0];
                }
        pendingOut = {0, 0, 0, 0};
    }

    void Fill(std::vector<uint8_t>& buffer, const HostRect& rect, int32_t* rowBytes, void** data) {
        const int32_t bytes = source.sampleBytes;
        *rowBytes = RectWidth(rect) * source.planes * bytes + rowPadding;
        buffer.assign(size_t(*rowBytes) * RectHeight(rect), 0);
        for (int32_t y = rect.top; y < rect.bottom; ++y)
            for (int32_t x = rect.left; x < rect.right; ++x)
                for (int32_t c = 0; c < source.planes; ++c) {
                    uint8_t* at = buffer.data() + size_t(y - rect.top) * *rowBytes +
                                  (size_t(x - rect.left) * source.planes + c) * bytes;
                    const uint16_t v = source.At(x, y, c);
                    at[0] = uint8_t(v);
                    if (bytes == 2) at[1] = uint8_t(v >> 8);
                }
        *data = buffer.empty() ? nullptr : buffer.data();
    }

    static OSErr HOSTAPI Advance() {
        LoopHost& host = Self();
        FilterRecord& r = host.record;
        host.Commit();
        host.requests.push_back({r.inRect, r.outRect, r.maskRect});
        const HostRect image = {0, 0, int16_t(host.source.height), int16_t(host.source.width)};
        for (const HostRect* rect : {&r.inRect, &r.outRect, &r.maskRect})
            if (!RectEmpty(*rect) && (rect->left < 0 || rect->top < 0 ||
                                      rect->right > image.right || rect->bottom > image.bottom))
                return HOST_BAD_PARAMETERS;
        host.Fill(host.inBuffer, r.inRect, &r.inRowBytes, &r.inData);
        host.Fill(host.outBuffer, r.outRect, &r.outRowBytes, &r.outData);
        host.pendingOut = r.outRect;
        host.pendingRowBytes = r.outRowBytes;
        r.maskRowBytes = RectWidth(r.maskRect);
        host.maskBuffer.assign(size_t(r.maskRowBytes) * RectHeight(r.maskRect), 0);
        for (int32_t y = r.maskRect.top; y < r.maskRect.bottom; ++y)
            for (int32_t x = r.maskRect.left; x < r.maskRect.right; ++x)
                host.maskBuffer[size_t(y - r.maskRect.top) * r.maskRowBytes + x - r.maskRect.left] =
                    host.selection[size_t(y) * host.source.width + x];
        r.maskData = host.maskBuffer.empty() ? nullptr : host.maskBuffer.data();
        if (host.tamper) host.tamper(r);
        return 0;
    }

    static HostBoolean HOSTAPI Abort() {
        LoopHost& host = Self();
        ++host.abortCalls;
        return host.abortAfter >= 0 && host.abortCalls > host.abortAfter;
    }

    // The host's own row-by-row protocol for plug-ins that leave rectangles after start.
    void DriveContinue() {
        for (int calls = 0; calls < 100000 && GetResult() == 0; ++calls) {
            FilterRecord& r = record;
            if (RectEmpty(r.inRect) && RectEmpty(r.outRect)) break;
            Commit();
            requests.push_back({r.inRect, r.outRect, r.maskRect});
            Fill(inBuffer, r.inRect, &r.inRowBytes, &r.inData);
            Fill(outBuffer, r.outRect, &r.outRowBytes, &r.outData);
            pendingOut = r.outRect;
            pendingRowBytes = r.outRowBytes;
            DoContinue();
        }
        Commit();
    }
};

int32_t Pattern(int32_t source, int32_t x, int32_t y, int32_t c, int32_t max) {
    return (source * 3 + x * 7 + y * 11 + c * 13) % (max + 1);
}

int32_t RenderPattern(EffectContext* context) {
    const int32_t max = IsSixteenBitMode(context->imageMode) ? 32768 : 255;
    const AccessorTable& a = context->accessors;
    for (int32_t y = context->currentTop; y < context->currentBottom; ++y)
        for (int32_t x = context->currentLeft; x < context->currentRight; ++x)
            for (int32_t c = 0; c < context->Z; ++c)
                a.putOutputPixel(x, y, c, Pattern(a.getSourcePixel(x, y, c), x, y, c, max));
    return 0;
}

// The rendered image: the pattern inside the filter rectangle, the source elsewhere.
void ExpectRendered(LoopHost& host, bool complete = true) {
    const HostRect& f = host.record.filterRect;
    const int32_t max = host.source.sampleBytes == 2 ? 32768 : 255;
    int64_t wrong = 0;
    for (int32_t y = 0; y < host.source.height; ++y)
        for (int32_t x = 0; x < host.source.width; ++x)
            for (int32_t c = 0; c < host.source.planes; ++c) {
                const bool inside = x >= f.left && x < f.right && y >= f.top && y < f.bottom;
                const int32_t expected = inside && complete ? Pattern(host.source.At(x, y, c),
                                                                      x - f.left, y - f.top, c, max)
                                                            : host.source.At(x, y, c);
                wrong += host.result.At(x, y, c) != expected;
            }
    EXPECT_EQ(wrong, 0);
}

struct LoopCase {
    const char* name;
    int32_t width, height, planes;
    bool sixteen, selection;
    HostRect filter;
    bool storedSizes;
    int32_t tileHeight, tileWidth, border;
};

TEST(TileLoop, OutputIsWhatTheRenderHookWroteWhateverTheTiling) {
    const LoopCase cases[] = {
        {"whole, 8-bit", 37, 23, 3, false, false, {0, 0, 23, 37}, false, 0, 0, 0},
        {"whole, 16-bit", 37, 23, 3, true, false, {0, 0, 23, 37}, false, 0, 0, 0},
        {"offset odd rect", 40, 30, 3, false, false, {3, 5, 28, 38}, false, 0, 0, 0},
        {"tiles 7 x 5, border 2", 40, 30, 3, false, false, {3, 5, 28, 38}, true, 7, 5, 2},
        {"tiles 16-bit 4 planes", 33, 21, 4, true, false, {1, 2, 20, 31}, true, 4, 6, 0},
        {"strips of full height", 30, 20, 3, false, false, {2, 1, 19, 29}, true, 0, 8, 1},
        {"rows of full width", 30, 20, 4, false, false, {0, 0, 20, 30}, true, 3, 0, 0},
        {"selection, tiles", 25, 18, 3, false, true, {2, 3, 15, 22}, true, 5, 5, 3},
        {"selection 16-bit whole", 25, 18, 3, true, true, {2, 3, 15, 22}, false, 0, 0, 0},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopHost host(MakeImage(c.width, c.height, c.planes, c.sixteen), c.filter);
        if (c.selection) {
            host.selection.assign(size_t(c.width) * c.height, 0);
            for (size_t i = 0; i < host.selection.size(); ++i) host.selection[i] = uint8_t(i * 7);
            host.record.haveMask = 1;
        }
        if (c.storedSizes) host.params->flags |= PFLAG_STORED_TILE_SIZE;
        host.params->tileHeight = uint32_t(c.tileHeight);
        host.params->tileWidth = uint32_t(c.tileWidth);
        host.params->frameworkSettings[8] = uint32_t(c.border);
        gUnitEffect.hooks[HOOK_RENDER] = RenderPattern;
        DoStart();
        ASSERT_EQ(GetResult(), 0);
        host.Commit();
        ExpectRendered(host);

        // One request per tile plus the final flush with empty rectangles.
        const int32_t fw = RectWidth(c.filter), fh = RectHeight(c.filter);
        const int32_t th = c.storedSizes && c.tileHeight ? c.tileHeight : fh;
        const int32_t tw = c.storedSizes && c.tileWidth ? c.tileWidth : fw;
        const size_t tiles = size_t((fh + th - 1) / th) * ((fw + tw - 1) / tw);
        ASSERT_EQ(host.requests.size(), tiles + 1);
        EXPECT_EQ(gUnitEffect.calls[HOOK_RENDER], int32_t(tiles));
        EXPECT_TRUE(RectEmpty(host.requests.back().inRect));
        EXPECT_TRUE(RectEmpty(host.requests.back().outRect));
        EXPECT_EQ(gUnitEffect.calls[HOOK_AFTER_RUN], 1);
        for (size_t i = 0; i + 1 < host.requests.size(); ++i) {
            const Request& request = host.requests[i];
            EXPECT_LE(RectHeight(request.outRect), th);
            EXPECT_LE(RectWidth(request.outRect), tw);
            EXPECT_EQ(RectEmpty(request.maskRect), !c.selection);
            // The border: what is asked beyond the tile stays inside the filter rectangle,
            // and with stored sizes within the stored border.
            const HostRect& asked = c.selection ? request.maskRect : request.inRect;
            EXPECT_GE(asked.left, c.filter.left);
            EXPECT_LE(asked.right, c.filter.right);
            if (c.storedSizes) {
                EXPECT_LE(request.outRect.top - asked.top, c.border);
                EXPECT_LE(asked.right - request.outRect.right, c.border);
            } else {
                EXPECT_TRUE(RectsEqual(asked, c.filter));
            }
        }
    }
}

TEST(TileLoop, FourthPlaneServesAsMaskWithoutASelection) {
    LoopHost host(MakeImage(12, 9, 4, false), {0, 0, 9, 12});
    static bool checked;
    checked = false;
    gUnitEffect.hooks[HOOK_RENDER] = [](EffectContext* c) {
        checked = c->maskFromTransparency == 1 && c->maskStep == 4 &&
                  c->maskData == c->adjustedInData + 3 && c->maskRowBytes == c->inRowBytes;
        return 0;
    };
    DoStart();
    EXPECT_TRUE(checked);
    LoopHost three(MakeImage(12, 9, 3, false), {0, 0, 9, 12});
    gUnitEffect.hooks[HOOK_RENDER] = [](EffectContext* c) {
        checked = c->maskFromTransparency == 0 && c->maskData == nullptr &&
                  c->accessors.getSourcePixel(0, 0, 3) == 255;
        return 0;
    };
    DoStart();
    EXPECT_TRUE(checked);
}

TEST(TileLoop, EmptyFilterRectangleMakesOnlyTheFlush) {
    LoopHost host(MakeImage(10, 10, 3, false), {4, 4, 4, 9});
    DoStart();
    EXPECT_EQ(GetResult(), 0);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_TRUE(RectEmpty(host.requests[0].inRect));
    EXPECT_EQ(gUnitEffect.calls[HOOK_RENDER], 0);
    // Without the flush flag: no request at all.
    LoopHost noFlush(MakeImage(10, 10, 3, false), {4, 4, 4, 9});
    noFlush.params->flags &= ~PFLAG_FINAL_FLUSH;
    DoStart();
    EXPECT_TRUE(noFlush.requests.empty());
}

TEST(TileLoop, AbortEndsTheLoopWithoutFlushAndKeepsTheRestUntouched) {
    LoopHost host(MakeImage(20, 20, 3, false), {0, 0, 20, 20});
    host.params->flags |= PFLAG_STORED_TILE_SIZE;
    host.params->tileHeight = 5;
    host.params->frameworkSettings[8] = 0;
    gUnitEffect.hooks[HOOK_RENDER] = RenderPattern;
    // One abort check before each tile and one per copied row: the third tile's check says
    // abort, after two finished tiles.
    host.abortAfter = 2 * (1 + 5);
    DoStart();
    EXPECT_EQ(GetResult(), HOST_USER_CANCELLED);
    EXPECT_EQ(gUnitEffect.calls[HOOK_RENDER], 2);
    EXPECT_EQ(host.requests.size(), 2u);  // no third tile, no flush
    EXPECT_EQ(gUnitEffect.calls[HOOK_AFTER_RUN], 1);
    host.Commit();
    Image finished = host.result;
    for (int32_t y = 10; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            for (int32_t c = 0; c < 3; ++c)
                ASSERT_EQ(finished.At(x, y, c), host.source.At(x, y, c)) << x << "," << y;
    const int32_t max = 255;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(finished.At(x, y, 1), Pattern(host.source.At(x, y, 1), x, y, 1, max));
}

TEST(RowByRow, HostWithoutAdvanceStateGetsTheSameOutput) {
    for (bool sixteen : {false, true}) {
        LoopHost host(MakeImage(19, 13, 3, sixteen), {2, 1, 11, 17});
        BoxCatcher catcher;
        host.record.advanceState = nullptr;
        gUnitEffect.hooks[HOOK_RENDER] = RenderPattern;
        DoStart();
        ASSERT_EQ(GetResult(), 0);
        host.DriveContinue();
        ASSERT_EQ(GetResult(), 0);
        ExpectRendered(host);
        EXPECT_EQ(host.requests.size(), 9u);  // one per row
        EXPECT_EQ(gUnitEffect.calls[HOOK_RENDER], 9);
        // The user hears once that the host lacks advanceState, not once per row.
        EXPECT_EQ(catcher.boxes.size(), 1u);
    }
}

TEST(BadInput, RefusedBeforeAnyBufferIsAskedFor) {
    struct Case {
        const char* name;
        void (*spoil)(LoopHost&);
        int16_t result;
    };
    const Case cases[] = {
        {"zero planes", [](LoopHost& h) { h.record.planes = 0; }, HOST_BAD_PARAMETERS},
        {"filter rectangle past the image", [](LoopHost& h) { h.record.filterRect.right = 30; },
         HOST_BAD_PARAMETERS},
        {"filter rectangle upside down",
         [](LoopHost& h) {
             h.record.filterRect = {8, 2, 3, 9};
         },
         HOST_BAD_PARAMETERS},
        {"row bytes short of a row",
         [](LoopHost& h) { h.tamper = [](FilterRecord& r) { r.inRowBytes -= 1; }; },
         HOST_BAD_PARAMETERS},
        {"no input buffer",
         [](LoopHost& h) { h.tamper = [](FilterRecord& r) { r.inData = nullptr; }; },
         HOST_BAD_PARAMETERS},
        {"output moved outside",
         [](LoopHost& h) { h.tamper = [](FilterRecord& r) { r.outRect.right += 5; }; },
         HOST_BAD_PARAMETERS},
        {"no output buffer",
         [](LoopHost& h) { h.tamper = [](FilterRecord& r) { r.outData = nullptr; }; },
         HOST_ERROR_REPORTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopHost host(MakeImage(20, 10, 3, false), {0, 0, 10, 20});
        BoxCatcher catcher;
        gUnitEffect.hooks[HOOK_RENDER] = RenderPattern;
        c.spoil(host);
        DoStart();
        EXPECT_EQ(GetResult(), c.result);
        EXPECT_EQ(gUnitEffect.calls[HOOK_RENDER], 0);
        EXPECT_LE(host.requests.size(), 1u);
    }
}
}  // namespace
