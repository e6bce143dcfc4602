#include "tests/app/driver/program_process.h"

#include <cstring>
#include <map>

namespace {

// The environment block CreateProcessA takes: NAME=value strings, each zero-terminated, and
// one more zero at the end.
std::string EnvironmentBlock(const std::vector<std::string>& variables) {
    std::map<std::string, std::string> merged;
    auto add = [&merged](const std::string& entry) {
        // Entries such as "=C:=C:\" name a drive's directory; their name starts after the '='.
        const size_t equals = entry.find('=', 1);
        if (equals != std::string::npos) {
            merged[entry.substr(0, equals)] = entry;
        }
    };
    // Returns null on failure; then only the caller's variables are passed.
    char* current = GetEnvironmentStringsA();
    if (current != nullptr) {
        for (const char* entry = current; *entry != '\0'; entry += std::strlen(entry) + 1) {
            add(entry);
        }
        FreeEnvironmentStringsA(current);
    }
    for (const std::string& entry : variables) {
        add(entry);
    }
    std::string block;
    for (const auto& entry : merged) {
        block += entry.second;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

}  // namespace

ProgramProcess::~ProgramProcess() {
    Terminate();
}

bool ProgramProcess::Start(const std::string& commandLine,
                           const std::vector<std::string>& variables) {
    Terminate();
    std::string line = commandLine;
    std::string environment = EnvironmentBlock(variables);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Nonzero on success.
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, &environment[0], nullptr,
                          &startup, &Information) != FALSE;
}

bool ProgramProcess::IsRunning() const {
    return Information.hProcess != nullptr &&
           WaitForSingleObject(Information.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const {
    if (Information.hProcess == nullptr ||
        WaitForSingleObject(Information.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(Information.hProcess, &exitCode) != FALSE;
}

void ProgramProcess::Terminate() {
    if (Information.hProcess == nullptr) {
        return;
    }
    if (IsRunning()) {
        TerminateProcess(Information.hProcess, 1);
        WaitForSingleObject(Information.hProcess, 5000);
    }
    CloseHandle(Information.hThread);
    CloseHandle(Information.hProcess);
    Information = {};
}
