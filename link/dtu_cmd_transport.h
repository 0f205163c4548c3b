// Transports of the command port other than a serial port. A port name
// "<scheme>:<rest>" whose scheme has a registered factory opens through the
// driver that factory makes (the cloud transport's "cloud:<IMEI>" reaches a
// remote device over MQTT); every other name is a serial port. The driver
// stands where the serial driver stands: the command ring, the sender, the
// listener and the pages above it stay as they are.
#pragma once

#include <functional>
#include <memory>
#include <string>

class CSerialPortBase;

using DtuCmdTransportFactory = std::function<std::unique_ptr<CSerialPortBase>()>;

// Registers (or, with an empty factory, removes) the transport of `scheme`
// (letters, digits and '-', without the ':').
void DtuCmdRegisterTransport(const std::string &scheme, DtuCmdTransportFactory factory);

// The scheme of a port name when a transport is registered for it, else "".
std::string DtuCmdTransportScheme(const std::string &port_name);

// A new driver for the port name, or null when the name is a serial port.
std::unique_ptr<CSerialPortBase> DtuCmdMakeTransport(const std::string &port_name);
