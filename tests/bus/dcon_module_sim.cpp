#include "dcon_module_sim.h"

DconModuleSim::DconModuleSim(QObject *parent)
    : PtyDevice(parent)
{
}

QList<QByteArray> DconModuleSim::commandBytes() const
{
    QList<QByteArray> list;
    for (const Command &c : m_commands)
        list << c.bytes;
    return list;
}

void DconModuleSim::clear()
{
    PtyDevice::clear();
    m_line.clear();
    m_commands.clear();
}

void DconModuleSim::onFrame(const QByteArray &bytes)
{
    m_line += bytes;
    int end;
    while ((end = m_line.indexOf('\r')) >= 0) {
        const QByteArray command = m_line.left(end + 1);
        m_line.remove(0, end + 1);
        m_commands << Command{elapsedMs(), command};
        if (!m_silent)
            sendAfter(20, answer(command.chopped(1)) + "\r");
    }
}

QByteArray DconModuleSim::answer(const QByteArray &c)
{
    const QByteArray aa = c.mid(1, 2);
    if (c.size() == 4 && c.startsWith('$') && c.endsWith('2'))
        return "!" + address + typeCode + baudCode + formatCode;
    if (c.size() == 4 && c.startsWith('~') && c.endsWith('P'))
        return "!" + aa + protocol;
    if (c.startsWith('%') && c.size() >= 5 && !m_refuseWrites) {
        // Without type and format (no read before) only the address and the
        // baud code are taken.
        address = c.mid(3, 2);
        if (c.size() == 11) {
            typeCode = c.mid(5, 2);
            baudCode = c.mid(7, 2);
            formatCode = c.mid(9, 2);
        } else {
            baudCode = c.mid(5, 2);
        }
        return "!" + address;
    }
    if (c.size() == 5 && c.startsWith('~') && c.at(3) == 'P' && (c.at(4) == '0' || c.at(4) == '1')
        && !m_refuseWrites) {
        protocol = c.at(4);
        return "!" + aa;
    }
    return "?" + aa;
}
