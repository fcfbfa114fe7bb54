// A host in the test's own process: an RGB image behind a filter record whose advanceState
// delivers any rectangle at any scale, with the run driver, parameter block and the shipped
// effect's hooks behind it. Preview requests get a proxy buffer; final tiles write into the
// host's output image.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/host_api.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"

struct ImageHost {
    ImageHost(int32_t width, int32_t height);
    ~ImageHost();
    ImageHost(const ImageHost&) = delete;
    ImageHost& operator=(const ImageHost&) = delete;

    void SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b);
    uint8_t Output(int32_t x, int32_t y, int32_t channel) const;
    // Sets a control's value in its record and in controlValues.
    void SetControl(int32_t n, int32_t value);

    // One preview rendering at a proxy scale, as the dialog asks for it.
    void RenderPreview(int32_t scale);
    // The final run in tiles of tileWidth x tileHeight, without the dialog.
    void RenderFinal(int32_t tileWidth, int32_t tileHeight);

    int32_t width, height;
    std::vector<uint8_t> source, output;  // width x height x 3
    std::vector<uint8_t> inBuffer, outBuffer;
    int32_t advanceCalls = 0;
    int32_t wholeRequests = 0;  // deliveries of the whole image at scale 1
    FilterRecord record;
    PluginDataBlock block;
    std::unique_ptr<ParameterBlock> params;
};
