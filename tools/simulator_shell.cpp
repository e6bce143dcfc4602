// The pty and FIFO event loop of qx7sim.
#include "tools/simulator_shell.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// While no client holds the slave side open the master only reports hang-up; look again
// this often instead of spinning on it, where opens of the slave side cannot be watched.
constexpr long long HangupRecheckNs = 2'000'000;
constexpr long long IdleWakeNs = 200'000'000;
constexpr long long BlockedRetryNs = 1'000'000;

timespec AsTimespec(long long ns) {
    if (ns < 0) {
        ns = 0;
    }
    timespec t;
    t.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    t.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return t;
}

int BaudOf(speed_t speed) {
    switch (speed) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

// "speed 9600 data 8 parity none stop 1 rtscts off xon off xoff off": the settings a serial
// line would run with, as the client set them.
std::string LineSettingsText(const termios& t) {
    tcflag_t size = t.c_cflag & CSIZE;
    int data = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const char* parity = (t.c_cflag & PARENB) == 0   ? "none"
                         : (t.c_cflag & PARODD) != 0 ? "odd"
                                                     : "even";
    auto onOff = [](bool on) { return on ? "on" : "off"; };
    char text[160];
    std::snprintf(text, sizeof text, "speed %d data %d parity %s stop %d rtscts %s xon %s xoff %s",
                  BaudOf(cfgetospeed(&t)), data, parity, (t.c_cflag & CSTOPB) != 0 ? 2 : 1,
                  onOff((t.c_cflag & CRTSCTS) != 0), onOff((t.c_iflag & IXON) != 0),
                  onOff((t.c_iflag & IXOFF) != 0));
    return text;
}

}  // namespace

SimulatorShell::~SimulatorShell() {
    if (!LinkPath.empty()) {
        unlink(LinkPath.c_str());
    }
    if (ControlFd >= 0) {
        close(ControlFd);
        unlink(ControlPath.c_str());
    }
    if (OpenWatch >= 0) {
        close(OpenWatch);
    }
    if (Master >= 0) {
        close(Master);
    }
    if (Log != nullptr) {
        std::fclose(Log);
    }
}

SimulatorShell::Nanoseconds SimulatorShell::Now() const {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<Nanoseconds>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool SimulatorShell::Start(const SimulatorOptions& options, std::string& error) {
    Started = Now();
    if (!options.Log.empty()) {
        Log = std::fopen(options.Log.c_str(), "a");
        if (Log == nullptr) {
            error = "cannot open the log " + options.Log + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!options.Control.empty()) {
        struct stat st;
        bool isFifo = stat(options.Control.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
        if (!isFifo && mkfifo(options.Control.c_str(), 0666) != 0) {
            error = "cannot make the FIFO " + options.Control + ": " + std::strerror(errno);
            return false;
        }
        // Holding the FIFO open for writing too means it never reads as ended when a writer
        // closes, so writers can come and go and the loop never spins on end-of-file.
        ControlFd = open(options.Control.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (ControlFd < 0) {
            error = "cannot open the FIFO " + options.Control + ": " + std::strerror(errno);
            return false;
        }
        ControlPath = options.Control;
    }

    Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    fcntl(Master, F_SETFD, FD_CLOEXEC);
    const char* slaveName = ptsname(Master);
    if (slaveName == nullptr) {
        error = "the pseudo-terminal has no slave name";
        return false;
    }
    std::string slave = slaveName;
    // The line discipline must pass every byte through untouched.
    int slaveFd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd < 0) {
        error = "cannot open " + slave + ": " + std::strerror(errno);
        return false;
    }
    termios t;
    if (tcgetattr(slaveFd, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(slaveFd, TCSANOW, &t);
    }
    close(slaveFd);
    HungUp = true;
    // Watched from here on, so no client's open is missed between a hang-up and the wait.
    OpenWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (OpenWatch >= 0 && inotify_add_watch(OpenWatch, slave.c_str(), IN_OPEN) < 0) {
        close(OpenWatch);
        OpenWatch = -1;
    }

    struct stat st;
    if (lstat(options.Link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = options.Link + " exists and is not a symlink";
            return false;
        }
        unlink(options.Link.c_str());
    }
    if (symlink(slave.c_str(), options.Link.c_str()) != 0) {
        error = "cannot make the link " + options.Link + ": " + std::strerror(errno);
        return false;
    }
    LinkPath = options.Link;
    return true;
}

void SimulatorShell::ReadControl() {
    char buffer[512];
    for (;;) {
        ssize_t n = read(ControlFd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        ControlText.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t end;
    while ((end = ControlText.find('\n')) != std::string::npos) {
        std::string line = ControlText.substr(0, end);
        ControlText.erase(0, end + 1);
        std::string error;
        // The terminal is the shell's, so its report is answered here, not by the engine.
        bool ok = line.rfind("report", 0) == 0 ? Report(line, error) : Engine.Apply(line, error);
        if (!ok) {
            std::fprintf(stderr, "qx7sim: control: %s\n", error.c_str());
        }
    }
}

bool SimulatorShell::Report(const std::string& line, std::string& error) const {
    char what[16] = {};
    char path[4096] = {};
    if (std::sscanf(line.c_str(), "report %15s %4095[^\n]", what, path) != 2 ||
        std::strcmp(what, "line") != 0) {
        error = "report takes: line FILE";
        return false;
    }
    // On Linux the master side answers with the settings the client gave the slave side.
    termios t;
    if (tcgetattr(Master, &t) != 0) {
        error = std::string("cannot read the terminal settings: ") + std::strerror(errno);
        return false;
    }
    std::string text = LineSettingsText(t);
    // Written under another name and renamed, so a reader never sees half a report.
    std::string part = std::string(path) + ".part";
    std::FILE* out = std::fopen(part.c_str(), "w");
    if (out == nullptr) {
        error = "cannot write " + part + ": " + std::strerror(errno);
        return false;
    }
    std::fprintf(out, "%s\n", text.c_str());
    std::fclose(out);
    if (std::rename(part.c_str(), path) != 0) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SimulatorShell::Hangup() {
    HungUp = true;
    Replying = false;
    LineFree = 0;
    Requests.clear();
    Assembler = RequestAssembler();
}

void SimulatorShell::ReadLine(Nanoseconds now) {
    std::uint8_t buffer[256];
    for (;;) {
        ssize_t n = read(Master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            return;
        }
        if (n <= 0) {
            // EIO: the last client closed the slave side.
            Hangup();
            return;
        }
        long byteNs = Engine.ByteTimeNs();
        if (ReceiveWire < now) {
            ReceiveWire = now;
        }
        for (ssize_t i = 0; i < n; ++i) {
            ReceiveWire += byteNs;
            if (Assembler.Push(buffer[i])) {
                Requests.push_back({Assembler.Frame(), ReceiveWire});
            }
        }
    }
}

void SimulatorShell::Answer(const Request& request, Nanoseconds now) {
    if (Log != nullptr) {
        std::fprintf(Log, "%lld", (now - Started) / 1'000'000);
        for (auto b : request.Bytes) {
            std::fprintf(Log, " %02X", b);
        }
        std::fputc('\n', Log);
        std::fflush(Log);
    }
    if (Engine.Respond(request.Bytes, Reply)) {
        Replying = true;
        Sent = 0;
        // The reply follows the request on the wire, however late this loop woke up to
        // answer it: the bytes already due leave at once and the pace catches up.
        Nanoseconds start = request.Ready > LineFree ? request.Ready : LineFree;
        int delayMs = Engine.LateMs() >= 0 ? Engine.LateMs() : Engine.ReplyDelayMs();
        ReplyStart = start + static_cast<Nanoseconds>(delayMs) * 1'000'000;
        LineFree = ReplyStart + static_cast<Nanoseconds>(Reply.size()) * Engine.ByteTimeNs();
    }
}

void SimulatorShell::SendDue(Nanoseconds now) {
    if (now < ReplyStart) {
        return;
    }
    long byteNs = Engine.ByteTimeNs();
    std::size_t due = Reply.size();
    if (byteNs > 0) {
        // A byte reaches the client once all of its ten bits have crossed the wire.
        due = static_cast<std::size_t>((now - ReplyStart) / byteNs);
        if (due > Reply.size()) {
            due = Reply.size();
        }
    }
    WriteBlocked = false;
    while (Sent < due) {
        ssize_t n = write(Master, Reply.data() + Sent, due - Sent);
        if (n <= 0) {
            WriteBlocked = n < 0 && errno == EAGAIN;
            break;
        }
        Sent += static_cast<std::size_t>(n);
    }
    if (Sent == Reply.size()) {
        Replying = false;
    }
}

void SimulatorShell::Run(const volatile std::sig_atomic_t& stop) {
    sigset_t unblocked;
    sigemptyset(&unblocked);
    while (stop == 0) {
        Nanoseconds now = Now();
        if (Replying) {
            SendDue(now);
        }
        if (!Replying && !Requests.empty() && Requests.front().Ready <= now) {
            Request request = Requests.front();
            Requests.pop_front();
            // A control line written before the request reached the line applies to it,
            // however the wake-ups of the two channels were ordered.
            if (ControlFd >= 0) {
                ReadControl();
            }
            Answer(request, now);
            continue;
        }

        Nanoseconds wake = now + IdleWakeNs;
        long byteNs = Engine.ByteTimeNs();
        if (Replying) {
            wake = ReplyStart + static_cast<Nanoseconds>(Sent + 1) * byteNs;
        } else if (!Requests.empty()) {
            wake = Requests.front().Ready;
        }
        if (Replying && WriteBlocked && wake < now + BlockedRetryNs) {
            // The client is not reading and the terminal's buffer is full: retry calmly.
            wake = now + BlockedRetryNs;
        }
        if (HungUp && OpenWatch < 0 && wake > now + HangupRecheckNs) {
            wake = now + HangupRecheckNs;
        }

        pollfd fds[3];
        nfds_t count = 0;
        int masterIndex = -1;
        int controlIndex = -1;
        int watchIndex = -1;
        if (ControlFd >= 0) {
            controlIndex = static_cast<int>(count);
            fds[count++] = {ControlFd, POLLIN, 0};
        }
        if (!HungUp) {
            masterIndex = static_cast<int>(count);
            fds[count++] = {Master, POLLIN, 0};
        } else if (OpenWatch >= 0) {
            watchIndex = static_cast<int>(count);
            fds[count++] = {OpenWatch, POLLIN, 0};
        }
        timespec timeout = AsTimespec(wake - now);
        int ready = ppoll(fds, count, &timeout, &unblocked);
        if (ready < 0) {
            continue;
        }
        if (controlIndex >= 0 && (fds[controlIndex].revents & POLLIN) != 0) {
            ReadControl();
        }
        if (watchIndex >= 0 && (fds[watchIndex].revents & POLLIN) != 0) {
            // Which open it was does not matter: the master is looked at below.
            char events[4096];
            while (read(OpenWatch, events, sizeof events) > 0) {
            }
        }
        if (masterIndex >= 0 && fds[masterIndex].revents != 0) {
            if ((fds[masterIndex].revents & POLLIN) != 0) {
                ReadLine(Now());
            } else {
                Hangup();
            }
        }
        if (HungUp) {
            pollfd probe = {Master, POLLIN, 0};
            if (poll(&probe, 1, 0) >= 0 && (probe.revents & POLLHUP) == 0) {
                HungUp = false;
                if ((probe.revents & POLLIN) != 0) {
                    ReadLine(Now());
                }
            }
        }
    }
}
