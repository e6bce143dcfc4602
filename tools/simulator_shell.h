// qx7sim's I/O: the pseudo-terminal, request log, control FIFO and the wire-paced event loop.
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "tools/request_assembler.h"
#include "tools/simulator_engine.h"
#include "tools/simulator_options.h"

class SimulatorShell {
  public:
    explicit SimulatorShell(SimulatorEngine& engine) : Engine(engine) {}
    ~SimulatorShell();

    SimulatorShell(const SimulatorShell&) = delete;
    SimulatorShell& operator=(const SimulatorShell&) = delete;

    // Creates the log, the control FIFO and, last, the pseudo-terminal and its link, so a
    // client that sees the link finds everything else ready.
    bool Start(const SimulatorOptions& options, std::string& error);
    // Serves until stop becomes non-zero.
    void Run(const volatile std::sig_atomic_t& stop);

  private:
    using Nanoseconds = long long;

    struct Request {
        std::vector<std::uint8_t> Bytes;
        Nanoseconds Ready;  // when its last byte has crossed the (paced) wire
    };

    Nanoseconds Now() const;
    void ReadControl();
    // "report line FILE": writes the terminal's line settings, as the client set them, to FILE.
    bool Report(const std::string& line, std::string& error) const;
    void ReadLine(Nanoseconds now);
    void Answer(const Request& request, Nanoseconds now);
    void SendDue(Nanoseconds now);
    void Hangup();

    SimulatorEngine& Engine;
    RequestAssembler Assembler;
    std::string LinkPath;
    std::string ControlPath;
    int Master = -1;
    int ControlFd = -1;
    // Reports each open of the slave side, so that a simulator without a client sleeps until
    // one comes; -1 where the system cannot watch it, and the master is looked at again often.
    int OpenWatch = -1;
    std::FILE* Log = nullptr;
    Nanoseconds Started = 0;

    // No client has the slave side open: the master reports hang-up until one does.
    bool HungUp = false;
    Nanoseconds ReceiveWire = 0;
    std::deque<Request> Requests;
    std::vector<std::uint8_t> Reply;
    std::size_t Sent = 0;
    Nanoseconds ReplyStart = 0;
    // When the reply being sent will have crossed the wire; the next one cannot start earlier.
    Nanoseconds LineFree = 0;
    bool Replying = false;
    bool WriteBlocked = false;
    std::string ControlText;
};
