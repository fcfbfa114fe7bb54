// The plug-in's text files of one item per line: a reader that takes lines and whole
// numbers strictly (a line that is not a number is an error, never a silent 0), and a
// writer that appends "%d\n" and "%s\n" lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // The next line without its line feed (and carriage return); false at the end.
    bool NextLine(std::string_view& line);
    // The next line as a number: optional blanks and sign, then digits. Numbers beyond the
    // int32 range are held at its ends. False at the end or for a line that is no number.
    bool NextNumber(int32_t& value);
    bool AtEnd() const { return position_ >= text_.size(); }
    int32_t LineNumber() const { return lineNumber_; }  // of the line last read, from 1

  private:
    std::string_view text_;
    size_t position_ = 0;
    int32_t lineNumber_ = 0;
};

// Parses a whole line as NextNumber does.
bool ParseLineNumber(std::string_view line, int32_t& value);

class LineWriter {
  public:
    void Number(int32_t value);
    void Text(std::string_view text);
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};
