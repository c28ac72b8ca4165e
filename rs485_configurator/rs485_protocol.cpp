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

Answer judge(const QString &command, const QByteArray &reply)
{
    if (reply.size() > kMaxReplyBytes)
        return Answer::Unexpected;
    if (command == QLatin1String("-h"))
        return Answer::Text; // what the module says to it is its own matter
    const ReplyKind kind = classify(serial_link::textUpToNul(reply));
    const auto only = [kind](ReplyKind expected, Answer answer) {
        return kind == expected ? answer : Answer::Unexpected;
    };
    if (command == QLatin1String("-baudrate"))
        return only(ReplyKind::BaudRateReport, Answer::BaudRate);
    if (command == QLatin1String("-stop bits"))
        return only(ReplyKind::StopBitsReport, Answer::StopBits);
    if (command == QLatin1String("-parity"))
        return only(ReplyKind::ParityReport, Answer::Parity);
    if (command == QLatin1String("-st"))
        return only(ReplyKind::WorkingMode, Answer::Working);
    if (settingOfCommand(command) != Setting::None) { // a write command
        if (kind == ReplyKind::Confirmation)
            return Answer::Taken;
        return only(ReplyKind::Refusal, Answer::Refused);
    }
    return Answer::Unexpected;
}

QString replyExcerpt(const QString &reply)
{
    QString text = reply;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    int length = qMin(text.size(), 64);
    if (length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
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

Setting settingOfCommand(const QString &command)
{
    // A read command is its write command's prefix without the colon.
    for (int step = 0; step < 3; ++step) {
        const QString write = writeCommand(step, QString());
        if (command == write.chopped(1) || command.startsWith(write))
            return settingOfWriteStep(step + 1);
    }
    return Setting::None;
}

QByteArray commandBytes(const QString &command)
{
    return command.toUtf8();
}

} // namespace rs485
