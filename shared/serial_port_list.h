#pragma once

#include <QStringList>

// The names shown in the port list. The program lists what the system reports
// (QSerialPortInfo::availablePorts(), short names); the test suite, which talks
// to simulated devices on pseudo-terminals the system does not report, swaps
// the source of the list from inside its own process.
namespace serial_port_list {

using Source = QStringList (*)();

QStringList names();

// Replaces the source of names(); nullptr restores the system's list.
void setSource(Source source);

} // namespace serial_port_list
