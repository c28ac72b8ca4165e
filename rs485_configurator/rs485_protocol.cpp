#include "rs485_protocol.h"

namespace rs485 {
namespace {

const char *const kSpeeds[] = {"1200", "2400", "4800", "9600", "19200",
                               "38400", "57600", "115200", "128000", "256000"};

int firstFound(const QString &reply, const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i)
        if (reply.contains(values.at(i)))
            return i + 1;
    return -1;
}

} // namespace

ReplyKind classify(const QString &reply)
{
    // The order decides: a confirmation may echo the parameter's name.
    if (reply.contains(QLatin1String("Ok")))
        return ReplyKind::Confirmation;
    if (reply.contains(QLatin1String("baudrate")))
        return ReplyKind::BaudRateReport;
    if (reply.contains(QLatin1String("stop bits")))
        return ReplyKind::StopBitsReport;
    if (reply.contains(QLatin1String("parity")))
        return ReplyKind::ParityReport;
    if (reply.contains(QLatin1Char('?')))
        return ReplyKind::Refusal;
    if (reply.contains(QLatin1String("module is working")))
        return ReplyKind::WorkingMode;
    return ReplyKind::Other;
}

int speedIndex(const QString &reply)
{
    return firstFound(reply, speedItems().mid(1));
}

int stopBitsIndex(const QString &reply)
{
    return firstFound(reply, stopBitsItems().mid(1));
}

int parityIndex(const QString &reply)
{
    return firstFound(reply, parityItems().mid(1));
}

QStringList speedItems()
{
    QStringList items{QString()};
    for (const char *speed : kSpeeds)
        items << QLatin1String(speed);
    return items;
}

QStringList stopBitsItems()
{
    return {QString(), QStringLiteral("1"), QStringLiteral("2")};
}

QStringList parityItems()
{
    return {QString(), QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even")};
}

QString readCommand(int step)
{
    switch (step) {
    case 0: return QStringLiteral("-h");
    case 1: return QStringLiteral("-baudrate");
    case 2: return QStringLiteral("-stop bits");
    case 3: return QStringLiteral("-parity");
    default: return QString();
    }
}

QString writeCommand(int step, const QString &value)
{
    switch (step) {
    case 0: return QStringLiteral("-baudrate:") + value;
    case 1: return QStringLiteral("-stop bits:") + value;
    case 2: return QStringLiteral("-parity:") + value;
    case 3: return QStringLiteral("-st");
    default: return QString();
    }
}

Setting settingOfWriteStep(int writeStep)
{
    switch (writeStep) {
    case 1: return Setting::Speed;
    case 2: return Setting::StopBits;
    case 3: return Setting::Parity;
    default: return Setting::None;
    }
}

QString decodeReply(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

QByteArray commandBytes(const QString &command)
{
    return command.toUtf8();
}

} // namespace rs485
