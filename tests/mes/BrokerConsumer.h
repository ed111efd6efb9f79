#pragma once

#include <chrono>
#include <string>
#include <vector>

// A message as the test's consumer received it.
struct ReceivedMessage {
    std::string id;    // the AMQP message-id
    std::string body;  // the data section as text
};

// Receives from `address` at `url` until `count` messages came or `timeout`
// passed; each is accepted, so it leaves the queue.
// With `name`, only messages whose envelope's MessageName it is are kept
// and counted; the others leave the queue unseen.
std::vector<ReceivedMessage> ReceiveMessages(const std::string& url, const std::string& address, size_t count,
                                             std::chrono::milliseconds timeout, const std::string& name = "");
