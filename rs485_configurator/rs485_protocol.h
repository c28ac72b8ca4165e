#pragma once

// The command set of the Vesk-RS485-ST module: short ASCII commands with no
// terminator, and the text replies the configurator understands. A reply's
// kind is found by the words it contains, tested in a fixed order, and it is
// taken only as the kind of answer its command expects. Nothing here knows
// about widgets or timers; the window drives it.

#include "serial_link.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rs485 {

// What a reply means, by the first of these words it contains:
// "Ok", "baudrate", "stop bits", "parity", "?", "module is working".
enum class ReplyKind {
    Confirmation,   // "Ok": the last write command was taken
    BaudRateReport, // "baudrate"
    StopBitsReport, // "stop bits"
    ParityReport,   // "parity"
    Refusal,        // "?": the last write command was refused
    WorkingMode,    // "module is working"
    Other,          // anything else (the answer to "-h", for one)
};

ReplyKind classify(const QString &reply);

// A reply is collected from the port until the line falls quiet (the serial
// link's quiet collector). One that runs past this many bytes is noise,
// whatever words it holds.
using serial_link::kMaxReplyBytes;

// What a collected reply means as the answer to the command it follows. Each
// command expects one kind of reply:
//   "-h"                                   any text (Text), whatever words it holds
//   "-baudrate", "-stop bits", "-parity"   its own report (BaudRate, StopBits, Parity)
//   "-baudrate:", "-stop bits:", "-parity:" + value
//                                          "Ok" (Taken) or "?" (Refused)
//   "-st"                                  "module is working" (Working)
// The kind of a reply is the one classify() finds. A reply of any other
// kind, a reply past kMaxReplyBytes, and any reply to a command the module
// does not have, are Unexpected.
enum class Answer { Text, BaudRate, StopBits, Parity, Taken, Refused, Working, Unexpected };
Answer judge(const QString &command, const QByteArray &reply);

// The part of an unexpected reply the user is shown: its text without line
// ends, at most its first 64 characters (a character outside the BMP is not
// cut in two).
QString replyExcerpt(const QString &reply);

// The entry of the module's lists a value report selects, or -1 when the
// report names no known value. Entry 0 is the empty one.
//   baud rate: the first of the ten rates found in the reply, 1..10
//   stop bits: "1" before "2"
//   parity:    "none" 1, "odd" 2, "even" 3
int speedIndex(const QString &reply);
int stopBitsIndex(const QString &reply);
int parityIndex(const QString &reply);

// The list items: entry 0 empty, then the values as sent to the module.
QStringList speedItems();
QStringList stopBitsItems();
QStringList parityItems();

// The read commands: step 0 "-h", 1 "-baudrate", 2 "-stop bits",
// 3 "-parity"; empty for any other step.
QString readCommand(int step);

// The write commands: steps 0..2 are the prefix ("-baudrate:", "-stop bits:",
// "-parity:") followed by the value as it stands (an empty value leaves the
// command ending at its colon); step 3 is "-st". Empty for any other step.
QString writeCommand(int step, const QString &value);

// The list a confirmation or refusal concerns, by the write step counter as
// it stands once the command went out (already advanced).
enum class Setting { None, Speed, StopBits, Parity };
Setting settingOfWriteStep(int writeStep);

// The list a command reads or writes: "-baudrate" and "-baudrate:..." the
// speed, and so on; None for "-h", "-st" and anything else.
Setting settingOfCommand(const QString &command);

// Commands go on the line as their UTF-8 bytes, nothing added.
QByteArray commandBytes(const QString &command);

} // namespace rs485
