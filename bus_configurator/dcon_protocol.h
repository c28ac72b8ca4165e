#pragma once

// DCON, as the bus module speaks it on its RS-485 line at 9600 baud: ASCII
// commands and replies, each ended by a carriage return, no checksum. Nothing
// here knows about widgets or timers; the window drives these builders.

#include <QByteArray>
#include <QString>

namespace dcon {

// "$002\r": read the configuration of the module at address 00.
QByteArray readConfigCommand();
// "~" + address + "P\r": read the module's protocol.
QByteArray readProtocolCommand(const QByteArray &address);
// "%" + address + new address + type + baud code + format + "\r".
QByteArray setConfigCommand(const QByteArray &address, const QByteArray &newAddress,
                            const QByteArray &typeCode, const QByteArray &baudCode,
                            const QByteArray &formatCode);
// "~" + address + "P" + protocol code + "\r".
QByteArray setProtocolCommand(const QByteArray &address, const QByteArray &protocolCode);

// A decimal ID as typed (not a number counts as 0) in upper-case hex, at least
// two digits: "10" -> "0A", "255" -> "FF". Nothing is limited: "256" -> "100".
QByteArray hexId(const QString &decimalText);

// The new address typed for a DCON write: a decimal number 0 to 255 (ASCII
// digits only, blanks around them allowed). -1 for anything else, which must
// not be sent: the set-configuration command has room for two hex digits.
int parseNewAddress(const QString &text);
// A DCON address 0 to 255 as two upper-case hex digits: 10 -> "0A".
QByteArray hexAddress(int address);

// Baud-rate codes "03" ("1200") to "0A" ("115200") by the index of the speed
// list; empty for any other index.
QByteArray baudCode(int speedIndex);
// The speed list index of a code, -1 for anything else (case-sensitive: "0a"
// is not a code).
int speedIndex(const QString &baudCode);

// Protocol codes by the index of the protocol list: 0 "Modbus" -> "1",
// 1 "DCON" -> "0"; empty for any other index.
QByteArray protocolCode(int protocolIndex);
// The protocol list index of a reply's protocol digit, -1 for anything else.
int protocolIndex(QChar digit);
// Where a protocol reply carries its digit.
constexpr int kProtocolDigitPos = 3;

// The reply to the read-protocol command, "!" + address (two hex digits) +
// protocol digit, anything after the digit ignored: the protocol list index
// of the digit; kProtocolEcho for "!AAP", a module that echoes the command
// letter and tells nothing; kNotProtocolReply for anything else.
constexpr int kProtocolEcho = -1;
constexpr int kNotProtocolReply = -2;
int protocolReply(const QString &reply);

// True when a reply has the form of a configuration reply: "!" and eight hex
// digits (either case), anything after them ignored. Only such a reply may
// fill the form and the codes reused by the next write.
bool isConfigReply(const QString &reply);

// The configuration reply "!AATTCCFF" (line end removed), cut by position.
struct ConfigReply {
    int address = 0;       // AA read as hex; 0 when it is not hex
    QByteArray typeCode;   // TT
    QString baudCode;      // CC
    QByteArray formatCode; // FF
};
ConfigReply parseConfigReply(const QString &reply);

// Every command and every reply ends with a carriage return.
constexpr char kLineEnd = '\r';

} // namespace dcon
