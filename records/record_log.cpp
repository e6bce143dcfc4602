#include "records/record_log.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "records/log_lock.h"
#include "records/record_line.h"
#include "records/records_folder.h"
#include "records/sha256.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

Text RecordLog::PathOf(std::int32_t serialNumber) const {
    char name[32];
    std::snprintf(name, sizeof name, "%c%" PRId32 ".jsonl", PathSeparator, serialNumber);
    return Text(FolderPath).Append(name);
}

bool RecordLog::Read(std::int32_t serialNumber, Text& text) const {
    text.Clear();
    errno = 0;
    const File file(std::fopen(PathOf(serialNumber).Data(), "rb"));
    if (!file) {
        return errno == ENOENT;
    }
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.Append(buffer, count);
    }
    return std::ferror(file.get()) == 0;
}

bool RecordLog::Append(const CalibrationRecord& record) const {
    if (!record.Device.SerialNumber || FolderPath.Empty() || !MakeFolders(FolderPath)) {
        return false;
    }
    // A build without the hash keeps no records: the next one could not be chained to it.
    char probe[Sha256TextSize];
    if (!Sha256Hex("", 0, probe)) {
        return false;
    }
    const std::int32_t serialNumber = *record.Device.SerialNumber;
    // Read and appended through one handle, held from the read to the append. Binary, so that
    // Windows writes the line end as it is.
    const File file(std::fopen(PathOf(serialNumber).Data(), "a+b"));
    if (!file || !HoldLog(file.get()) || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    Text log;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        log.Append(buffer, count);
    }
    if (std::ferror(file.get()) != 0) {
        return false;
    }
    char previous[Sha256TextSize];
    std::memcpy(previous, FirstLinePrevious, Sha256TextSize);
    std::uint64_t sequence = 1;
    const bool complete = log.Empty() || log.Back() == '\n';
    if (!log.Empty()) {
        // The last line, without its line end.
        std::size_t end = complete ? log.Size() - 1 : log.Size();
        std::size_t start = end;
        while (start > 0 && log.Data()[start - 1] != '\n') {
            --start;
        }
        if (!Sha256Hex(log.Data() + start, end - start, previous)) {
            return false;
        }
        std::uint64_t last = 0;
        char ignored[HashTextSize];
        if (ReadChainPrefix(log.Data() + start, end - start, last, ignored)) {
            sequence = last + 1;
        } else {
            // Counted past a line that no longer reads as a record.
            sequence = 1;
            for (std::size_t at = 0; at < end; ++at) {
                sequence += log.Data()[at] == '\n' ? 1 : 0;
            }
            ++sequence;
        }
    }
    Text out;
    // A line cut short by an earlier failure stays as it is, and the chain goes on after it.
    if (!complete) {
        out.Append('\n');
    }
    out.Append(RecordLine(record, sequence, previous));
    out.Append('\n');
    // Between a read and a write the stream must be positioned; appending goes to the end.
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const bool written = std::fwrite(out.Data(), 1, out.Size(), file.get()) == out.Size();
    // fflush returns 0 when the line reached the system.
    return written && std::fflush(file.get()) == 0;
}
