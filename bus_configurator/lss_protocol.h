#pragma once

// CANopen layer setting services (CiA 305) as the configurator uses them on
// can0: the requests on 0x7E5, and the module's answers on 0x7E4 judged
// request by request. No widgets, no device, no timers.

#include <QByteArray>
#include <QList>
#include <QString>

namespace lss {

constexpr quint32 kRequestId = 0x7E5; // master to module
constexpr quint32 kAnswerId = 0x7E4;  // module to master

// Command bytes, the first data byte of a request and of its answer.
enum Command : quint8 {
    SwitchStateGlobal = 0x04, // 01: configuration state, 00: waiting state; no answer
    ConfigureNodeId = 0x11,
    ConfigureBitTiming = 0x13,
    StoreConfiguration = 0x17,
    InquireVendor = 0x5A,
    InquireProduct = 0x5B,
    InquireRevision = 0x5C,
    InquireSerial = 0x5D,
    InquireNodeId = 0x5E,
};

// A request's 8 data bytes: the command byte, then its arguments, then zeros.
// Modules on common stacks ignore shorter requests.
QByteArray request(Command command, quint8 argument = 0, quint8 second = 0);

// The read: after switching to the configuration state, the inquiries in
// this order (the node-ID first, so that two modules show at once).
extern const Command kReadOrder[5];

// A node-ID typed in the ID field: a decimal number 1 to 127 (blanks around
// it allowed), or -1. Nothing else may go out: cansend would cut a wider hex
// value to two digits and configure an ID nobody typed.
int parseNodeId(const QString &text);
// A node-ID an inquiry reports when the module has none.
constexpr quint32 kNoNodeId = 0xFF;

// A frame in the cansend notation: "7E4#" + its data in upper-case hex.
QString frameText(quint32 id, const QByteArray &data);

// What the module's answers to one request say.
struct Verdict {
    enum Kind { Done, Silent, Several, Refused };
    Kind kind = Silent;
    quint32 value = 0; // Done, an inquiry: the value (node-ID or identity number)
    int code = 0;      // Refused: the error code
    int vendorCode = -1; // Refused with code FF: the manufacturer's code, -1 if not sent
};

// The answers among `frames`, the data of the frames received on 0x7E4 since
// the request with this command went out: those whose first byte is the
// command and that are long enough to hold their value (two bytes for the
// configure, store and node-ID answers, five for the identity answers).
// Other frames are late or foreign and do not count.
Verdict judge(Command command, const QList<QByteArray> &frames);

// The request's name in the boxes ("смена ID", "чтение ID", ...).
QString requestName(Command command);
// The text of the "Ошибка" box for a verdict other than Done.
QString failureText(Command command, const Verdict &verdict);

} // namespace lss
