#pragma once

#include <systemd/sd-bus.h>

#include <string>
#include <vector>

#include "bus/BusValue.h"

namespace velquarin::platform {

// BusValue to and from sd-bus messages, led by the signature. Negative errno on failure.
int appendBusValue(sd_bus_message* message, const std::string& type, const BusValue& value);
int readBusValue(sd_bus_message* message, const std::string& type, BusValue& value);
int appendBusValues(sd_bus_message* message, const std::string& signature,
                    const std::vector<BusValue>& values);
int readBusValues(sd_bus_message* message, const std::string& signature,
                  std::vector<BusValue>& values);

}  // namespace velquarin::platform
