#include "module_sim.h"

namespace {

const QStringList kSpeeds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "128000", "256000"};

// Stores value into *setting when it is one of the allowed ones.
QByteArray store(QString *setting, const QString &value, const QStringList &allowed)
{
    if (!allowed.contains(value))
        return "?\r\n";
    *setting = value;
    return "Ok\r\n";
}

} // namespace

ModuleSim::ModuleSim(QObject *parent)
    : PtyDevice(parent)
{
}

void ModuleSim::answer(const QByteArray &command, const QByteArray &reply)
{
    m_answers[command] = reply;
}

void ModuleSim::setReplyDelayMs(int ms)
{
    m_delay = ms;
}

void ModuleSim::setReplyDelayMs(const QByteArray &command, int ms)
{
    m_delays[command] = ms;
}

void ModuleSim::setSplit(int at, int gapMs)
{
    m_splitAt = at;
    m_splitGap = gapMs;
}

QStringList ModuleSim::commands() const
{
    return m_commands;
}

QList<qint64> ModuleSim::commandTimes() const
{
    return m_times;
}

void ModuleSim::clear()
{
    PtyDevice::clear();
    m_commands.clear();
    m_times.clear();
}

QByteArray ModuleSim::replyTo(const QByteArray &command)
{
    if (m_answers.contains(command))
        return m_answers.value(command);
    const QString c = QString::fromUtf8(command);
    if (c == "-h")
        return "Vesk-RS485-ST\r\n";
    if (c == "-baudrate")
        return "baudrate " + speed.toUtf8() + "\r\n";
    if (c == "-stop bits")
        return "stop bits " + stopBits.toUtf8() + "\r\n";
    if (c == "-parity")
        return "parity " + parity.toUtf8() + "\r\n";
    if (c.startsWith("-baudrate:"))
        return store(&speed, c.mid(10), kSpeeds);
    if (c.startsWith("-stop bits:"))
        return store(&stopBits, c.mid(11), {"1", "2"});
    if (c.startsWith("-parity:"))
        return store(&parity, c.mid(8), {"none", "odd", "even"});
    if (c == "-st")
        return "module is working\r\n";
    return "?\r\n";
}

void ModuleSim::onFrame(const QByteArray &bytes)
{
    m_commands << QString::fromUtf8(bytes);
    const QList<Frame> all = frames();
    m_times << (all.isEmpty() ? elapsedMs() : all.last().ms);
    const QByteArray reply = replyTo(bytes);
    if (reply.isEmpty())
        return;
    const int delay = m_delays.value(bytes, m_delay);
    if (m_splitAt > 0 && m_splitAt < reply.size()) {
        sendAfter(delay, reply.left(m_splitAt));
        sendAfter(delay + m_splitGap, reply.mid(m_splitAt));
    } else {
        sendAfter(delay, reply);
    }
}
