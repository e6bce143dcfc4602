// The qx7sim program as clients meet it: its pseudo-terminal, log, control FIFO, pacing and
// command line.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "link/transmitter_link.h"
#include "tests/support/built_programs.h"
#include "tests/support/simulator_process.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// User plus system CPU time of a process, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t end = text.rfind(')');
    if (end == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stol(field);
        } else if (i == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

// How often a process has gone to sleep of its own accord.
long VoluntarySwitches(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string key = "voluntary_ctxt_switches:";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) {
            return std::stol(line.substr(key.size()));
        }
    }
    return -1;
}

int RunSimulator(const std::vector<std::string>& options) {
    std::vector<std::string> args = {SimulatorProgram()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Qx7sim, LogsEachRequestWithItsTimeAndBytesInHex) {
    SimulatorProcess simulator;
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    std::uint8_t damping = 7;
    ASSERT_TRUE(link.ReadIdentity());
    ASSERT_TRUE(link.ReadInputDamping(damping));
    std::ifstream log(simulator.Directory() + "/requests.log");
    std::string first;
    std::string second;
    std::getline(log, first);
    std::getline(log, second);
    EXPECT_TRUE(std::regex_match(first, std::regex("[0-9]+ 01 21 00 DE"))) << first;
    EXPECT_TRUE(std::regex_match(second, std::regex("[0-9]+ 01 3E 00 C1"))) << second;
}

TEST(Qx7sim, ServesClientsThatComeAndGoWithoutSpinningInBetween) {
    SimulatorProcess simulator;
    for (int round = 0; round < 3; ++round) {
        TransmitterLink link;
        ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
        EXPECT_STREQ(link.ReadIdentity(), "QX7") << "round " << round;
    }
    long before = CpuTicks(simulator.ProcessId());
    long sleepsBefore = VoluntarySwitches(simulator.ProcessId());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    long used = CpuTicks(simulator.ProcessId()) - before;
    long sleeps = VoluntarySwitches(simulator.ProcessId()) - sleepsBefore;
    // Spinning on the hung-up master would burn about 50 ticks in half a second.
    EXPECT_LT(used, 15);
    // Without a client it sleeps until one opens the line, rather than looking again every
    // few milliseconds (about 250 times in half a second), each time a sanitized program's
    // wake-up on a busy machine.
    EXPECT_LT(sleeps, 25);
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    EXPECT_STREQ(link.ReadIdentity(), "QX7");
}

// Real-time where it may, the simulator must give the processor back before its exit work: a
// sanitized build's leak check waits for a helper thread of normal priority, which a
// real-time parent starves while anything else wants the same processor.
TEST(Qx7sim, ServesRealTimeButExitsWithoutHoldingTheProcessor) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    SimulatorProcess simulator;
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    EXPECT_STREQ(link.ReadIdentity(), "QX7");
    // Another process of normal priority that wants the simulator's processor throughout.
    pid_t rival = fork();
    if (rival == 0) {
        for (;;) {
        }
    }
    ASSERT_GT(rival, 0);
    const pid_t pid = simulator.ProcessId();
    const long before = CpuTicks(pid);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    // Waits for the exit but leaves the process to be reaped, so its times can still be read.
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    const long used = CpuTicks(pid) - before;
    kill(rival, SIGKILL);
    waitpid(rival, nullptr, 0);
    sched_setaffinity(0, sizeof all, &all);
    EXPECT_EQ(info.si_code, CLD_EXITED);
    // Starving its helper, it spun about two seconds (200 ticks) before its exit.
    EXPECT_LT(used, 30);
}

TEST(Qx7sim, TakesControlLinesFromWritersThatComeAndGo) {
    SimulatorProcess simulator;
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    float offset = 0;
    for (int value = 1; value <= 3; ++value) {
        ASSERT_TRUE(simulator.Control("set offset " + std::to_string(value)));
        ASSERT_TRUE(link.ReadOffset(offset));
        EXPECT_EQ(offset, static_cast<float>(value));
    }
    ASSERT_TRUE(simulator.Control("this is not a command"));
    ASSERT_TRUE(link.ReadOffset(offset));
    EXPECT_EQ(offset, 3.0f);
}

TEST(Qx7sim, PacedRepliesTakeTheirWireTime) {
    SimulatorProcess simulator({"--pace"});
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    CoefficientBlock block{};
    auto start = Clock::now();
    ASSERT_TRUE(link.ReadSensorCoefficients(block));
    // 4 request bytes and 23 reply bytes at 10 bits each and 9600 baud.
    double elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 27 * 10 * 1000.0 / 9600 - 0.5);
}

TEST(Qx7sim, DelaysRepliesWhenToldTo) {
    SimulatorProcess simulator({"--delay", "120"});
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    auto start = Clock::now();
    EXPECT_TRUE(link.ReadIdentity());
    EXPECT_GE(MillisecondsSince(start), 119);
    // The link gives up after its read time-out rather than waiting for a late reply. The
    // reply comes long after the time-out, so a test process that gets the processor late
    // between its request and its read still does not see it.
    ASSERT_TRUE(simulator.Control("delay 1500"));
    EXPECT_EQ(link.ReadIdentity(), nullptr);
}

TEST(Qx7sim, StartsFromAConfigFileAndThenItsOptions) {
    char path[] = "/tmp/qx7sim-config-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string config = "# an ISE transmitter\nprobe_kind = 1\nidentity = QX8\noffset = 5\n";
    ASSERT_EQ(write(fd, config.data(), config.size()), static_cast<ssize_t>(config.size()));
    close(fd);
    SimulatorProcess simulator({"--config", path, "--set", "offset=7.5"});
    unlink(path);
    TransmitterLink link;
    ASSERT_TRUE(link.Open(simulator.DevicePath().c_str()));
    std::uint8_t kind = 0;
    float offset = 0;
    EXPECT_STREQ(link.ReadIdentity(), "QX8");
    EXPECT_TRUE(link.ReadProbeKind(kind));
    EXPECT_EQ(kind, 1);
    EXPECT_TRUE(link.ReadOffset(offset));
    EXPECT_EQ(offset, 7.5f);
}

TEST(Qx7sim, RefusesABadCommandLineWithAnErrorStatus) {
    EXPECT_EQ(RunSimulator({"--link", "/tmp/qx7sim-never", "--frobnicate", "1"}), 2);
    EXPECT_EQ(RunSimulator({"--link"}), 2);
    EXPECT_EQ(RunSimulator({"--link", "/tmp/qx7sim-never", "--fault", "sulk"}), 2);
    EXPECT_EQ(RunSimulator({"--link", "/tmp/qx7sim-never", "--config", "/nonexistent"}), 2);
    // A folder is no config file, even for root, who may find one wherever a test looks.
    EXPECT_EQ(RunSimulator({"--link", "/tmp/qx7sim-never", "--config", "/tmp"}), 2);
    EXPECT_EQ(RunSimulator({"--help"}), 0);
    EXPECT_EQ(RunSimulator({"--link", "/nonexistent-dir/link"}), 1);
}

}  // namespace
