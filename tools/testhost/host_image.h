// Images of the test host: interleaved samples at 8 or 16 bits (16-bit samples on the host
// scale 0..32768), read from and written to PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HostImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t planes = 3;             // 3: RGB; 4: RGB and transparency
    int32_t depth = 8;              // bits per sample: 8 (0..255) or 16 (0..32768)
    std::vector<uint16_t> samples;  // row by row, planes interleaved

    uint16_t& at(int32_t x, int32_t y, int32_t c) {
        return samples[(size_t(y) * width + x) * planes + c];
    }
    uint16_t at(int32_t x, int32_t y, int32_t c) const {
        return samples[(size_t(y) * width + x) * planes + c];
    }
};

constexpr int32_t kHostMax16 = 32768;

// An image of the given size filled with zero.
HostImage HostImageMake(int32_t width, int32_t height, int32_t planes, int32_t depth);

// 16-bit file samples (0..65535) to the host scale and back, rounded to nearest.
uint16_t HostSampleFrom16BitFile(uint16_t fileSample);
uint16_t HostSampleTo16BitFile(uint16_t hostSample);
// 8-bit samples to the host's 16-bit scale and back, rounded to nearest.
uint16_t HostSample8To16(uint16_t sample8);
uint16_t HostSample16To8(uint16_t sample16);
// The same image at another depth (samples rescaled, rounded).
HostImage HostImageConvertDepth(const HostImage& image, int32_t depth);

// Reads a PNG. depth 0 keeps the file's depth (8 or 16); planes 0 keeps transparency when the
// file has it (4), else 3. Grey files become RGB.
bool HostImageReadPng(const std::string& path, int32_t depth, int32_t planes, HostImage* image,
                      std::string* error);
// Writes the image as an 8- or 16-bit RGB or RGBA PNG (its own depth).
bool HostImageWritePng(const std::string& path, const HostImage& image, std::string* error);
// Reads a PNG as a selection mask: its grey (or red) channel, 8 bits.
bool HostMaskReadPng(const std::string& path, std::vector<uint8_t>* mask, int32_t* width,
                     int32_t* height, std::string* error);
