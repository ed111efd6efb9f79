#include "mes/MesEndpoint.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

namespace {

constexpr std::string_view kPlainScheme = "amqp://";
constexpr std::string_view kTlsScheme = "amqps://";
constexpr const char* kPlaintextPasswordRefused =
    "[MES] a password over amqp:// crosses the network readable; use amqps:// or set PLAINTEXT_PASSWORD=1";
// The credentials file is the station user's alone: neither its group nor
// others may read, write or run it.
constexpr mode_t kOthersMayAccess = S_IRWXG | S_IRWXO;

// The part of the URL between the scheme and the first '/'.
std::string Authority(const std::string& url, size_t schemeLength)
{
    const size_t end = url.find('/', schemeLength);
    return url.substr(schemeLength, end == std::string::npos ? std::string::npos : end - schemeLength);
}

bool CheckUrl(const std::string& url, MesEndpoint& endpoint, std::string* error)
{
    size_t schemeLength = 0;
    if (url.starts_with(kPlainScheme)) {
        schemeLength = kPlainScheme.size();
    } else if (url.starts_with(kTlsScheme)) {
        schemeLength = kTlsScheme.size();
        endpoint.tls = true;
    } else {
        *error = "[MES] URL must start with amqp:// or amqps://";
        return false;
    }
    const std::string authority = Authority(url, schemeLength);
    const size_t at = authority.rfind('@');
    const std::string userInfo = at == std::string::npos ? "" : authority.substr(0, at);
    const std::string host = at == std::string::npos ? authority : authority.substr(at + 1);
    if (userInfo.find(':') != std::string::npos) {
        *error = "[MES] URL holds a password; put it in the CREDENTIALS file or " + std::string(kMesPasswordVariable);
        return false;
    }
    if (host.empty() || host[0] == ':') {
        *error = "[MES] URL names no host after its scheme";
        return false;
    }
    endpoint.user = userInfo;
    endpoint.url = url.substr(0, schemeLength) + host;
    return true;
}

bool ReadCredentialsFile(const std::string& file, MesEndpoint& endpoint, std::string* error)
{
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        *error = "[MES] CREDENTIALS file " + file + ": " + std::strerror(errno);
        return false;
    }
    if ((info.st_mode & kOthersMayAccess) != 0) {
        *error = "[MES] CREDENTIALS file " + file + " is open to its group or others; make it mode 0600";
        return false;
    }
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) {
        *error = "[MES] CREDENTIALS file " + file + " does not hold USER:PASSWORD on its first line";
        return false;
    }
    endpoint.user = line.substr(0, colon);
    endpoint.password = line.substr(colon + 1);
    return true;
}

void ReadCredentialsEnvironment(MesEndpoint& endpoint)
{
    if (const char* user = std::getenv(kMesUserVariable); user && *user)
        endpoint.user = user;
    if (const char* password = std::getenv(kMesPasswordVariable))
        endpoint.password = password;
}

}  // namespace

std::optional<MesEndpoint> ResolveMesEndpoint(const MesSettings& settings, std::string* error)
{
    MesEndpoint endpoint;
    if (!CheckUrl(settings.url, endpoint, error))
        return std::nullopt;
    if (settings.address.empty()) {
        *error = "[MES] ADDRESS is empty: name the target on the broker, e.g. /exchange/cfx/station";
        return std::nullopt;
    }
    if (settings.handle.empty()) {
        *error = "[MES] HANDLE is empty: name this station's CFX handle, e.g. Factory.Line1.ST-03";
        return std::nullopt;
    }
    endpoint.address = settings.address;
    if (!settings.credentials.empty()) {
        if (!ReadCredentialsFile(settings.credentials, endpoint, error))
            return std::nullopt;
    } else {
        ReadCredentialsEnvironment(endpoint);
    }
    // SASL PLAIN without TLS sends the password readable: only when the
    // profile says so.
    if (!endpoint.tls && !endpoint.password.empty() && !settings.plaintextPassword) {
        *error = kPlaintextPasswordRefused;
        return std::nullopt;
    }
    return endpoint;
}
