#include "mes/MesConnectionOptions.h"

#include <proton/binary.hpp>
#include <proton/duration.hpp>
#include <proton/ssl.hpp>

namespace {

// The connection is given up when the broker says nothing for this long.
constexpr proton::duration::numeric_type kIdleTimeoutMs = 10000;

}  // namespace

proton::connection_options MesConnectionOptions(const MesEndpoint& endpoint)
{
    proton::connection_options options;
    options.idle_timeout(proton::duration(kIdleTimeoutMs));
    if (!endpoint.user.empty()) {
        options.user(endpoint.user);
        options.password(endpoint.password);
        // A plain amqp:// URL was the operator's choice for this network.
        options.sasl_allow_insecure_mechs(true);
    }
    if (endpoint.tls)
        options.ssl_client_options(proton::ssl_client_options());
    return options;
}

std::string MesConditionText(const proton::error_condition& condition)
{
    return condition ? condition.what() : "closed without a reason";
}

std::string MesBodyText(const proton::value& body)
{
    if (body.type() == proton::BINARY) {
        const auto data = proton::get<proton::binary>(body);
        return std::string(data.begin(), data.end());
    }
    if (body.type() == proton::STRING)
        return proton::get<std::string>(body);
    return "";
}
