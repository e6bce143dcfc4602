#include "cli/input_file.h"

#include <filesystem>
#include <fstream>

#include "cli/command_failure.h"
#include "cli/value_text.h"

namespace fs = std::filesystem;

namespace {

const char* KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a directory";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::character:
            return "a character device";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a regular file";
    }
}

[[noreturn]] void Refuse(const std::string& path, const std::string& problem) {
    throw CommandFailure(ExitCode::Usage, Escaped(path) + ": " + problem);
}

}  // namespace

std::string ReadInputFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        Refuse(path, "cannot read it: " + (error ? error.message() : "no such file"));
    }
    if (!fs::is_regular_file(status)) {
        Refuse(path, std::string(KindOf(status.type())) + ", not a file saved by backup");
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > MaxInputFileSize) {
        Refuse(path, "larger than 1 MiB, far larger than any settings file");
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        Refuse(path, "cannot read it");
    }
    // The size is read again through the stream, in case the file grew after the check.
    std::string text(MaxInputFileSize + 1, '\0');
    stream.read(&text[0], static_cast<std::streamsize>(text.size()));
    if (stream.bad()) {
        Refuse(path, "cannot read it");
    }
    text.resize(static_cast<std::size_t>(stream.gcount()));
    if (text.size() > MaxInputFileSize) {
        Refuse(path, "larger than 1 MiB, far larger than any settings file");
    }
    return text;
}

void CheckOutputPath(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        Refuse(path, std::string(KindOf(status.type())) + ", not a file to write");
    }
}
