#pragma once

// The throwaway node started by rabbit-node.sh (the ctest fixture): each
// test sends to a queue of its own, so tests may run side by side.
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

class TestBroker {
public:
    // The node's AMQP URL from the state file named by MES_RABBIT_STATE.
    static std::string Url()
    {
        std::ifstream file(State());
        std::string url;
        if (!std::getline(file, url) || url.empty())
            throw std::runtime_error("no test broker: run through ctest (MES_RABBIT_STATE)");
        return url;
    }

    TestBroker()
        : queue_("q_" + std::to_string(getpid()) + "_" + std::to_string(++counter_))
    {
    }

    // This test's queue as an AMQP address (RabbitMQ declares it on first use).
    std::string Address() const { return "/queue/" + queue_; }

    // Stops and starts the broker inside the node: clients are cut off and
    // connections are refused in between.
    static void Pause() { Script("pause"); }
    static void Resume() { Script("resume"); }

private:
    static std::string State()
    {
        const char* state = std::getenv("MES_RABBIT_STATE");
        return state ? state : "";
    }

    static void Script(const std::string& action)
    {
        const std::string command = std::string(MES_RABBIT_SCRIPT) + " " + action + " " + State();
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("failed: " + command);
    }

    static inline int counter_ = 0;
    std::string queue_;
};
