#include "dcon_protocol.h"

namespace dcon {
namespace {

// Index in the speed list -> baud-rate code, 1200 to 115200 baud.
const char *const kBaudCodes[] = {"03", "04", "05", "06", "07", "08", "09", "0A"};
constexpr int kBaudCount = int(sizeof kBaudCodes / sizeof kBaudCodes[0]);

// Where the configuration reply ends: "!" and four two-digit fields.
constexpr int kConfigReplySize = 9;

bool isHexDigit(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

} // namespace

QByteArray readConfigCommand()
{
    return QByteArrayLiteral("$002\r");
}

QByteArray readProtocolCommand(const QByteArray &address)
{
    return "~" + address + "P\r";
}

QByteArray setConfigCommand(const QByteArray &address, const QByteArray &newAddress,
                            const QByteArray &typeCode, const QByteArray &baudCode,
                            const QByteArray &formatCode)
{
    return "%" + address + newAddress + typeCode + baudCode + formatCode + "\r";
}

QByteArray setProtocolCommand(const QByteArray &address, const QByteArray &protocolCode)
{
    return "~" + address + "P" + protocolCode + "\r";
}

QByteArray hexId(const QString &decimalText)
{
    return QString("%1").arg(decimalText.toInt(nullptr, 10), 2, 16, QLatin1Char('0')).toLatin1().toUpper();
}

int parseNewAddress(const QString &text)
{
    // No sign, no other kind of digit; leading zeros ("007") are fine.
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return -1;
    for (const QChar c : digits)
        if (c.unicode() < '0' || c.unicode() > '9')
            return -1;
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok && value <= 255 ? value : -1;
}

QByteArray hexAddress(int address)
{
    return QByteArray::number(address, 16).rightJustified(2, '0').toUpper();
}

QByteArray baudCode(int speedIndex)
{
    if (speedIndex < 0 || speedIndex >= kBaudCount)
        return {};
    return kBaudCodes[speedIndex];
}

int speedIndex(const QString &baudCode)
{
    for (int i = 0; i < kBaudCount; ++i)
        if (baudCode == QLatin1String(kBaudCodes[i]))
            return i;
    return -1;
}

QByteArray protocolCode(int protocolIndex)
{
    switch (protocolIndex) {
    case 0: return "1"; // Modbus
    case 1: return "0"; // DCON
    default: return {};
    }
}

int protocolIndex(QChar digit)
{
    if (digit == QLatin1Char('0'))
        return 1; // DCON
    if (digit == QLatin1Char('1'))
        return 0; // Modbus
    return -1;
}

int protocolReply(const QString &reply)
{
    if (reply.size() <= kProtocolDigitPos || reply.at(0) != QLatin1Char('!') || !isHexDigit(reply.at(1))
        || !isHexDigit(reply.at(2)))
        return kNotProtocolReply;
    const QChar digit = reply.at(kProtocolDigitPos);
    if (digit == QLatin1Char('P'))
        return kProtocolEcho;
    const int index = protocolIndex(digit);
    return index >= 0 ? index : kNotProtocolReply;
}

bool isConfigReply(const QString &reply)
{
    if (reply.size() < kConfigReplySize || reply.at(0) != QLatin1Char('!'))
        return false;
    for (int i = 1; i < kConfigReplySize; ++i)
        if (!isHexDigit(reply.at(i)))
            return false;
    return true;
}

ConfigReply parseConfigReply(const QString &reply)
{
    ConfigReply r;
    bool ok = false;
    r.address = reply.mid(1, 2).toInt(&ok, 16);
    if (!ok)
        r.address = 0;
    r.typeCode = reply.mid(3, 2).toLocal8Bit();
    r.baudCode = reply.mid(5, 2);
    r.formatCode = reply.mid(7, 2).toLocal8Bit();
    return r;
}

} // namespace dcon
