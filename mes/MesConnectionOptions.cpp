#include "mes/MesConnectionOptions.h"

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
