// What the render benchmarks share: the scaled-up sample, one timed run of the filter from
// the start selector to the end of the finish selector, the thread switch, medians and PPM
// output for the comparisons with other tools.

#include "common/bench_runs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "effect/control_ids.h"
#include "effect/data_folder.h"
#include "effect/settings_files.h"
#include "host/host_services.h"
#include "host/parameter_block.h"
#include "host/whole_files.h"

HostImage ScaledSample(const std::string& path, int32_t depth) {
    HostImage sample;
    std::string error;
    if (!HostImageReadPng(path, 8, 3, &sample, &error)) {
        fprintf(stderr, "bench: %s\n", error.c_str());
        exit(2);
    }
    HostImage image = HostImageMake(kBenchWidth, kBenchHeight, 3, depth);
    for (int32_t y = 0; y < kBenchHeight; ++y)
        for (int32_t x = 0; x < kBenchWidth; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                const uint16_t v =
                    sample.at(x * sample.width / kBenchWidth, y * sample.height / kBenchHeight, c);
                image.at(x, y, c) = depth == 16 ? HostSample8To16(v) : v;
            }
    return image;
}

double RunOnce(HostSession& session, const Descriptor& settings) {
    HostBeginRun(session);
    FilterRecord& r = session.record;
    session.descriptorParameters.descriptor = DescriptorToHandle(session, settings);
    int16_t result = HostCallSelector(session, SELECTOR_PREPARE);
    const auto start = std::chrono::steady_clock::now();
    if (result == 0) result = HostCallSelector(session, SELECTOR_START);
    while (result == 0 &&
           !(HostRectEmpty(r.inRect) && HostRectEmpty(r.outRect) && HostRectEmpty(r.maskRect))) {
        result = HostDeliverRects(session);
        if (result == 0) result = HostCallSelector(session, SELECTOR_CONTINUE);
    }
    HostCommitAndRelease(session);
    if (result == 0) result = HostCallSelector(session, SELECTOR_FINISH);
    const auto end = std::chrono::steady_clock::now();
    if (HostHandle recorded = session.descriptorParameters.descriptor) {
        HostDisposeHandleRecord(session, recorded);
        session.descriptorParameters.descriptor = nullptr;
    }
    if (result != 0) {
        fprintf(stderr, "bench: the filter returned %d\n", result);
        exit(3);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

namespace {
// The dialog-state file as it was before the benchmark first changed it: put back when the
// program ends, so that the preference the user (or a test) left there is kept.
struct SavedDialogState {
    std::string path;
    std::string text;
    bool changed = false;
};
SavedDialogState gSavedDialogState;

void RestoreDialogState() {
    if (gSavedDialogState.changed)
        ReplaceWholeFile(gSavedDialogState.path.c_str(), gSavedDialogState.text);
    gSavedDialogState.changed = false;
}

// Writes the value into the dialog-state file the plug-in reads, when there is one. False when
// a file is there but cannot be read or written.
bool StoreMultiCpuPreference(bool off) {
    char path[kDataPathMax + 1] = {};
    if (!GetDataFolder(path, sizeof path, kDataFolderName, kDialogStateFileName, 0,
                       PluginRegistryKey()))
        return true;
    std::string text;
    if (ReadWholeFile(path, kSettingsFileMaxBytes, &text) != WHOLE_FILE_READ) return true;
    DialogStateContents contents;
    if (ParseDialogStateFile(text, &contents) != SETTINGS_FILE_OK) return false;
    // A file of the sizes alone sets every interface control to 0 at a session start; the full
    // file it becomes does the same for all but this one.
    contents.full = true;
    contents.values[CTL_MULTI_CPU_OFF - kDialogStateFirstControl] = off ? 1 : 0;
    if (!gSavedDialogState.changed) {
        gSavedDialogState = {path, text, true};
        static const bool restoreAtExit = (atexit(RestoreDialogState), true);
        (void)restoreAtExit;
    }
    return ReplaceWholeFile(path, FormatDialogStateFile(kSettingsFileTag, contents));
}
}  // namespace

// The worker count follows the preference CTL_MULTI_CPU_OFF, an interface control that no
// descriptor carries. The benchmark sets it in the plug-in's parameter block, which the host
// keeps between runs, as the dialog's check box would; but a run without the dialog starts
// its session afresh and takes the interface controls from the dialog-state file when there
// is one, so the value goes there too (the file is put back when the program ends).
bool SetMultiCpuOff(HostSession& session, bool off) {
    auto* block =
        static_cast<ParameterBlock*>(PseudoHandleBlock(session.parameters, sizeof(ParameterBlock)));
    if (!block) return false;
    block->controls[CTL_MULTI_CPU_OFF].value = off;
    return StoreMultiCpuPreference(off);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WritePpm(const std::string& path, const HostImage& image) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const int32_t max = image.depth == 16 ? 65535 : 255;
    fprintf(file, "P6\n%d %d\n%d\n", image.width, image.height, max);
    std::vector<uint8_t> row;
    for (int32_t y = 0; y < image.height; ++y) {
        row.clear();
        for (int32_t x = 0; x < image.width; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                const uint16_t v = image.at(x, y, c);
                if (image.depth == 16) {
                    const uint16_t file16 = HostSampleTo16BitFile(v);
                    row.push_back(uint8_t(file16 >> 8));
                    row.push_back(uint8_t(file16 & 0xFF));
                } else {
                    row.push_back(uint8_t(v));
                }
            }
        fwrite(row.data(), 1, row.size(), file);
    }
    return fclose(file) == 0;
}
