#include "app/RestartBudget.h"

#include <cstring>

#include <sys/wait.h>

bool RestartBudget::TakeRestart(Clock::time_point now)
{
    while (!restarts_.empty() && now - restarts_.front() >= kRestartWindow)
        restarts_.pop_front();
    if (static_cast<int>(restarts_.size()) >= kMostRestarts)
        return false;
    restarts_.push_back(now);
    return true;
}

bool EndedAbnormally(int waitStatus)
{
    return !WIFEXITED(waitStatus) || WEXITSTATUS(waitStatus) != 0;
}

std::string EndReason(int waitStatus)
{
    if (WIFSIGNALED(waitStatus)) {
        const int signal = WTERMSIG(waitStatus);
        const char* name = strsignal(signal);
        return "ended by signal " + std::to_string(signal) + (name ? " (" + std::string(name) + ")" : "");
    }
    return "ended with status " + std::to_string(WEXITSTATUS(waitStatus));
}
