// Collects what the process-wide message handler prints: it writes to
// std::cerr, whose buffer is swapped for a string buffer while the capture
// lives.
#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

class StderrCapture {
public:
    StderrCapture() : saved_(std::cerr.rdbuf(buffer_.rdbuf())) {}
    ~StderrCapture() { std::cerr.rdbuf(saved_); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string Text() const { return buffer_.str(); }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(buffer_.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    std::ostringstream buffer_;
    std::streambuf* saved_;
};

// The lines the handler prints for these warnings, in order.
inline std::vector<std::string> WarningLines(const std::vector<std::string>& warnings) {
    std::vector<std::string> lines;
    for (const std::string& warning : warnings) lines.push_back("Warning: " + warning);
    return lines;
}
