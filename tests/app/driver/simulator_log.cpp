#include "tests/app/driver/simulator_log.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

SimulatorLog::SimulatorLog() {
    const char* path = std::getenv("QX7_SIM_LOG");
    Path = path != nullptr ? path : "";
}

bool SimulatorLog::Read(std::vector<LoggedFrame>& frames) const {
    return ReadFrom(0, frames);
}

bool SimulatorLog::ReadFrom(size_t skip, std::vector<LoggedFrame>& frames) const {
    frames.clear();
    // The simulator keeps appending while we read, so the file is shared for writing.
    HANDLE file = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string content;
    char buffer[4096];
    DWORD count = 0;
    // ReadFile returns nonzero on success; 0 bytes read is the end of the file.
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) != FALSE && count > 0) {
        content.append(buffer, count);
    }
    CloseHandle(file);

    std::istringstream lines(content);
    std::string line;
    size_t index = 0;
    while (std::getline(lines, line)) {
        // A line still being written has no newline yet; it is read next time.
        if (lines.eof()) {
            break;
        }
        LoggedFrame frame;
        if (!ParseLine(line, frame)) {
            return false;
        }
        if (index++ >= skip) {
            frames.push_back(frame);
        }
    }
    return true;
}

bool SimulatorLog::ParseLine(const std::string& line, LoggedFrame& frame) {
    std::istringstream fields(line);
    std::string field;
    if (!(fields >> field)) {
        return false;
    }
    char* end = nullptr;
    frame.Milliseconds = std::strtoul(field.c_str(), &end, 10);
    if (field.empty() || *end != '\0') {
        return false;
    }
    frame.Bytes.clear();
    while (fields >> field) {
        const unsigned long value = std::strtoul(field.c_str(), &end, 16);
        if (field.size() != 2 || *end != '\0') {
            return false;
        }
        frame.Bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return !frame.Bytes.empty();
}
