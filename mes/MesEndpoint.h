#pragma once

#include <optional>
#include <string>

// The [MES] section of workstation.ini as read.
struct MesSettings {
    std::string url;          // amqp://host[:port] or amqps://host[:port], never a password
    std::string address;      // the AMQP target on the broker, e.g. /exchange/cfx/station
    std::string handle;       // this station's CFX handle, the messages' Source
    std::string credentials;  // a file of mode 0600 holding USER:PASSWORD; "" none
    // Whether a password may go over plain amqp://, where SASL PLAIN sends
    // it readable to anyone on the path. Off: only amqps:// carries one.
    bool plaintextPassword = false;
};

// Where and as whom the sender connects.
struct MesEndpoint {
    std::string url;  // as configured, without user information
    std::string address;
    std::string user;      // "" anonymous
    std::string password;
    bool tls = false;  // amqps://
};

// Environment variables that give the user and password when the profile
// names no credentials file.
inline constexpr const char* kMesUserVariable = "RURIZUDA_MES_USER";
inline constexpr const char* kMesPasswordVariable = "RURIZUDA_MES_PASSWORD";

// Checks the settings and reads the credentials: the endpoint, or nothing
// with `error` set to one line an operator can act on (a URL that is not
// amqp:// or amqps:// with a host, a password in the URL, no address or
// handle, a credentials file that is missing, open to its group or others
// or not USER:PASSWORD, a password over amqp:// without plaintextPassword).
// The line names the part that is wrong and never quotes the URL or the
// credentials: a mistyped URL may hold a password.
std::optional<MesEndpoint> ResolveMesEndpoint(const MesSettings& settings, std::string* error);
