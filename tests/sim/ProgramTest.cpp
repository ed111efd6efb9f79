// Runs the simulator program and talks to it through its pseudo-terminal the
// way the station does.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Bound on every wait for the program; it answers in tens of milliseconds.
constexpr auto kPatience = std::chrono::seconds(5);
// Read wait of the station's port, in tenths of a second.
constexpr cc_t kFirstByteWaitDeciseconds = 2;

// The simulator program running as a child, stopped with SIGTERM at the end.
class SimProgram {
public:
    explicit SimProgram(std::vector<std::string> args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), UNIT_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, UNIT_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
    }

    ~SimProgram()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            close(stdout_);
    }

    bool Started() const { return pid_ > 0; }

    // The first line the program prints, without its newline; empty when none
    // came in time.
    std::string FirstLine()
    {
        std::string line;
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            pollfd watch {stdout_, POLLIN, 0};
            if (poll(&watch, 1, 100) <= 0)
                continue;
            char c = 0;
            if (read(stdout_, &c, 1) != 1)
                return {};
            if (c == '\n')
                return line;
            line.push_back(c);
        }
        return {};
    }

    // Sends SIGTERM (or nothing) and returns the wait status, -1 on time-out.
    int Stop(bool terminate)
    {
        if (terminate)
            kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            poll(nullptr, 0, 20);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

// Opens the slave as the station opens its port: raw, reads waiting a moment.
int OpenLikeTheStation(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return fd;
    termios tio {};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = kFirstByteWaitDeciseconds;
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Sends a request and collects what comes back until "OK\r\n" or time-out.
std::string Transact(int fd, const std::string& request)
{
    const std::string line = "AT" + request + "\r\n";
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return {};
    std::string received;
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline && received.find("OK\r\n") == std::string::npos) {
        char chunk[256];
        const ssize_t count = read(fd, chunk, sizeof chunk);
        if (count > 0)
            received.append(chunk, static_cast<std::size_t>(count));
    }
    return received;
}

TEST(SimProgram, AnswersTheImeiQueryOnItsTerminal)
{
    SimProgram program({"--imei", "356938035643809"});
    ASSERT_TRUE(program.Started());
    const std::string path = program.FirstLine();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0U) << path;

    const int fd = OpenLikeTheStation(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Transact(fd, "*MRD_IMEI?"), "\r\n*MRD_IMEI:356938035643809\r\n\r\nOK\r\n");
    close(fd);

    const int status = program.Stop(true);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SimProgram, KeepsServingAfterTheStationReopensThePort)
{
    SimProgram program({});
    ASSERT_TRUE(program.Started());
    const std::string path = program.FirstLine();
    ASSERT_FALSE(path.empty());
    for (int round = 0; round < 2; ++round) {
        const int fd = OpenLikeTheStation(path);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(Transact(fd, "+SDCARD?"), "\r\n+SDCARD:0\r\n\r\nOK\r\n") << "round " << round;
        close(fd);
    }
}

TEST(SimProgram, RefusesABadOptionWithStatusTwo)
{
    SimProgram program({"--sd", "twelve"});
    ASSERT_TRUE(program.Started());
    const int status = program.Stop(false);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
