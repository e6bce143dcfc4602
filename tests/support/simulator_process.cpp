// Starts qx7sim as a child process and talks to its control FIFO and request log.
#include "tests/support/simulator_process.h"

#include "tests/support/built_programs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool Exited(pid_t pid, int waitMs) {
    for (int i = 0; i <= waitMs / 10; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options) {
    char pattern[] = "/tmp/qx7sim-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return;
    }
    Dir = pattern;
    Link = Dir + "/link";
    Log = Dir + "/requests.log";
    ControlPath = Dir + "/control";

    // Real-time where allowed: a simulator woken late would send a reply's copy late enough
    // to pass for the next request's reply.
    std::vector<std::string> args = {SimulatorProgram(), "--realtime", "--link", Link, "--log", Log,
                                     "--control",        ControlPath};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    Pid = fork();
    if (Pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (Pid < 0) {
        return;
    }
    // The simulator makes its log and FIFO first and its link last.
    for (int i = 0; i < 500; ++i) {
        if (Exists(Link)) {
            Running = true;
            return;
        }
        int status = 0;
        if (waitpid(Pid, &status, WNOHANG) == Pid) {
            Pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimulatorProcess::~SimulatorProcess() {
    Stop();
    if (!Dir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
}

void SimulatorProcess::Stop() {
    if (Pid <= 0) {
        return;
    }
    kill(Pid, SIGTERM);
    if (!Exited(Pid, 2000)) {
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
    }
    Pid = -1;
    Running = false;
}

bool SimulatorProcess::Control(const std::string& line) const {
    int fd = open(ControlPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::string text = line + "\n";
    // One write below PIPE_BUF is atomic, so lines of concurrent writers never interleave.
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

std::vector<std::vector<std::uint8_t>> SimulatorProcess::Frames() const {
    std::vector<long long> times;
    return Frames(times);
}

long long SimulatorProcess::FrameTime(std::size_t index) const {
    std::vector<long long> times;
    Frames(times);
    return index < times.size() ? times[index] : -1;
}

std::vector<std::vector<std::uint8_t>> SimulatorProcess::Frames(
    std::vector<long long>& times) const {
    std::vector<std::vector<std::uint8_t>> frames;
    times.clear();
    std::ifstream in(Log);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        long long milliseconds = 0;
        if (!(fields >> milliseconds)) {
            continue;
        }
        std::vector<std::uint8_t> frame;
        std::string hex;
        while (fields >> hex) {
            frame.push_back(static_cast<std::uint8_t>(std::strtoul(hex.c_str(), nullptr, 16)));
        }
        frames.push_back(frame);
        times.push_back(milliseconds);
    }
    return frames;
}

std::vector<std::uint8_t> SimulatorProcess::LastFrame() const {
    auto frames = Frames();
    return frames.empty() ? std::vector<std::uint8_t>{} : frames.back();
}
