// Test-host images and their PNG files. stb reads every PNG; 8-bit files are written by stb,
// 16-bit files by the small writer below (stb writes 8 bits only) with stb's deflate.

#include "tools/testhost/host_image.h"

#include <cstring>
#include <fstream>
#include <iterator>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include "stb_image.h"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"
#pragma GCC diagnostic pop

static bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes,
                          std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

static bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size,
                           std::string* error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (!file) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

HostImage HostImageMake(int32_t width, int32_t height, int32_t planes, int32_t depth) {
    HostImage image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.depth = depth;
    image.samples.assign(size_t(width) * height * planes, 0);
    return image;
}

uint16_t HostSampleFrom16BitFile(uint16_t fileSample) {
    return uint16_t((uint32_t(fileSample) * kHostMax16 + 32767) / 65535);
}
uint16_t HostSampleTo16BitFile(uint16_t hostSample) {
    uint32_t sample = hostSample > kHostMax16 ? kHostMax16 : hostSample;
    return uint16_t((sample * 65535 + kHostMax16 / 2) / kHostMax16);
}
uint16_t HostSample8To16(uint16_t sample8) {
    return uint16_t((uint32_t(sample8) * kHostMax16 + 127) / 255);
}
uint16_t HostSample16To8(uint16_t sample16) {
    uint32_t sample = sample16 > kHostMax16 ? kHostMax16 : sample16;
    return uint16_t((sample * 255 + kHostMax16 / 2) / kHostMax16);
}

HostImage HostImageConvertDepth(const HostImage& image, int32_t depth) {
    HostImage result = image;
    result.depth = depth;
    if (depth == image.depth) return result;
    for (uint16_t& sample : result.samples)
        sample = depth == 16 ? HostSample8To16(sample) : HostSample16To8(sample);
    return result;
}

bool HostImageReadPng(const std::string& path, int32_t depth, int32_t planes, HostImage* image,
                      std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes, error)) return false;
    int width = 0, height = 0, fileChannels = 0;
    const auto* data = bytes.data();
    const int size = int(bytes.size());
    if (!stbi_info_from_memory(data, size, &width, &height, &fileChannels)) {
        if (error) *error = path + ": not a PNG file (" + stbi_failure_reason() + ")";
        return false;
    }
    const bool file16 = stbi_is_16_bit_from_memory(data, size) != 0;
    if (planes == 0) planes = (fileChannels == 2 || fileChannels == 4) ? 4 : 3;
    if (depth == 0) depth = file16 ? 16 : 8;
    if ((planes != 3 && planes != 4) || (depth != 8 && depth != 16)) {
        if (error) *error = "only 3 or 4 planes at 8 or 16 bits";
        return false;
    }
    if (width > 30000 || height > 30000) {
        if (error) *error = path + ": larger than 30000 pixels";
        return false;
    }
    *image = HostImageMake(width, height, planes, depth);
    const size_t count = image->samples.size();
    if (file16) {
        stbi_us* pixels = stbi_load_16_from_memory(data, size, &width, &height, nullptr, planes);
        if (!pixels) {
            if (error) *error = path + ": " + stbi_failure_reason();
            return false;
        }
        for (size_t i = 0; i < count; ++i) {
            uint16_t sample = HostSampleFrom16BitFile(pixels[i]);
            image->samples[i] = depth == 16 ? sample : HostSample16To8(sample);
        }
        stbi_image_free(pixels);
    } else {
        stbi_uc* pixels = stbi_load_from_memory(data, size, &width, &height, nullptr, planes);
        if (!pixels) {
            if (error) *error = path + ": " + stbi_failure_reason();
            return false;
        }
        for (size_t i = 0; i < count; ++i)
            image->samples[i] = depth == 16 ? HostSample8To16(pixels[i]) : pixels[i];
        stbi_image_free(pixels);
    }
    return true;
}

bool HostMaskReadPng(const std::string& path, std::vector<uint8_t>* mask, int32_t* width,
                     int32_t* height, std::string* error) {
    HostImage image;
    if (!HostImageReadPng(path, 8, 3, &image, error)) return false;
    mask->resize(size_t(image.width) * image.height);
    for (size_t i = 0; i < mask->size(); ++i) (*mask)[i] = uint8_t(image.samples[i * 3]);
    *width = image.width;
    *height = image.height;
    return true;
}

// --- 16-bit PNG writer ------------------------------------------------------------------------

static uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    if (!table[1]) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

static void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data,
                     size_t size) {
    PutBigEndian32(out, uint32_t(size));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size) out.insert(out.end(), data, data + size);
    PutBigEndian32(out, Crc32(out.data() + start, size + 4));
}

static bool EncodePng16(const HostImage& image, std::vector<uint8_t>* png) {
    const size_t rowBytes = size_t(image.width) * image.planes * 2;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);  // no row filter
        for (int32_t x = 0; x < image.width; ++x)
            for (int32_t c = 0; c < image.planes; ++c) {
                uint16_t sample = HostSampleTo16BitFile(image.at(x, y, c));
                raw.push_back(uint8_t(sample >> 8));
                raw.push_back(uint8_t(sample));
            }
    }
    int compressedSize = 0;
    unsigned char* compressed = stbi_zlib_compress(raw.data(), int(raw.size()), &compressedSize, 6);
    if (!compressed) return false;
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png->assign(kSignature, kSignature + 8);
    std::vector<uint8_t> header;
    PutBigEndian32(header, uint32_t(image.width));
    PutBigEndian32(header, uint32_t(image.height));
    header.push_back(16);                         // bits per sample
    header.push_back(image.planes == 4 ? 6 : 2);  // RGBA or RGB
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    PutChunk(*png, "IHDR", header.data(), header.size());
    PutChunk(*png, "IDAT", compressed, size_t(compressedSize));
    PutChunk(*png, "IEND", nullptr, 0);
    STBIW_FREE(compressed);
    return true;
}

bool HostImageWritePng(const std::string& path, const HostImage& image, std::string* error) {
    if (image.width <= 0 || image.height <= 0 || (image.planes != 3 && image.planes != 4)) {
        if (error) *error = "no image to write";
        return false;
    }
    std::vector<uint8_t> png;
    if (image.depth == 16) {
        if (!EncodePng16(image, &png)) {
            if (error) *error = "PNG compression failed";
            return false;
        }
    } else {
        std::vector<uint8_t> pixels(image.samples.size());
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(image.samples[i] > 255 ? 255 : image.samples[i]);
        int size = 0;
        unsigned char* encoded =
            stbi_write_png_to_mem(pixels.data(), image.width * image.planes, image.width,
                                  image.height, image.planes, &size);
        if (!encoded) {
            if (error) *error = "PNG encoding failed";
            return false;
        }
        png.assign(encoded, encoded + size);
        STBIW_FREE(encoded);
    }
    return WriteWholeFile(path, png.data(), png.size(), error);
}
