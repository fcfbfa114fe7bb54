// The tonal look counts the whole image at full size, whatever the preview shows or the tile
// is: previews at two zooms and a final run in four tiles match the same histogram and give
// the same output levels.

#include <gtest/gtest.h>

#include <vector>

#include "effect/control_ids.h"
#include "host/numbered_arrays.h"
#include "image_host.h"
#include "render/render_arrays.h"
#include "render/tonal_look.h"

namespace {
// Dark at the top, bright at the bottom: any one tile or reduced view counts another
// histogram than the whole.
void FillGradient(ImageHost& host) {
    for (int32_t y = 0; y < host.height; ++y)
        for (int32_t x = 0; x < host.width; ++x) {
            const uint8_t v = uint8_t(y * 255 / (host.height - 1));
            host.SetPixel(x, y, v, uint8_t((v + x) & 255), uint8_t(255 - v / 2));
        }
}

struct Counted {
    std::vector<int64_t> cumulative;
    std::vector<int32_t> lookup;
};

Counted Snapshot() {
    Counted c;
    c.cumulative.assign(gTonalLook.cumulative, gTonalLook.cumulative + 256);
    for (int32_t i = 0; i < 256; ++i)
        c.lookup.push_back(GetArrayElement(ARRAY_TONALLOOK_LUT, i, 0, 0));
    return c;
}

void Look(ImageHost& host) {
    host.SetControl(CTL_TONALLOOK_INTENSITY, 100);
    host.SetControl(CTL_TONALLOOK_TYPE, 1);  // plain equalisation
    host.SetControl(CTL_PREVIEW_ON, 1);
}

TEST(TonalLookWholeImage, PreviewsAtTwoZoomsAndATiledRunShareOneHistogram) {
    Counted preview2, preview3, tiled, whole;
    std::vector<uint8_t> tiledOutput, wholeOutput;
    {
        ImageHost host(64, 48);
        FillGradient(host);
        Look(host);
        host.RenderPreview(2);
        EXPECT_EQ(host.wholeRequests, 1) << "counted at full size";
        preview2 = Snapshot();
        host.RenderPreview(3);
        preview3 = Snapshot();
        EXPECT_EQ(host.wholeRequests, 1) << "counted once per run";
        EXPECT_EQ(gTonalLook.cumulative[255], 64 * 48);
    }
    {
        ImageHost host(64, 48);
        FillGradient(host);
        Look(host);
        host.RenderFinal(32, 24);
        EXPECT_EQ(host.wholeRequests, 1);
        tiled = Snapshot();
        tiledOutput = host.output;
    }
    {
        ImageHost host(64, 48);
        FillGradient(host);
        Look(host);
        host.RenderFinal(64, 48);
        whole = Snapshot();
        wholeOutput = host.output;
    }
    EXPECT_EQ(preview2.cumulative, whole.cumulative);
    EXPECT_EQ(preview3.cumulative, whole.cumulative);
    EXPECT_EQ(tiled.cumulative, whole.cumulative);
    EXPECT_EQ(preview2.lookup, whole.lookup);
    EXPECT_EQ(tiled.lookup, whole.lookup);
    EXPECT_EQ(tiledOutput, wholeOutput) << "four tiles render as one";
    EXPECT_NE(wholeOutput[0], wholeOutput[(47 * 64) * 3]) << "the look was applied";
}
}  // namespace

namespace {
TEST(TonalLookWholeImage, CountingTheFirstTileAloneWouldDiffer) {
    // The same run with the whole-image request taken away counts only the first tile: the
    // comparison above is one that a partial histogram fails.
    const WholeImageSource kept = gWholeImageSource;
    gWholeImageSource = {nullptr, nullptr};
    std::vector<int64_t> partial;
    {
        ImageHost host(64, 48);
        FillGradient(host);
        Look(host);
        host.RenderFinal(32, 24);
        partial.assign(gTonalLook.cumulative, gTonalLook.cumulative + 256);
    }
    gWholeImageSource = kept;
    EXPECT_EQ(partial[255], 32 * 24);
}
}  // namespace
