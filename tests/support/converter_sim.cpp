#include "converter_sim.h"

#include <QTimer>

namespace {

struct WriteCommand {
    const char *prefix;
    const char *key;   // the read-back command of the same parameter
};

// Parameters every variant has.
const WriteCommand kCommonWrites[] = {
    {"CHANGE IP:", "ip"},
    {"CHANGE MASK:", "MASK"},
    {"CHANGE GATEWAY:", "GATEWAY"},
    {"CHANGE PORT TCP:", "PORT TCP"},
    {"CHANGE PARITY:", "parity"},
    {"CHANGE SPEED RS485:", "SPEED RS485"},
    {"CHANGE STOP BIT:", "STOP BIT"},
};
// TCP-client parameters: RTU-TCP and universal.
const WriteCommand kClientWrites[] = {
    {"CHANGE IP SERVER TCP:", "IP SERVER TCP"},
    {"CHANGE TIMEOUT TCP:", "TIMEOUT TCP"},
};
// Universal only.
const WriteCommand kUniversalWrites[] = {
    {"CHANGE MODE TCP:", "MODE TCP"},
    {"change timeout response:", "timeout response"},
    {"change rtu virtual id:", "rtu virtual id"},
    {"change tcp slave id:", "tcp slave id"},
};

QList<WriteCommand> writesOf(ConverterSim::Variant v)
{
    QList<WriteCommand> list;
    for (const WriteCommand &w : kCommonWrites)
        list << w;
    if (v != ConverterSim::TcpRtu) {
        for (const WriteCommand &w : kClientWrites)
            list << w;
    }
    if (v == ConverterSim::Universal) {
        for (const WriteCommand &w : kUniversalWrites)
            list << w;
    }
    return list;
}

} // namespace

ConverterSim::ConverterSim(Variant variant, QObject *parent)
    : PtyDevice(parent)
    , m_variant(variant)
    , m_values(factoryValues(variant))
{
}

ConverterSim::Variant ConverterSim::variant() const
{
    return m_variant;
}

QMap<QString, QString> ConverterSim::factoryValues(Variant variant)
{
    return {
        {"MODE TCP", "server"},
        {"version", "2.04"},
        {"MAC", "02:00:4C:0A:21:7E"},
        {"ip", "192.168.0.1"},
        {"MASK", "255.255.255.0"},
        {"GATEWAY", "192.168.0.254"},
        {"PORT TCP", "502"},
        {"parity", variant == Universal ? "none" : "0"},
        {"SPEED RS485", "9600"},
        {"STOP BIT", "1"},
        {"timeout response", "1000"},
        {"IP SERVER TCP", "192.168.0.10"},
        {"TIMEOUT TCP", "180"},
        {"rtu virtual id", "1"},
        {"tcp slave id", "off"},
    };
}

QString ConverterSim::value(const QString &readCommand) const
{
    return m_values.value(readCommand);
}

void ConverterSim::setValue(const QString &readCommand, const QString &value)
{
    m_values[readCommand] = value;
}

QStringList ConverterSim::readCommands() const
{
    QStringList list;
    if (m_variant == Universal)
        list << "MODE TCP" << "version";
    list << "MAC" << "ip" << "MASK" << "GATEWAY" << "PORT TCP" << "parity" << "SPEED RS485"
         << "STOP BIT";
    if (m_variant == Universal)
        list << "timeout response";
    if (m_variant != TcpRtu)
        list << "IP SERVER TCP" << "TIMEOUT TCP";
    if (m_variant == Universal)
        list << "rtu virtual id" << "tcp slave id";
    return list;
}

QStringList ConverterSim::writePrefixes() const
{
    QStringList list;
    for (const WriteCommand &w : writesOf(m_variant))
        list << QString::fromLatin1(w.prefix);
    return list;
}

void ConverterSim::setSilent(bool silent)
{
    m_silent = silent;
}

void ConverterSim::setOnlyLineEnds(bool on)
{
    m_onlyLineEnds = on;
}

void ConverterSim::setSplitReplies(bool on)
{
    m_split = on;
}

void ConverterSim::rejectCommand(const QByteArray &commandOrPrefix, const QByteArray &reply)
{
    m_rejections.append({commandOrPrefix, reply});
}

void ConverterSim::clearRejections()
{
    m_rejections.clear();
}

void ConverterSim::setReplyDelayMs(int ms)
{
    m_replyDelay = qMax(0, ms);
}

void ConverterSim::setSplitDelayMs(int ms)
{
    m_splitDelay = qMax(0, ms);
}

void ConverterSim::setDropAfterRestart(bool on)
{
    m_dropAfterRestart = on;
}

QStringList ConverterSim::commands() const
{
    return m_commands;
}

QList<qint64> ConverterSim::commandTimes() const
{
    return m_commandTimes;
}

QStringList ConverterSim::replies() const
{
    return m_replies;
}

QList<qint64> ConverterSim::replyTimes() const
{
    return m_replyTimes;
}

int ConverterSim::restarts() const
{
    return m_restarts;
}

void ConverterSim::clear()
{
    PtyDevice::clear();
    m_commands.clear();
    m_commandTimes.clear();
    m_replies.clear();
    m_replyTimes.clear();
}

void ConverterSim::onFrame(const QByteArray &bytes)
{
    m_commands << QString::fromLatin1(bytes);
    const QList<Frame> all = frames();
    m_commandTimes << (all.isEmpty() ? elapsedMs() : all.last().ms);
    if (m_silent)
        return;

    bool restart = false;
    const QByteArray answer = answerFor(bytes, &restart);
    if (!answer.isEmpty()) {
        QTimer::singleShot(m_replyDelay, Qt::PreciseTimer, this, [this, answer] { reply(answer); });
    }
    if (restart) {
        ++m_restarts;
        if (m_dropAfterRestart)
            QTimer::singleShot(100, this, &PtyDevice::unplug);
    }
}

QByteArray ConverterSim::answerFor(const QByteArray &cmd, bool *restart)
{
    for (const auto &r : qAsConst(m_rejections)) {
        const bool hit = cmd == r.first || (r.first.contains(':') && cmd.startsWith(r.first));
        if (hit)
            return r.second.isEmpty() ? QByteArray() : r.second + "\r\n";
    }

    const bool universal = m_variant == Universal;
    // The restart button sends "RESET" whatever the variant; the universal
    // converter also takes its own lower-case "reset".
    const bool isRestart = cmd == "RESET" || (universal && cmd == "reset");
    const bool isFactory = cmd == "LOAD SETTING:DEFAULT";
    if (isRestart || isFactory) {
        if (isFactory)
            m_values = factoryValues(m_variant);
        *restart = true;
        return QByteArray();
    }
    if (m_onlyLineEnds)
        return "\r\n";

    const QString text = QString::fromLatin1(cmd);
    if (readCommands().contains(text))
        return cmd + separator + m_values.value(text).toLatin1() + "\r\n";

    // The longest known prefix wins ("CHANGE IP:" against "CHANGE IP SERVER TCP:"
    // cannot clash because of the colon, but keep it robust).
    const WriteCommand *best = nullptr;
    const QList<WriteCommand> writes = writesOf(m_variant);
    for (const WriteCommand &w : writes) {
        if (cmd.startsWith(w.prefix) && (!best || qstrlen(w.prefix) > qstrlen(best->prefix)))
            best = &w;
    }
    if (!best)
        return "?\r\n";

    QString value = QString::fromLatin1(cmd.mid(int(qstrlen(best->prefix))));
    const QString key = QString::fromLatin1(best->key);
    if (key == QLatin1String("MODE TCP"))
        value = value.toLower();                 // takes SERVER/CLIENT, reports server/client
    else if (key == QLatin1String("SPEED RS485") && value == QLatin1String("57600"))
        value = QStringLiteral("57200");         // how the converter reports that speed
    m_values[key] = value;
    return universal ? "ok\r\n" : "OK\r\n";
}

void ConverterSim::reply(const QByteArray &bytes)
{
    if (!isPlugged())
        return;
    m_replies << QString::fromLatin1(bytes);
    m_replyTimes << elapsedMs();
    if (!m_split || bytes.size() < 2) {
        send(bytes);
        return;
    }
    const int half = bytes.size() / 2;
    send(bytes.left(half));
    sendAfter(m_splitDelay, bytes.mid(half));
}
