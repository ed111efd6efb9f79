#pragma once

#include <chrono>
#include <string>
#include <vector>

// A program started for an integration test, ended when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the program writes to standard output ("" on end of file
    // or when nothing came within `timeoutMs`).
    std::string ReadLine(int timeoutMs);
    // Sends `signal` and waits for the program's end; a program still there
    // after kChildEndWait is killed.
    void Kill(int signal);

private:
    int pid_ = -1;
    int stdout_ = -1;
    std::string pending_;
};

// How long a process a test forks may run: it calls alarm() with this at
// its start and ends by SIGALRM when it is still there. Far more than any
// forked test process needs, far less than the test's time-out.
inline constexpr unsigned kForkedChildDeadlineSeconds = 120;

// How long a program may take to end after a signal before it is killed.
inline constexpr std::chrono::seconds kChildEndWait {5};
// How long RunProgram lets a program run unless told otherwise: more than
// the longest bound a test gives a tool of its own (a browser's 120 s), less
// than the test's time-out, so a hung program fails its test with its name.
inline constexpr std::chrono::seconds kProgramDeadline {180};

// Runs a program to its end; its exit status and standard output. A
// program that has not ended within `deadline` is killed, the test fails
// with its name, and `timedOut` is set (`status` is then -1).
struct ProgramRun {
    int status = -1;
    std::string out;
    bool timedOut = false;
};
ProgramRun RunProgram(const std::vector<std::string>& argv,
                      std::chrono::milliseconds deadline = kProgramDeadline);
