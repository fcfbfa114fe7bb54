// The host's callbacks: abort and progress, the buffer, handle and property suites, colour
// services and displayPixels. Each one logs what the plug-in asked.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dialog/bitmap_info.h"
#include "tools/testhost/host_internal.h"
#include "tools/testhost/raise_fault.h"

namespace {
constexpr uint32_t kHandleTag = 0x48545348;  // "HSTH"
constexpr OSErr kPropertyUndefined = -30901;
constexpr OSErr kBadColorRequest = -30900;
constexpr OSErr kWrongSignature = -30902;

// --- Faults raised on purpose ------------------------------------------------------------

__attribute__((noinline)) void RaiseFault(HostFault fault) {
    switch (fault) {
        case HOST_FAULT_DIVIDE_BY_ZERO:
            RaiseDivideByZero();
            break;
        case HOST_FAULT_ACCESS_VIOLATION:
            RaiseAccessViolation();
            break;
        case HOST_FAULT_BREAKPOINT:
            RaiseBreakpoint();
            break;
        case HOST_FAULT_STACK_OVERFLOW:
            RaiseStackOverflow();
            break;
    }
}

// --- Abort and progress ----------------------------------------------------------------

HostBoolean HOSTAPI AbortCallback() {
    HostSession* session = gHostSession;
    if (!session) return 0;
    const int32_t calls = ++session->log.abortCalls;
    HostMaybeFault(*session, CALLBACK_ABORT, calls);
    const int32_t limit = session->options.abortAfterCalls;
    return limit >= 0 && calls > limit;
}

void HOSTAPI ProgressCallback(int32_t done, int32_t total) {
    HostSession* session = gHostSession;
    if (!session) return;
    HostMaybeFault(*session, CALLBACK_PROGRESS, ++session->progressCalls);
    session->log.progress.emplace_back(done, total);
}

// --- Buffer suite ---------------------------------------------------------------------------

int64_t BufferBytesInUse(const HostSession& session) {
    int64_t total = 0;
    for (const auto& entry : session.buffers) total += int64_t(entry.second.bytes.size());
    return total;
}

OSErr HOSTAPI AllocateBuffer(int32_t size, void** bufferId) {
    HostSession* session = gHostSession;
    if (!bufferId) return HOST_BAD_PARAMETERS;
    *bufferId = nullptr;
    if (!session || size < 0) return HOST_BAD_PARAMETERS;
    if (BufferBytesInUse(*session) + size > session->options.bufferSpace) return HOST_OUT_OF_MEMORY;
    static uintptr_t nextId = 0x1000;
    void* id = reinterpret_cast<void*>(nextId += 0x10);
    session->buffers[id].bytes.assign(size_t(size ? size : 1), 0);
    ++session->log.buffersAllocated;
    ++session->log.buffersLive;
    *bufferId = id;
    return 0;
}

HostBuffer* FindBuffer(void* bufferId) {
    HostSession* session = gHostSession;
    if (!session) return nullptr;
    auto found = session->buffers.find(bufferId);
    if (found == session->buffers.end()) {
        HostNote(*session, "the plug-in used a buffer the host never gave it");
        return nullptr;
    }
    return &found->second;
}

void* HOSTAPI LockBuffer(void* bufferId, HostBoolean) {
    HostBuffer* buffer = FindBuffer(bufferId);
    if (!buffer) return nullptr;
    ++buffer->lockCount;
    return buffer->bytes.data();
}

void HOSTAPI UnlockBuffer(void* bufferId) {
    if (HostBuffer* buffer = FindBuffer(bufferId))
        if (buffer->lockCount > 0) --buffer->lockCount;
}

void HOSTAPI FreeBuffer(void* bufferId) {
    if (!FindBuffer(bufferId)) return;
    gHostSession->buffers.erase(bufferId);
    --gHostSession->log.buffersLive;
}

int32_t HOSTAPI BufferSpace() {
    HostSession* session = gHostSession;
    if (!session) return 0;
    int64_t left = session->options.bufferSpace - BufferBytesInUse(*session);
    return int32_t(left < 0 ? 0 : left);
}

// --- Handle suite ---------------------------------------------------------------------------

HostHandleRecord* CheckedHandle(HostHandle handle, const char* what) {
    HostSession* session = gHostSession;
    if (!session) return nullptr;
    HostHandleRecord* record = HostHandleLookup(*session, handle);
    if (!record && handle)
        HostNote(*session, std::string(what) + " of a handle the host never made");
    return record;
}

HostHandle HOSTAPI NewHandle(int32_t size) {
    return gHostSession && size >= 0 ? HostNewHandle(*gHostSession, size) : nullptr;
}

void HOSTAPI DisposeHandle(HostHandle handle) {
    if (CheckedHandle(handle, "dispose")) HostDisposeHandleRecord(*gHostSession, handle);
}

int32_t HOSTAPI GetHandleSize(HostHandle handle) {
    HostHandleRecord* record = CheckedHandle(handle, "size");
    if (!record || gHostSession->options.handleSizeZero) return 0;
    return record->size;
}

OSErr HOSTAPI SetHandleSize(HostHandle handle, int32_t newSize) {
    HostHandleRecord* record = CheckedHandle(handle, "resize");
    if (!record) return HOST_MISSING_HANDLE;
    if (newSize < 0) return HOST_BAD_PARAMETERS;
    if (record->lockCount > 0) return HOST_OUT_OF_MEMORY;  // a locked block cannot move
    char* data = static_cast<char*>(realloc(record->data, size_t(newSize ? newSize : 1)));
    if (!data) return HOST_OUT_OF_MEMORY;
    if (newSize > record->size) memset(data + record->size, 0, size_t(newSize - record->size));
    record->data = data;
    record->size = newSize;
    return 0;
}

void* HOSTAPI LockHandle(HostHandle handle, HostBoolean) {
    HostHandleRecord* record = CheckedHandle(handle, "lock");
    if (!record) return nullptr;
    ++record->lockCount;
    return record->data;
}

void HOSTAPI UnlockHandle(HostHandle handle) {
    HostHandleRecord* record = CheckedHandle(handle, "unlock");
    if (record && record->lockCount > 0) --record->lockCount;
}

void HOSTAPI RecoverSpace(int32_t) {}

// --- Properties --------------------------------------------------------------------------------

OSErr AnswerProperty(bool viaSuite, OSType signature, OSType key, int32_t index, intptr_t* simple,
                     HostHandle* complex) {
    HostSession* session = gHostSession;
    if (!session) return kPropertyUndefined;
    HostMaybeFault(*session, CALLBACK_PROPERTY, ++session->propertyCalls);
    OSErr result = 0;
    if (session->options.propertyAnswersEmpty) {
        result = 0;
    } else if (signature != FourCC("8BIM")) {
        result = kWrongSignature;
    } else if (key == FourCC("titl")) {
        const std::string& title = session->options.documentTitle;
        if (!complex) {
            result = HOST_BAD_PARAMETERS;
        } else {
            *complex = HostNewHandle(*session, int32_t(title.size()));
            memcpy(static_cast<HostHandleRecord*>(*complex)->data, title.data(), title.size());
        }
    } else if (key == FourCC("plip")) {
        if (simple) *simple = session->options.playInProgress ? 1 : 0;
    } else {
        auto found = session->options.simpleProperties.find(key);
        if (found == session->options.simpleProperties.end())
            result = kPropertyUndefined;
        else if (simple)
            *simple = found->second;
    }
    session->log.properties.push_back({signature, key, index, result, viaSuite});
    return result;
}

OSErr HOSTAPI GetPropertyFromSuite(OSType signature, OSType key, int32_t index, intptr_t* simple,
                                   HostHandle* complex) {
    return AnswerProperty(true, signature, key, index, simple, complex);
}

// The filter record's older property callback.
OSErr HOSTAPI GetPropertyFromRecord(OSType signature, OSType key, int32_t index, intptr_t* simple,
                                    HostHandle* complex) {
    return AnswerProperty(false, signature, key, index, simple, complex);
}

OSErr HOSTAPI SetProperty(OSType signature, OSType key, int32_t index, intptr_t simple,
                          HostHandle) {
    HostSession* session = gHostSession;
    if (!session) return kPropertyUndefined;
    OSErr result = signature == FourCC("8BIM") ? 0 : kWrongSignature;
    if (result == 0) session->options.simpleProperties[key] = simple;
    session->log.properties.push_back({signature, key, index, result, true});
    return result;
}

// --- Colour services
// ------------------------------------------------------------------------------ Components: RGB,
// CMYK (ink) and grey 0..255; HSB and HSL hue 0..359 with the others 0..255; Lab L 0..255 for
// 0..100 with a and b -128..127; XYZ 0..255 for 0..1 (D65 white, sRGB).

struct Rgb {
    double r, g, b;  // 0..1
};

double Clamp01(double v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}
int16_t Round16(double v) {
    return int16_t(std::lround(v));
}

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
}
double LinearToSrgb(double c) {
    return c <= 0.0031308 ? c * 12.92 : 1.055 * pow(c, 1 / 2.4) - 0.055;
}

const double kWhite[3] = {0.95047, 1.0, 1.08883};
double LabF(double t) {
    return t > 216.0 / 24389 ? cbrt(t) : (24389.0 / 27 * t + 16) / 116;
}
double LabFInverse(double f) {
    return f * f * f > 216.0 / 24389 ? f * f * f : (116 * f - 16) / (24389.0 / 27);
}

void RgbToXyz(const Rgb& c, double xyz[3]) {
    double r = SrgbToLinear(c.r), g = SrgbToLinear(c.g), b = SrgbToLinear(c.b);
    xyz[0] = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    xyz[1] = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    xyz[2] = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
}

Rgb XyzToRgb(const double xyz[3]) {
    double r = 3.2404542 * xyz[0] - 1.5371385 * xyz[1] - 0.4985314 * xyz[2];
    double g = -0.9692660 * xyz[0] + 1.8760108 * xyz[1] + 0.0415560 * xyz[2];
    double b = 0.0556434 * xyz[0] - 0.2040259 * xyz[1] + 1.0572252 * xyz[2];
    return {Clamp01(LinearToSrgb(r)), Clamp01(LinearToSrgb(g)), Clamp01(LinearToSrgb(b))};
}

double HueOf(const Rgb& c, double max, double delta) {
    if (delta <= 0) return 0;
    double hue = max == c.r   ? fmod((c.g - c.b) / delta, 6.0)
                 : max == c.g ? (c.b - c.r) / delta + 2
                              : (c.r - c.g) / delta + 4;
    hue *= 60;
    return hue < 0 ? hue + 360 : hue;
}

Rgb FromHueChromaMatch(double hue, double chroma, double match) {
    double h = fmod(hue, 360.0) / 60;
    double x = chroma * (1 - fabs(fmod(h, 2.0) - 1));
    Rgb c = {0, 0, 0};
    if (h < 1)
        c = {chroma, x, 0};
    else if (h < 2)
        c = {x, chroma, 0};
    else if (h < 3)
        c = {0, chroma, x};
    else if (h < 4)
        c = {0, x, chroma};
    else if (h < 5)
        c = {x, 0, chroma};
    else
        c = {chroma, 0, x};
    return {Clamp01(c.r + match), Clamp01(c.g + match), Clamp01(c.b + match)};
}

bool ToRgb(int16_t space, const int16_t in[4], Rgb* out) {
    switch (space) {
        case COLOR_SPACE_RGB:
            *out = {in[0] / 255.0, in[1] / 255.0, in[2] / 255.0};
            break;
        case COLOR_SPACE_HSB: {
            double v = in[2] / 255.0, chroma = v * in[1] / 255.0;
            *out = FromHueChromaMatch(in[0], chroma, v - chroma);
            break;
        }
        case COLOR_SPACE_HSL: {
            double l = in[2] / 255.0, chroma = (1 - fabs(2 * l - 1)) * in[1] / 255.0;
            *out = FromHueChromaMatch(in[0], chroma, l - chroma / 2);
            break;
        }
        case COLOR_SPACE_CMYK: {
            double k = in[3] / 255.0;
            *out = {(1 - in[0] / 255.0) * (1 - k), (1 - in[1] / 255.0) * (1 - k),
                    (1 - in[2] / 255.0) * (1 - k)};
            break;
        }
        case COLOR_SPACE_GRAY:
            *out = {in[0] / 255.0, in[0] / 255.0, in[0] / 255.0};
            break;
        case COLOR_SPACE_LAB: {
            double fy = (in[0] * 100.0 / 255 + 16) / 116;
            double xyz[3] = {kWhite[0] * LabFInverse(fy + in[1] / 500.0), LabFInverse(fy),
                             kWhite[2] * LabFInverse(fy - in[2] / 200.0)};
            *out = XyzToRgb(xyz);
            break;
        }
        case COLOR_SPACE_XYZ: {
            double xyz[3] = {in[0] / 255.0, in[1] / 255.0, in[2] / 255.0};
            *out = XyzToRgb(xyz);
            break;
        }
        default:
            return false;
    }
    return true;
}

bool FromRgb(int16_t space, const Rgb& c, int16_t out[4]) {
    const double max = std::max(c.r, std::max(c.g, c.b));
    const double min = std::min(c.r, std::min(c.g, c.b));
    const double delta = max - min;
    out[3] = 0;
    switch (space) {
        case COLOR_SPACE_RGB:
            out[0] = Round16(c.r * 255), out[1] = Round16(c.g * 255), out[2] = Round16(c.b * 255);
            break;
        case COLOR_SPACE_HSB:
            out[0] = Round16(HueOf(c, max, delta)) % 360;
            out[1] = Round16(max > 0 ? delta / max * 255 : 0);
            out[2] = Round16(max * 255);
            break;
        case COLOR_SPACE_HSL: {
            double l = (max + min) / 2;
            out[0] = Round16(HueOf(c, max, delta)) % 360;
            out[1] = Round16(delta > 0 ? delta / (1 - fabs(2 * l - 1)) * 255 : 0);
            out[2] = Round16(l * 255);
            break;
        }
        case COLOR_SPACE_CMYK: {
            double k = 1 - max;
            for (int i = 0; i < 3; ++i) {
                double channel = i == 0 ? c.r : i == 1 ? c.g : c.b;
                out[i] = Round16(k < 1 ? (1 - channel - k) / (1 - k) * 255 : 0);
            }
            out[3] = Round16(k * 255);
            break;
        }
        case COLOR_SPACE_GRAY:
            out[0] = Round16((0.299 * c.r + 0.587 * c.g + 0.114 * c.b) * 255);
            out[1] = out[2] = 0;
            break;
        case COLOR_SPACE_LAB: {
            double xyz[3];
            RgbToXyz(c, xyz);
            double fx = LabF(xyz[0] / kWhite[0]), fy = LabF(xyz[1]), fz = LabF(xyz[2] / kWhite[2]);
            out[0] = Round16((116 * fy - 16) * 255 / 100);
            out[1] = Round16(500 * (fx - fy));
            out[2] = Round16(200 * (fy - fz));
            break;
        }
        case COLOR_SPACE_XYZ: {
            double xyz[3];
            RgbToXyz(c, xyz);
            for (int i = 0; i < 3; ++i) out[i] = Round16(xyz[i] * 255);
            break;
        }
        default:
            return false;
    }
    return true;
}

OSErr HOSTAPI ColorServices(ColorServicesInfo* info) {
    HostSession* session = gHostSession;
    if (!session || !info) return kBadColorRequest;
    ColorRequest request = {info->selector, info->sourceSpace, info->resultSpace, {}, {}, 0};
    memcpy(request.componentsIn, info->colorComponents, sizeof request.componentsIn);
    OSErr result = 0;
    if (info->infoSize < int32_t(sizeof(ColorServicesInfo))) {
        result = kBadColorRequest;
    } else if (info->selector == COLOR_SERVICES_CHOOSE_COLOR) {
        if (const uint8_t* prompt = info->selectorParameter.pickerPrompt)
            request.prompt.assign(reinterpret_cast<const char*>(prompt) + 1, prompt[0]);
        if (session->options.pickerCancels) {
            result = HOST_USER_CANCELLED;
        } else {
            const HostRGBColor& chosen = session->options.pickerColor;
            Rgb rgb = {chosen.red / 65535.0, chosen.green / 65535.0, chosen.blue / 65535.0};
            int16_t space = info->resultSpace == COLOR_SPACE_CHOSEN ? int16_t(COLOR_SPACE_RGB)
                                                                    : info->resultSpace;
            if (!FromRgb(space, rgb, info->colorComponents)) result = kBadColorRequest;
            info->resultSpace = space;
        }
    } else if (info->selector == COLOR_SERVICES_CONVERT_COLOR) {
        Rgb rgb;
        if (!ToRgb(info->sourceSpace, info->colorComponents, &rgb) ||
            !FromRgb(info->resultSpace, rgb, info->colorComponents))
            result = kBadColorRequest;
        info->resultGamutInfoValid = 0;
    } else {
        result = kBadColorRequest;
    }
    request.result = result;
    session->log.colors.push_back(request);
    return result;
}

// --- displayPixels
// ---------------------------------------------------------------------------------

OSErr HOSTAPI DisplayPixels(const PixelMemoryDesc* source, const HostVRect* area, int32_t dstRow,
                            int32_t dstCol, void* platformContext) {
    HostSession* session = gHostSession;
    if (!session) return HOST_BAD_PARAMETERS;
    HostMaybeFault(*session, CALLBACK_DISPLAY_PIXELS, ++session->displayCalls);
    if (!source || !area || !source->data) return HOST_BAD_PARAMETERS;
    session->log.displays.push_back(
        {*area, dstRow, dstCol, source->depth, source->colBits, platformContext != nullptr});
    if (!platformContext || (source->depth != 8 && source->depth != 16)) return 0;
    const int32_t width = area->right - area->left, height = area->bottom - area->top;
    if (width <= 0 || height <= 0 || source->colBits < 3 * source->depth) return 0;
    // Draw as a top-down 32-bit DIB: the plug-in gives interleaved R, G, B samples. An editor
    // draws its previews as fast as it can, and the plug-in's preview is timed through this
    // routine: whole bytes are read along each row, and the picture's memory is kept from one
    // call to the next (the host calls from one thread).
    static thread_local std::vector<uint32_t> pixels;
    pixels.resize(size_t(width) * height);
    const auto* base = static_cast<const uint8_t*>(source->data);
    const bool wholeBytes = source->colBits % 8 == 0 && source->rowBits % 8 == 0;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* out = pixels.data() + size_t(y) * width;
        if (source->depth == 8 && wholeBytes) {
            const uint8_t* sample =
                base + (int64_t(area->top + y) * source->rowBits +
                        int64_t(area->left) * source->colBits + source->bitOffset) /
                           8;
            const int32_t step = source->colBits / 8;
            for (int32_t x = 0; x < width; ++x, sample += step)
                out[x] = uint32_t(sample[0]) << 16 | uint32_t(sample[1]) << 8 | sample[2];
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            int64_t bit = int64_t(area->top + y) * source->rowBits +
                          int64_t(area->left + x) * source->colBits + source->bitOffset;
            const uint8_t* sample = base + bit / 8;
            uint32_t rgb[3];
            for (int c = 0; c < 3; ++c) {
                if (source->depth == 8) {
                    rgb[c] = sample[c];
                } else {
                    uint16_t value;
                    memcpy(&value, sample + 2 * c, 2);
                    rgb[c] = HostSample16To8(value);
                }
            }
            out[x] = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
        }
    }
    const BITMAPINFO info = TopDownBitmapInfo32(width, height);
    SetDIBitsToDevice(static_cast<HDC>(platformContext), dstCol, dstRow, DWORD(width),
                      DWORD(height), 0, 0, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
    return 0;
}
}  // namespace

std::string HostFourCCText(OSType code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) text[i] = char(code >> (24 - 8 * i));
    return text;
}

void HostMaybeFault(HostSession& session, HostCallback where, int32_t callNumber) {
    const CallbackFault& fault = session.options.callbackFault;
    if (fault.where == where && fault.onCall == callNumber) RaiseFault(fault.fault);
}

HostHandle HostNewHandle(HostSession& session, int32_t size) {
    auto* record = new HostHandleRecord{nullptr, size, kHandleTag, 0};
    record->data = static_cast<char*>(calloc(1, size_t(size > 0 ? size : 1)));
    session.handles[record] = true;
    ++session.log.handlesAllocated;
    ++session.log.handlesLive;
    return record;
}

HostHandleRecord* HostHandleLookup(HostSession& session, HostHandle handle) {
    auto* record = static_cast<HostHandleRecord*>(handle);
    return session.handles.count(record) ? record : nullptr;
}

void HostDisposeHandleRecord(HostSession& session, HostHandle handle) {
    HostHandleRecord* record = HostHandleLookup(session, handle);
    if (!record) return;
    session.handles.erase(record);
    --session.log.handlesLive;
    free(record->data);
    record->tag = 0;
    delete record;
}

void HostReleaseBuffersAndHandles(HostSession& session) {
    session.buffers.clear();
    while (!session.handles.empty())
        HostDisposeHandleRecord(session, session.handles.begin()->first);
}

void HostInstallCallbacks(HostSession& session) {
    const HostOptions& options = session.options;
    FilterRecord& r = session.record;
    r.abortProc = options.noAbortProc ? nullptr : AbortCallback;
    r.progressProc = options.noProgressProc ? nullptr : ProgressCallback;
    r.advanceState = options.noAdvanceState ? nullptr : HostAdvanceStateProc;
    r.displayPixels = options.noDisplayPixels ? nullptr : DisplayPixels;
    r.colorServices = options.noColorServices ? nullptr : ColorServices;
    r.getPropertyObsolete = options.noObsoleteGetProperty ? nullptr : GetPropertyFromRecord;

    BufferProcs& buffers = session.bufferProcs;
    buffers = {options.bufferSuiteVersion,
               options.bufferSuiteCount,
               AllocateBuffer,
               LockBuffer,
               UnlockBuffer,
               FreeBuffer,
               BufferSpace};
    r.bufferProcs = options.noBufferSuite ? nullptr : &buffers;

    HandleProcs& handles = session.handleProcs;
    handles = {options.handleSuiteVersion,
               options.handleSuiteCount,
               NewHandle,
               DisposeHandle,
               GetHandleSize,
               SetHandleSize,
               LockHandle,
               UnlockHandle,
               RecoverSpace,
               DisposeHandle};
    r.handleProcs = options.noHandleSuite ? nullptr : &handles;

    PropertyProcs& properties = session.propertyProcs;
    properties = {options.propertySuiteVersion, options.propertySuiteCount, GetPropertyFromSuite,
                  SetProperty};
    r.propertyProcs = options.noPropertySuite ? nullptr : &properties;
}
