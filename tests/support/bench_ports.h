#pragma once

// The serial ports a window under test lists: pseudo-terminal paths of the
// simulated devices, put in place of the system's list.

#include "serial_port_list.h"

#include <QStringList>

inline QStringList &benchPorts()
{
    static QStringList ports;
    return ports;
}

// From now on the window lists exactly these (full paths such as "/dev/pts/7").
inline void listPorts(const QStringList &paths)
{
    benchPorts() = paths;
    serial_port_list::setSource([] { return benchPorts(); });
}
