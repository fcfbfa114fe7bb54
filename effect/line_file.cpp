// Reading and writing one-item-per-line text.

#include "effect/line_file.h"

#include <algorithm>
#include <limits>

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

bool ParseLineNumber(std::string_view line, int32_t& value) {
    size_t i = 0, end = line.size();
    while (i < end && IsBlank(line[i])) ++i;
    while (end > i && IsBlank(line[end - 1])) --end;
    bool negative = false;
    if (i < end && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    if (i == end) return false;
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < end; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        magnitude = std::min<int64_t>(magnitude * 10 + (line[i] - '0'), kLimit);
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    value = int32_t(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max()));
    return true;
}

bool LineReader::NextLine(std::string_view& line) {
    if (AtEnd()) return false;
    size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(position_, end - position_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    position_ = end + 1;
    ++lineNumber_;
    return true;
}

bool LineReader::NextNumber(int32_t& value) {
    std::string_view line;
    return NextLine(line) && ParseLineNumber(line, value);
}

void LineWriter::Number(int32_t value) {
    bytes_ += std::to_string(value);
    bytes_ += '\n';
}

void LineWriter::Text(std::string_view text) {
    bytes_.append(text.data(), text.size());
    bytes_ += '\n';
}
