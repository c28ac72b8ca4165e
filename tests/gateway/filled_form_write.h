#pragma once

// What a write of the test form filled with the values below sends to each
// converter variant, and the report that closes it. The end-to-end write and
// the step test of the write share the one list.
//   IP 10.1.2.3, mask 255.255.0.0, gateway 10.1.2.254, port 10502, odd parity,
//   57600 bit/s, two stop bits, TCP server 10.1.2.9 with a 30 s time-out,
//   response time-out 700 ms, RTU address 5, TCP unit address "off", client mode.

#include "gateway_protocol.h"

#include <QStringList>

namespace filled_form {

inline QStringList writeCommands(gateway::Variant variant)
{
    const QStringList common{"CHANGE IP:10.1.2.3",    "CHANGE MASK:255.255.0.0", "CHANGE GATEWAY:10.1.2.254",
                             "CHANGE PORT TCP:10502", "CHANGE PARITY:1",         "CHANGE SPEED RS485:57600",
                             "CHANGE STOP BIT:2"};
    switch (variant) {
    case gateway::Variant::TcpRtu:
        return common + QStringList{"RESET"};
    case gateway::Variant::RtuTcp:
        return common + QStringList{"CHANGE IP SERVER TCP:10.1.2.9", "CHANGE TIMEOUT TCP:30", "RESET"};
    case gateway::Variant::Universal:
        break;
    }
    return {"CHANGE MODE TCP:CLIENT", "CHANGE IP:10.1.2.3", "CHANGE MASK:255.255.0.0",
            "CHANGE GATEWAY:10.1.2.254", "CHANGE PORT TCP:10502", "CHANGE PARITY:odd",
            "CHANGE SPEED RS485:57600", "CHANGE STOP BIT:2", "change timeout response:700",
            "CHANGE IP SERVER TCP:10.1.2.9", "CHANGE TIMEOUT TCP:30", "change rtu virtual id:5",
            "change tcp slave id:off", "reset"};
}

inline QString writeReport(const char *variantName)
{
    return QStringLiteral("<FONT COLOR='#008000'>Изменение параметров Modbus %1 было успешно</FONT>")
        .arg(QLatin1String(variantName));
}

} // namespace filled_form
