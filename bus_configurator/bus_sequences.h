#pragma once

// The bus module configurator's sequences as plain step functions: the DCON
// read, the DCON write and the LSS write, each driven by its 1000 ms timer and
// its step counter, the LSS read on a 200 ms timer, and the judgement of each
// DCON reply and of the LSS answers. The
// window reads its counter k, stores k + 1 and hands k to a step function,
// which says what to do; the window only does it. No widgets, no timers.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace bus_sequences {

enum class Sequence { None, Scan, Write, Lss, CanRead };

// The fields a sequence marks as read or confirmed, or clears again.
enum Field : unsigned {
    NoField = 0,
    IdField = 0x1,       // the ID line
    LinkField = 0x2,     // the link list, DCON or CANOpen
    SpeedField = 0x4,    // the baud-rate list
    ProtocolField = 0x8, // the module protocol list, Modbus or DCON
};
using Fields = unsigned;

// A modal box with one OK button.
struct Message {
    enum Kind { None, Critical, Warning, Information };
    Kind kind = None;
    QString title;
    QString text;
    bool plain = false; // shown as typed, never read as markup
};

// When a sequence is stopped (its timer stopped, its counter back to 0):
// at once, before any box, or only once the box was closed.
enum class Stop { Now, AfterBox };

// What to do, in this order: open can0 (if it cannot be opened, nothing
// else is done); send the bytes, append the log line, run the command line,
// write the LSS request; set the values and marks, clear the marks; stop at
// once; show the box; stop after it; forget the last reply; start a sequence.
struct Action {
    bool openCan = false;    // can0 opened to hear the answers of the sequence started
    QByteArray send;         // bytes for the serial port
    QString log;             // a line for the log pane
    QStringList run;         // sudo's arguments, one LSS request
    QByteArray canSend;      // an LSS request's data, written on 0x7E5 through can0
    QString id;              // the module's address or node-ID, shown in the ID line
    int speedIndex = -1;     // baud-rate list index to select
    int protocolIndex = -1;  // protocol list index to select
    bool takeCodes = false;  // keep typeCode and formatCode for the next write
    QByteArray typeCode;
    QByteArray formatCode;
    Fields mark = NoField;   // given the confirmation look
    Fields clear = NoField;  // given the neutral look
    Sequence stop = Sequence::None;
    Stop when = Stop::Now;
    Message box;
    bool forgetReply = false; // the last reply is cleared
    Sequence start = Sequence::None;
    int startMs = 0;          // the interval the started sequence ticks at
};

// What the DCON sequences know of the link at a tick.
struct DconLink {
    bool open = false;      // the serial port is open
    bool replied = false;   // a reply came since the last reply was forgotten
    QByteArray address;     // the module's DCON address in the commands
};

// The write block of the form, as plain values.
struct WriteForm {
    QString id;             // the new address as typed
    int speedIndex = -1;    // baud-rate list
    int protocolIndex = -1; // protocol list
    QByteArray typeCode;    // from the last configuration reply, if any
    QByteArray formatCode;
};

// Which DCON sequence runs, and its counter, when a reply comes.
struct Running {
    bool scan = false;
    int scanStep = 0;
    bool write = false;
    int writeStep = 0;
};

// "Сканировать": the read starts in the DCON mode, unless it runs already.
Action scanPress(int linkMode, bool scanRunning, int tickMs);
// "Запиcать параметры": the DCON write (not with a new address that does not
// fit its command) or the LSS write, by the link mode; the LSS write only
// with a node-ID 1 to 127 and while no other CANopen sequence runs (canBusy).
Action writePress(int linkMode, const QString &idText, int tickMs, bool canBusy);
// "Считать": the LSS read, in the CANopen mode with the CAN link connected
// and no other CANopen sequence running.
Action canReadPress(int linkMode, bool connected, bool canBusy, int tickMs);

// Step k of the DCON read: read the configuration, check that the module
// answered, read the protocol, end.
Action scanTick(int step, const DconLink &link);
// Step k of the DCON write: set the configuration, check that the module
// answered, set the protocol, end with the closing box once that was
// answered too (each reply that is no "!" has ended the write already).
Action writeTick(int step, const DconLink &link, const WriteForm &form);
// The data of the frames received on 0x7E4 since each request of an LSS
// sequence went out, request by request: [0] since switch state global.
using LssAnswers = QList<QList<QByteArray>>;

// Step k of the LSS write: the four requests, then the closing box; before
// the bit timing, the store and the closing box, the answers to the request
// before are judged, and a missing, doubled or refusing answer ends it.
Action lssTick(int step, const QString &idText, int canSpeedIndex, const LssAnswers &answers);
// A command line of the LSS write failed: the write ends there.
Action lssFailed(const QStringList &arguments, const QString &error);
// Step k of the LSS read: the five inquiries, each judged at the next step,
// then the node-ID in the ID line and the module's identity in a box.
Action canReadTick(int step, const LssAnswers &answers);
// can0 could not be opened or written: the sequence ends.
Action canFailed(Sequence sequence, const QString &error);

// A complete DCON reply (line ends removed) by the sequence it arrives in.
Action judgeReply(const QString &reply, const Running &running);

// The box for a command line that failed, with its error output.
Message commandFailed(const QStringList &sudoArguments, const QString &error);
// The box for a typed new address that cannot be sent.
Message badAddress(const QString &typed);

} // namespace bus_sequences
