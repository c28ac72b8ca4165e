#pragma once

// The service protocol of the Modbus TCP <-> Modbus RTU converter, as spoken
// on its serial line: plain ASCII commands with no terminator, one per 1000 ms
// tick, and short text replies. Nothing here knows about widgets or timers;
// the window drives these tables.

#include <QByteArray>
#include <QString>
#include <vector>

namespace gateway {

// The converter variant, as the index of the variant list of the window.
enum class Variant { TcpRtu = 0, RtuTcp = 1, Universal = 2 };

// Index 0, 1 or 2 of the variant list; false for anything else.
bool variantFromIndex(int index, Variant *variant);

// The parameters the converter reports or takes, one per field of the form.
enum class Field {
    Mode,            // TCP server or client (universal)
    Version,         // firmware version (universal, read only)
    Mac,             // MAC address (read only)
    Ip,
    Mask,
    Gateway,
    PortTcp,
    Parity,
    Speed,
    StopBits,
    ResponseTimeout, // RTU response time-out, ms (universal)
    ServerIp,        // address of the TCP server in client mode
    TcpTimeout,      // TCP time-out, s
    RtuId,           // the converter's own RTU address (universal)
    TcpSlaveId,      // unit address of the TCP server, or "off" (universal)
};

// How a read-back value is shown.
enum class ValueKind {
    FreeText, // shown as it is
    Parity,   // one of the parity words/digits of the variant
    Speed,    // one of the RS-485 speeds ("57200" stands for 57600)
    StopBits, // "1" or "2"
    Mode,     // "server" or "client"
    TcpSlave, // a number, or "off"
};

// One read-back command: the reply holds the command text, one separator and
// the value; `skip` characters are dropped and at most `longest` taken.
struct ScanRow {
    const char *command;
    int skip;
    int longest;
    Field field;
    ValueKind kind;
};

// The read-back commands of a scan in the order they are sent; the command of
// step k is rows[k] and its reply arrives while the step counter holds k + 1.
// The TCP-RTU list is the first eight rows of the RTU-TCP list.
const std::vector<ScanRow> &scanRows(Variant variant);

// One write command: the prefix followed directly by the value.
struct WriteRow {
    const char *prefix;
    Field field;
    bool confirmsLink;     // its "OK"/"ok" shows that the converter is there at all
    bool tightRejectText;  // rejection text without the blank after the tag
    bool onlyQuestionRejects; // "?" rejects, any other reply but the confirmation is ignored
};

// The write commands in the order they are sent; row i goes out at step 2i and
// its reply is judged while the counter holds 2i + 1 or 2i + 2. After the last
// row comes the restart command.
const std::vector<WriteRow> &writeRows(Variant variant);

// Step number of the write's restart command: 14, 18 or 26.
int writeCompletionStep(Variant variant);

// The write's confirmation word: "OK", or "ok" for the universal converter.
QString confirmation(Variant variant);

enum class Verdict { Confirmed, Rejected, Ignored };
Verdict judgeWriteReply(const WriteRow &row, Variant variant, const QString &reply);

// Rejection box texts; they differ in the blank after the opening tag.
QString rejectionText(const WriteRow &row);

// Restart and reset commands.
QByteArray restartCommand(Variant variant); // "RESET", or "reset" for universal
QByteArray factoryResetCommand();           // "LOAD SETTING:DEFAULT"

// One read from the port as reply text: UTF-8 up to the first NUL byte, with
// every carriage return and line feed removed.
QString decodeReply(const QByteArray &bytes);

// The value of a read-back reply: at most `longest` characters after `skip`.
QString cutValue(const QString &reply, int skip, int longest);

// The list entry a read-back value selects, or -1 when the value is not one
// the converter is expected to report (comparison is exact and case-sensitive).
int choiceIndex(ValueKind kind, Variant variant, const QString &value);

// Whether a value shown as text is in the form the converter reports for its
// field: a dotted address (four numbers 0 to 255) for the addresses and the
// mask, a number 1 to 65535 for the TCP port, digits for the time-outs and the
// RTU address, digits or "off" for the TCP server address, six pairs of hex
// digits joined by ':' or '-' for the MAC, printable text for the version.
// An empty value is in no form. The list fields (parity, speed, stop bits,
// mode) are judged by choiceIndex and are in no text form.
bool inTextForm(Field field, const QString &value);

// Write values of the lists, by entry index; entry 0 (and any unknown entry)
// gives an empty value, so the prefix goes out alone.
QByteArray parityValue(int index, Variant variant);
QByteArray speedValue(int index);
QByteArray stopBitsValue(int index);
QByteArray modeValue(int index);
QByteArray tcpSlaveValue(bool switchedOff, const QString &text);

// Prefix plus value, as one write on the port.
QByteArray writeCommand(const char *prefix, const QByteArray &value);

// Field texts go on the wire as Latin-1.
QByteArray textValue(const QString &text);

} // namespace gateway
