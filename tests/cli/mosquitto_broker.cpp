#include "tests/cli/mosquitto_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    close(s);
    return port;
}

bool Accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

int Run(const std::string& command) {
    return std::system(command.c_str());
}

}  // namespace

MosquittoBroker::MosquittoBroker() {
    char pattern[] = "/tmp/qx7mqtt-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return;
    }
    Dir = pattern;
    ListenPort = FreeLoopbackPort();
    // Run as the user the test runs as, which can read this directory.
    std::ofstream(Dir + "/mosquitto.conf")
        << "listener " << ListenPort << " 127.0.0.1\n"
        << "allow_anonymous false\n"
        << "password_file " << Dir << "/passwords\n"
        << "persistence false\n"
        << "user " << (getuid() == 0 ? "root" : "mosquitto") << "\n"
        << "log_dest file " << Dir << "/mosquitto.log\n";
    const std::string passwd = "mosquitto_passwd -b ";
    Run("touch " + Dir + "/watcher " + Dir + "/both && " + passwd + Dir + "/watcher " +
        WatcherUser + " " + WatcherPassword + " && " + passwd + Dir + "/both " + WatcherUser + " " +
        WatcherPassword + " && " + passwd + Dir + "/both " + GatewayUser + " '" + GatewayPassword +
        "'");
    Start();
}

MosquittoBroker::~MosquittoBroker() {
    Stop();
    if (!Dir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
}

std::string MosquittoBroker::GatewayUrl(const std::string& prefix) const {
    return std::string("mqtt://") + GatewayUser +
           ":p%40ss%3Aw%2Frd@127.0.0.1:" + std::to_string(ListenPort) + "/" + prefix;
}

void MosquittoBroker::WritePasswords(bool admitGateway) const {
    std::filesystem::copy_file(Dir + (admitGateway ? "/both" : "/watcher"), Dir + "/passwords",
                               std::filesystem::copy_options::overwrite_existing);
}

bool MosquittoBroker::Start(bool admitGateway) {
    if (Dir.empty() || ListenPort == 0) {
        return false;
    }
    WritePasswords(admitGateway);
    Pid = fork();
    if (Pid == 0) {
        // Ends with a test that a time-out ends, so no broker outlives its test.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // Its warnings (such as running as root) go to its log, not into the test's output.
        const int log = open((Dir + "/stderr.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(log, 2);
        execlp("mosquitto", "mosquitto", "-c", (Dir + "/mosquitto.conf").c_str(), nullptr);
        _exit(127);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < giveUp) {
        if (Accepts(ListenPort)) {
            return true;
        }
        int status = 0;
        if (waitpid(Pid, &status, WNOHANG) == Pid) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
}

void MosquittoBroker::Stop() {
    if (Pid > 0) {
        kill(Pid, SIGTERM);
        int status = 0;
        waitpid(Pid, &status, 0);
        Pid = -1;
    }
}

void MosquittoBroker::AdmitGateway() {
    WritePasswords(true);
    if (Pid > 0) {
        kill(Pid, SIGHUP);
    }
}
