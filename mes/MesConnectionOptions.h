#pragma once

#include <proton/connection_options.hpp>

#include "mes/MesEndpoint.h"

// How the station's connections to the MES broker open: the idle time-out
// that gives up on a silent broker, the endpoint's user and password, and
// TLS for amqps://.
proton::connection_options MesConnectionOptions(const MesEndpoint& endpoint);
