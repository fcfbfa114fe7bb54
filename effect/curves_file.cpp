// Reading a curves file.

#include "effect/curves_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "effect/control_ids.h"
#include "render/session_state.h"

namespace {
constexpr size_t kHeaderBytes = 4;  // version and curve count, not needed
constexpr int32_t kFileLevelMax = 255;
constexpr int32_t kModeAdvanced = 4;

class BigEndianReader {
  public:
    explicit BigEndianReader(std::string_view bytes) : bytes_(bytes) {}
    bool Skip(size_t count) {
        if (bytes_.size() - position_ < count) return false;
        position_ += count;
        return true;
    }
    bool Next(int32_t& value) {
        if (bytes_.size() - position_ < 2) return false;
        value = int32_t(uint8_t(bytes_[position_])) << 8 | uint8_t(bytes_[position_ + 1]);
        position_ += 2;
        return true;
    }
    bool AtEnd() const { return position_ >= bytes_.size(); }

  private:
    std::string_view bytes_;
    size_t position_ = 0;
};

int32_t Scaled(int32_t level) {
    return std::min(level, kFileLevelMax) * kCurveCoordinateMax / kFileLevelMax;
}
}  // namespace

bool CurvesFileParse(std::string_view bytes, PresetChanges& changes, std::string& error) {
    BigEndianReader reader(bytes);
    if (!reader.Skip(kHeaderBytes)) {
        error = "it is too short for a curves file";
        return false;
    }
    for (int32_t curve = 0; curve < kCurvesFileCurves && !reader.AtEnd(); ++curve) {
        int32_t count = 0;
        if (!reader.Next(count)) {
            error = "it ends inside curve " + std::to_string(curve + 1);
            return false;
        }
        std::vector<std::array<int32_t, 2>> points;  // input, output
        for (int32_t i = 0; i < count; ++i) {
            int32_t output = 0, input = 0;
            if (!reader.Next(output) || !reader.Next(input)) {
                error = "it ends inside curve " + std::to_string(curve + 1);
                return false;
            }
            if (i < kCurvePointMax) points.push_back({Scaled(input), Scaled(output)});
        }
        std::stable_sort(points.begin(), points.end(),
                         [](const auto& a, const auto& b) { return a[0] < b[0]; });
        const int32_t target = kCurvesFileTargets[curve];
        changes.SetCurveCount(target, int32_t(points.size()));
        for (size_t i = 0; i < points.size(); ++i)
            changes.SetCurvePoint(target, int32_t(i), points[i][0], points[i][1]);
    }
    if (changes.view[CTL_MODE] == kModeAdvanced) changes.GoToPage(kCurvesFilePage);
    return true;
}
