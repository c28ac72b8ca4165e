#include "gateway_protocol.h"

#include "serial_link.h"

#include <QStringList>

namespace gateway {

bool variantFromIndex(int index, Variant *variant)
{
    switch (index) {
    case 0: *variant = Variant::TcpRtu; return true;
    case 1: *variant = Variant::RtuTcp; return true;
    case 2: *variant = Variant::Universal; return true;
    default: return false;
    }
}

namespace {

// Read-back commands: text, characters skipped (the text and one separator),
// longest value, field, how the value is shown.
const ScanRow kMode{"MODE TCP", 9, 6, Field::Mode, ValueKind::Mode};
const ScanRow kVersion{"version", 8, 10, Field::Version, ValueKind::FreeText};
const ScanRow kMac{"MAC", 4, 18, Field::Mac, ValueKind::FreeText};
const ScanRow kIp{"ip", 3, 15, Field::Ip, ValueKind::FreeText};
const ScanRow kMask{"MASK", 5, 16, Field::Mask, ValueKind::FreeText};
const ScanRow kGateway{"GATEWAY", 8, 15, Field::Gateway, ValueKind::FreeText};
const ScanRow kPortTcp{"PORT TCP", 9, 6, Field::PortTcp, ValueKind::FreeText};
const ScanRow kParity{"parity", 7, 4, Field::Parity, ValueKind::Parity};
const ScanRow kSpeed{"SPEED RS485", 12, 7, Field::Speed, ValueKind::Speed};
const ScanRow kStopBits{"STOP BIT", 9, 3, Field::StopBits, ValueKind::StopBits};
const ScanRow kResponseTimeout{"timeout response", 17, 5, Field::ResponseTimeout, ValueKind::FreeText};
const ScanRow kServerIp{"IP SERVER TCP", 14, 16, Field::ServerIp, ValueKind::FreeText};
const ScanRow kTcpTimeout{"TIMEOUT TCP", 12, 5, Field::TcpTimeout, ValueKind::FreeText};
const ScanRow kRtuId{"rtu virtual id", 15, 3, Field::RtuId, ValueKind::FreeText};
const ScanRow kTcpSlaveId{"tcp slave id", 13, 3, Field::TcpSlaveId, ValueKind::TcpSlave};

const std::vector<ScanRow> kScanTcpRtu{kMac, kIp, kMask, kGateway, kPortTcp, kParity, kSpeed, kStopBits};
const std::vector<ScanRow> kScanRtuTcp{kMac, kIp, kMask, kGateway, kPortTcp, kParity, kSpeed, kStopBits,
                                       kServerIp, kTcpTimeout};
const std::vector<ScanRow> kScanUniversal{kMode, kVersion, kMac, kIp, kMask, kGateway, kPortTcp, kParity,
                                          kSpeed, kStopBits, kResponseTimeout, kServerIp, kTcpTimeout,
                                          kRtuId, kTcpSlaveId};

// Write commands: prefix, field, confirms the link, tight rejection text,
// only "?" rejects.
const WriteRow wMode{"CHANGE MODE TCP:", Field::Mode, true, false, false};
const WriteRow wIp{"CHANGE IP:", Field::Ip, true, false, false};
// The mask confirms the link only where it is the second command of a write.
const WriteRow wMaskSecond{"CHANGE MASK:", Field::Mask, true, false, false};
const WriteRow wMask{"CHANGE MASK:", Field::Mask, false, false, false};
const WriteRow wGateway{"CHANGE GATEWAY:", Field::Gateway, false, false, false};
const WriteRow wPortTcp{"CHANGE PORT TCP:", Field::PortTcp, false, true, false};
const WriteRow wParity{"CHANGE PARITY:", Field::Parity, false, false, false};
const WriteRow wSpeed{"CHANGE SPEED RS485:", Field::Speed, false, false, false};
const WriteRow wStopBits{"CHANGE STOP BIT:", Field::StopBits, false, true, false};
const WriteRow wServerIp{"CHANGE IP SERVER TCP:", Field::ServerIp, false, false, false};
const WriteRow wTcpTimeout{"CHANGE TIMEOUT TCP:", Field::TcpTimeout, false, false, false};
// The last five universal writes answer "?" for a refused value and may
// answer anything else when they take it.
const WriteRow uResponseTimeout{"change timeout response:", Field::ResponseTimeout, false, false, true};
const WriteRow uServerIp{"CHANGE IP SERVER TCP:", Field::ServerIp, false, false, true};
const WriteRow uTcpTimeout{"CHANGE TIMEOUT TCP:", Field::TcpTimeout, false, false, true};
const WriteRow uRtuId{"change rtu virtual id:", Field::RtuId, false, false, true};
const WriteRow uTcpSlaveId{"change tcp slave id:", Field::TcpSlaveId, false, false, true};

const std::vector<WriteRow> kWriteTcpRtu{wIp, wMaskSecond, wGateway, wPortTcp, wParity, wSpeed, wStopBits};
const std::vector<WriteRow> kWriteRtuTcp{wIp, wMaskSecond, wGateway, wPortTcp, wParity, wSpeed, wStopBits,
                                         wServerIp, wTcpTimeout};
const std::vector<WriteRow> kWriteUniversal{wMode, wIp, wMask, wGateway, wPortTcp, wParity, wSpeed,
                                            wStopBits, uResponseTimeout, uServerIp, uTcpTimeout, uRtuId,
                                            uTcpSlaveId};

const char *const kSpeeds[] = {"1200", "2400", "4800", "9600", "19200", "38400",
                               "57600", "115200", "128000", "256000"};
constexpr int kSpeedCount = sizeof(kSpeeds) / sizeof(kSpeeds[0]);

} // namespace

const std::vector<ScanRow> &scanRows(Variant variant)
{
    switch (variant) {
    case Variant::TcpRtu: return kScanTcpRtu;
    case Variant::RtuTcp: return kScanRtuTcp;
    case Variant::Universal: break;
    }
    return kScanUniversal;
}

const std::vector<WriteRow> &writeRows(Variant variant)
{
    switch (variant) {
    case Variant::TcpRtu: return kWriteTcpRtu;
    case Variant::RtuTcp: return kWriteRtuTcp;
    case Variant::Universal: break;
    }
    return kWriteUniversal;
}

int writeCompletionStep(Variant variant)
{
    return 2 * int(writeRows(variant).size());
}

QString confirmation(Variant variant)
{
    return variant == Variant::Universal ? QStringLiteral("ok") : QStringLiteral("OK");
}

Verdict judgeWriteReply(const WriteRow &row, Variant variant, const QString &reply)
{
    if (reply == confirmation(variant))
        return Verdict::Confirmed;
    if (row.onlyQuestionRejects)
        return reply == QLatin1String("?") ? Verdict::Rejected : Verdict::Ignored;
    return Verdict::Rejected;
}

QString rejectionText(const WriteRow &row)
{
    return row.tightRejectText ? QStringLiteral("<FONT COLOR='#800000'>Ошибка записи </FONT>")
                               : QStringLiteral("<FONT COLOR='#800000'> Ошибка записи </FONT>");
}

QByteArray restartCommand(Variant variant)
{
    return variant == Variant::Universal ? QByteArrayLiteral("reset") : QByteArrayLiteral("RESET");
}

QByteArray factoryResetCommand()
{
    return QByteArrayLiteral("LOAD SETTING:DEFAULT");
}

QString decodeReply(const QByteArray &bytes)
{
    return serial_link::replyText(bytes);
}

QString cutValue(const QString &reply, int skip, int longest)
{
    if (reply.size() <= skip)
        return QString();
    return reply.mid(skip, longest);
}

int choiceIndex(ValueKind kind, Variant variant, const QString &value)
{
    switch (kind) {
    case ValueKind::Parity:
        if (variant == Variant::Universal) {
            if (value == QLatin1String("none")) return 1;
            if (value == QLatin1String("odd")) return 2;
            if (value == QLatin1String("even")) return 3;
        } else {
            if (value == QLatin1String("0") || value == QLatin1String("none")) return 1;
            if (value == QLatin1String("1")) return 2;
            if (value == QLatin1String("2")) return 3;
        }
        return -1;
    case ValueKind::Speed:
        // The converter reports 57600 bit/s as "57200".
        if (value == QLatin1String("57200"))
            return 7;
        if (value == QLatin1String("57600"))
            return -1;
        for (int i = 0; i < kSpeedCount; ++i)
            if (value == QLatin1String(kSpeeds[i]))
                return i + 1;
        return -1;
    case ValueKind::StopBits:
        if (value == QLatin1String("1")) return 1;
        if (value == QLatin1String("2")) return 2;
        return -1;
    case ValueKind::Mode:
        if (value == QLatin1String("server")) return 1;
        if (value == QLatin1String("client")) return 2;
        return -1;
    case ValueKind::FreeText:
    case ValueKind::TcpSlave:
        break;
    }
    return -1;
}

namespace {

bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Four decimal numbers 0 to 255 (one to three digits each) joined by dots.
bool isDottedAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts)
        if (!allDigits(part) || part.size() > 3 || part.toInt() > 255)
            return false;
    return true;
}

bool isPortNumber(const QString &text)
{
    if (!allDigits(text) || text.size() > 5)
        return false;
    const int port = text.toInt();
    return port >= 1 && port <= 65535;
}

// Six pairs of hex digits, all joined by ':' or all by '-'.
bool isMacAddress(const QString &text)
{
    if (text.size() != 17)
        return false;
    const QChar separator = text.at(2);
    if (separator != QLatin1Char(':') && separator != QLatin1Char('-'))
        return false;
    for (int i = 0; i < 17; ++i) {
        const bool ok = i % 3 == 2 ? text.at(i) == separator : isHexDigit(text.at(i));
        if (!ok)
            return false;
    }
    return true;
}

// Printable characters only: no control characters, and no replacement
// character, which stands for bytes that were no UTF-8 at all.
bool isPrintableText(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (uint code : text.toUcs4())
        if (!QChar::isPrint(code) || code == QChar::ReplacementCharacter)
            return false;
    return true;
}

} // namespace

bool inTextForm(Field field, const QString &value)
{
    switch (field) {
    case Field::Ip:
    case Field::Mask:
    case Field::Gateway:
    case Field::ServerIp:
        return isDottedAddress(value);
    case Field::PortTcp:
        return isPortNumber(value);
    case Field::TcpTimeout:
    case Field::ResponseTimeout:
    case Field::RtuId:
        return allDigits(value);
    case Field::TcpSlaveId:
        return allDigits(value) || value == QLatin1String("off");
    case Field::Mac:
        return isMacAddress(value);
    case Field::Version:
        return isPrintableText(value);
    case Field::Mode:
    case Field::Parity:
    case Field::Speed:
    case Field::StopBits:
        break;
    }
    return false;
}

QByteArray parityValue(int index, Variant variant)
{
    static const char *const digits[] = {"0", "1", "2"};
    static const char *const words[] = {"none", "odd", "even"};
    if (index < 1 || index > 3)
        return QByteArray();
    return variant == Variant::Universal ? QByteArray(words[index - 1]) : QByteArray(digits[index - 1]);
}

QByteArray speedValue(int index)
{
    if (index < 1 || index > kSpeedCount)
        return QByteArray();
    return QByteArray(kSpeeds[index - 1]);
}

QByteArray stopBitsValue(int index)
{
    if (index == 1) return QByteArrayLiteral("1");
    if (index == 2) return QByteArrayLiteral("2");
    return QByteArray();
}

QByteArray modeValue(int index)
{
    if (index == 1) return QByteArrayLiteral("SERVER");
    if (index == 2) return QByteArrayLiteral("CLIENT");
    return QByteArray();
}

QByteArray tcpSlaveValue(bool switchedOff, const QString &text)
{
    return switchedOff ? QByteArrayLiteral("off") : textValue(text);
}

QByteArray writeCommand(const char *prefix, const QByteArray &value)
{
    return QByteArray(prefix) + value;
}

QByteArray textValue(const QString &text)
{
    return text.toLatin1();
}

} // namespace gateway
