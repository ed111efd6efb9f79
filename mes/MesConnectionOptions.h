#pragma once

#include <proton/connection_options.hpp>
#include <proton/error_condition.hpp>
#include <proton/value.hpp>

#include <string>

#include "mes/MesEndpoint.h"

// How the station's connections to the MES broker open: the idle time-out
// that gives up on a silent broker, the endpoint's user and password, and
// TLS for amqps://.
proton::connection_options MesConnectionOptions(const MesEndpoint& endpoint);

// What a broker said on closing or refusing, for a failure's reason.
std::string MesConditionText(const proton::error_condition& condition);
// A message's body as text: its data or string section; "" for anything else.
std::string MesBodyText(const proton::value& body);
