// Files the tests read and write whole, and the folders ctest names for them: the source tree
// (samples, fixtures) and the build's bin folder.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// A file's bytes; empty when it is missing.
inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file's lines, split at "\n" (a "\r" before it stays: the tests check the line ends);
// none when it is missing.
inline std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(FileText(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Replaces the file with the bytes; false when it could not be written.
inline bool WriteFileText(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

// Replaces the file with the lines, each ended by "\n".
inline bool WriteFileLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\n";
    return WriteFileText(path, bytes);
}

// GREYLOOM_SOURCE_DIR/relative: a sample or a fixture of the source tree.
inline std::string SourceFile(const std::string& relative) {
    const char* dir = std::getenv("GREYLOOM_SOURCE_DIR");
    return std::string(dir ? dir : ".") + "/" + relative;
}

// GREYLOOM_BIN_DIR/name: a program or plug-in the build made beside the tests.
inline std::string BinFile(const std::string& name) {
    const char* dir = std::getenv("GREYLOOM_BIN_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

// A plug-in the build made beside the tests, for this program's architecture:
// "<base>64.8bf" or "<base>32.8bf".
inline std::string BinPlugin(const std::string& base) {
    return BinFile(base + (sizeof(void*) == 8 ? "64.8bf" : "32.8bf"));
}
