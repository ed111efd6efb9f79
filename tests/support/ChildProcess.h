#pragma once

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
    // Sends `signal` and waits for the program's end.
    void Kill(int signal);

private:
    int pid_ = -1;
    int stdout_ = -1;
    std::string pending_;
};

// Runs a program to its end; its exit status and standard output.
struct ProgramRun {
    int status = -1;
    std::string out;
};
ProgramRun RunProgram(const std::vector<std::string>& argv);
