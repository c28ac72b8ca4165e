#include "module_sim.h"

namespace {

QByteArray keep(QString *setting, const QString &value, const QStringList &known)
{
    if (!known.contains(value))
        return "?";
    *setting = value;
    return "Ok";
}

} // namespace

void ModuleSim::onFrame(const QByteArray &bytes)
{
    const QString c = QString::fromUtf8(bytes);
    QByteArray reply;
    if (answers.contains(bytes))
        reply = answers.value(bytes);
    else if (c == "-h")
        reply = "Vesk-RS485-ST";
    else if (c == "-baudrate" || c == "-stop bits" || c == "-parity")
        reply = (c.mid(1) + ' ' + (c == "-baudrate" ? speed : c == "-parity" ? parity : stopBits)).toUtf8();
    else if (c.startsWith("-baudrate:"))
        reply = keep(&speed, c.mid(10), {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
                                         "128000", "256000"});
    else if (c.startsWith("-stop bits:"))
        reply = keep(&stopBits, c.mid(11), {"1", "2"});
    else if (c.startsWith("-parity:"))
        reply = keep(&parity, c.mid(8), {"none", "odd", "even"});
    else
        reply = c == "-st" ? "module is working" : "?";
    if (reply.isEmpty())
        return;
    reply += "\r\n";
    const int delay = delays.value(bytes, 10);
    const int at = splitAt > 0 && splitAt < reply.size() ? splitAt : reply.size();
    sendAfter(delay, reply.left(at));
    if (at < reply.size())
        sendAfter(delay + splitGapMs, reply.mid(at));
}
