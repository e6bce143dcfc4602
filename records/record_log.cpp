#include "records/record_log.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "records/chain_check.h"
#include "records/record_line.h"
#include "records/records_folder.h"
#include "records/sha256.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string RecordLog::PathOf(std::int32_t serialNumber) const {
    return FolderPath + PathSeparator + std::to_string(serialNumber) + ".jsonl";
}

bool RecordLog::Read(std::int32_t serialNumber, std::string& text) const {
    text.clear();
    errno = 0;
    const File file(std::fopen(PathOf(serialNumber).c_str(), "rb"));
    if (!file) {
        return errno == ENOENT;
    }
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, count);
    }
    return std::ferror(file.get()) == 0;
}

bool RecordLog::Append(const CalibrationRecord& record) const {
    if (!record.Device.SerialNumber || FolderPath.empty() || !MakeFolders(FolderPath)) {
        return false;
    }
    const std::int32_t serialNumber = *record.Device.SerialNumber;
    std::string text;
    if (!Read(serialNumber, text)) {
        return false;
    }
    const std::vector<std::string> lines = SplitLogLines(text);
    std::string previous = FirstLinePrevious;
    std::uint64_t sequence = 1;
    if (!lines.empty()) {
        if (!Sha256Hex(lines.back(), previous)) {
            return false;
        }
        std::uint64_t last = 0;
        std::string ignored;
        sequence = ReadChainPrefix(lines.back(), last, ignored) ? last + 1 : lines.size() + 1;
    }
    std::string out;
    // A line cut short by an earlier failure stays as it is, and the chain goes on after it.
    if (!text.empty() && text.back() != '\n') {
        out += '\n';
    }
    out += RecordLine(record, sequence, previous);
    out += '\n';
    // Binary, so that Windows writes the line end as it is.
    const File file(std::fopen(PathOf(serialNumber).c_str(), "ab"));
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
    // fflush returns 0 when the line reached the system.
    return written && std::fflush(file.get()) == 0;
}
