// qx7ctl certificate: one record of a transmitter's calibration log as a printable page that
// carries the record's chain hash, so that the paper can be checked against the log.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/atomic_file.h"
#include "cli/certificate_page.h"
#include "cli/command_failure.h"
#include "cli/record_keeping.h"
#include "cli/subcommands.h"
#include "cli/system_language.h"
#include "cli/value_text.h"
#include "records/chain_check.h"
#include "records/record_log.h"
#include "records/sha256.h"

namespace {

struct CertificateOptions {
    std::string Serial;
    RecordOptions Records;
    int Record = 0;
    std::string Output;
    std::string Language;
};

// The record asked for by its number, else the newest calibration, else the newest record.
const LoggedRecord& Chosen(const std::vector<LoggedRecord>& log, int number) {
    if (number > 0) {
        for (const LoggedRecord& entry : log) {
            if (entry.Record["seq"] == number) {
                return entry;
            }
        }
        throw CommandFailure(ExitCode::Usage, "the log has no record " + std::to_string(number));
    }
    for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
        if (entry->Record["event"] == "calibration") {
            return *entry;
        }
    }
    return log.back();
}

int RunCertificate(CertificateOptions& options) {
    if (options.Serial.empty() ||
        options.Serial.find_first_not_of("0123456789") != std::string::npos ||
        options.Serial.size() > 9) {
        throw CommandFailure(ExitCode::Usage, "SERIAL must be a serial number");
    }
    const std::int32_t serialNumber = static_cast<std::int32_t>(std::stol(options.Serial));
    const std::string lang = options.Language.empty() ? SystemLanguage() : options.Language;
    const std::string folder = RecordsFolderOf(options.Records);
    const std::vector<LoggedRecord> log = ReadLog(folder, serialNumber);
    if (log.empty()) {
        throw CommandFailure(ExitCode::Usage,
                             Quoted(LogPath(folder, serialNumber)) + " holds no records");
    }
    const LoggedRecord& chosen = Chosen(log, options.Record);

    CertificateSource source;
    source.Record = chosen.Record;
    source.Line = chosen.Line;
    source.LogPath = LogPath(folder, serialNumber);
    char hash[Sha256TextSize];
    Text text;
    if (!Sha256Hex(chosen.Text.data(), chosen.Text.size(), hash) ||
        !RecordLog(folder.c_str()).Read(serialNumber, text)) {
        throw CommandFailure(ExitCode::Usage, "the record's hash cannot be taken in this build");
    }
    source.LineHash = hash;
    const ChainReport chain = CheckChain(text.Data(), text.Size());
    source.ChainState = chain.Fault == ChainFault::None
                            ? (lang == "cs" ? "neporušený, " : "intact, ") +
                                  std::to_string(chain.Lines) + (lang == "cs" ? " řádků" : " lines")
                            : std::string(lang == "cs" ? "PORUŠENÝ na řádku " : "BROKEN at line ") +
                                  std::to_string(chain.Line) + " (" + ChainFaultName(chain.Fault) +
                                  ")";
    const std::string page = CertificatePage(source, lang);
    if (options.Output.empty()) {
        std::cout << page;
        return ExitCode::Success;
    }
    std::string problem;
    if (!ReplaceWholeFile(options.Output, page, problem)) {
        throw CommandFailure(ExitCode::Usage, Quoted(options.Output) + ": " + problem);
    }
    std::cerr << "certificate of record " << chosen.Record["seq"].dump() << " written to "
              << Escaped(options.Output) << '\n';
    return chain.Fault == ChainFault::None ? ExitCode::Success : ExitCode::No;
}

}  // namespace

CommandRun DefineCertificateCommand(CLI::App& command) {
    auto options = std::make_shared<CertificateOptions>();
    command.add_option("SERIAL", options->Serial, "the transmitter's serial number");
    AddRecordOptions(command, options->Records);
    command
        .add_option("--record", options->Record,
                    "the record's number (seq); default: the newest calibration")
        ->check(CLI::PositiveNumber);
    command.add_option("-o,--output", options->Output,
                       "the HTML file to write (default: standard output)");
    command.add_option("--lang", options->Language, "cs or en (default: the system's language)")
        ->check(CLI::IsMember({"cs", "en"}));
    return [options] { return RunCertificate(*options); };
}
