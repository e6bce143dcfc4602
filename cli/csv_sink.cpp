#include "cli/csv_sink.h"

#include <fstream>

#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/value_text.h"

std::string CsvSink::Header() {
    std::string header = "time,serial_number";
    for (const LiveColumn& column : LiveColumns) {
        header += std::string(",") + column.FieldName;
    }
    return header + ",fault";
}

void CsvSink::Check(const std::string& path) {
    CheckOutputPath(path);
    std::ifstream existing(path, std::ios::binary);
    std::string first;
    if (!existing || !std::getline(existing, first)) {
        return;
    }
    if (first != Header()) {
        throw CommandFailure(ExitCode::Usage,
                             Escaped(path) + ": its first line is not this program's header (" +
                                 Header() + "); rows are appended only below the same columns");
    }
}

CsvSink::CsvSink(const std::string& path) : Path(path) {
    // Append only: an earlier log in the same file is never lost.
    File = std::fopen(path.c_str(), "ab");
    if (File == nullptr || std::fseek(File, 0, SEEK_END) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot open " + Escaped(path));
    }
    if (std::ftell(File) == 0) {
        Write(Header() + "\n");
    }
}

CsvSink::~CsvSink() {
    if (File != nullptr) {
        std::fclose(File);
    }
}

void CsvSink::Poll(const LivePoll& poll) {
    std::string row = poll.Time + ',' + std::to_string(poll.SerialNumber);
    for (int i = 0; i < LiveValues::Count; ++i) {
        row += ',';
        if (poll.Values.Present[i]) {
            row += FloatText(poll.Values.Values[i]);
        }
    }
    // The fault text holds no comma or quote: "resistance: fault; voltage: no reply".
    row += ',' + poll.Values.Faults + '\n';
    // One lock around the row and its flush: rows of several threads never interleave.
    std::lock_guard<std::mutex> lock(Guard);
    Write(row);
}

void CsvSink::Close() {
    std::lock_guard<std::mutex> lock(Guard);
    std::FILE* file = File;
    File = nullptr;
    if (file != nullptr && std::fclose(file) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot write to " + Escaped(Path));
    }
}

// A file that cannot take the whole row is an error, never a silently short log.
void CsvSink::Write(const std::string& row) {
    if (File == nullptr || std::fputs(row.c_str(), File) < 0 || std::fflush(File) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot write to " + Escaped(Path));
    }
}
