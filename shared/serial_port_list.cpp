#include "serial_port_list.h"

#include <QSerialPortInfo>

namespace serial_port_list {
namespace {

QStringList systemPorts()
{
    QStringList result;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        result << info.portName();
    return result;
}

Source currentSource = nullptr;

} // namespace

QStringList names()
{
    return currentSource ? currentSource() : systemPorts();
}

void setSource(Source source)
{
    currentSource = source;
}

} // namespace serial_port_list
