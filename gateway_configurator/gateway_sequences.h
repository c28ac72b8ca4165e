#pragma once

// The converter configurator's sequences as plain step functions: the scan,
// the write (both driven by a step timer and its counter), the restart and the
// factory reset, and the judgement of each reply. The window reads its counter
// k, stores k + 1 and hands k to a step function, which says what to do; the
// window only does it. No widgets, no timers.

#include "gateway_protocol.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace gateway_sequences {

using gateway::Field;
using gateway::Variant;

// The looks a field can be given.
enum class Look { Keep, Green, Red, Lavender };

// A modal box with one OK button.
struct Message {
    enum Kind { None, Critical, Information };
    Kind kind = None;
    QString title;
    QString text;
};

// What becomes of the sequence's counter when its timer is stopped.
enum class Counter {
    Zero,       // set back to 0
    Kept,       // left as it is
    NotAdvanced // back to the step read (the tick did not count)
};

// What is done to the sequence and the form on one side of the box.
struct Effects {
    bool stop = false;             // the sequence's timer stopped
    Counter counter = Counter::Zero;
    bool disconnect = false;       // the port closed, the connect button reads "Cоединиться"
    bool scanText = false;         // the scan button reads "Сканировать"
    bool writeText = false;        // the write button reads "Запись параметры"
    bool clearAll = false;         // every parameter field neutral
    std::vector<Field> neutral;    // these fields neutral
    std::vector<Field> unmark;     // these neutral, unless marked red
    std::vector<Field> lavender;   // these lavender, unless marked red
};

// What a read-back value does to its field.
enum class Fill {
    None,
    Text,       // the value is the field's text
    Choice,     // the list entry `index` is selected
    SlaveOff,   // the TCP server address switched off: text cleared, box ticked
    SlaveOn     // the TCP server address is the text; box unticked
};

// What to do, in this order: write the debug line; note that the next reply
// is awaited; send the bytes; note the restart, the reply, the confirmation;
// mark and fill the field; `before`; the box (with the silence of the running
// sequence not reported while it is open, if `quietBox`); `after`.
struct Action {
    QString debug;
    bool awaitReply = false;  // the command about to go out has not been answered
    QByteArray send;
    bool reboot = false;      // a restart of the converter is expected from now on
    bool answered = false;    // the last command got a reply
    bool confirmed = false;   // the converter confirmed one of the first two writes
    Field field = Field::Mac;
    Look look = Look::Keep;   // Keep: the field is not touched
    Fill fill = Fill::None;
    QString text;
    int index = -1;
    Effects before;
    Message box;
    bool quietBox = false;
    Effects after;
};

// What a scan knows at a tick.
struct ScanState {
    bool open = true;            // the port is open
    QString lastReply;           // the last reply; empty when nothing came since the scan began
    bool answered = true;        // the command of the step before got a reply
    bool silenceReported = false; // the box of a scan found silent is open
    bool tcpSlaveOff = false;    // the TCP server address is switched off in the form
};

// The fields a write sends, as plain values read off the form at the tick.
struct WriteForm {
    int modeIndex = 0;
    int parityIndex = 0;
    int speedIndex = 0;
    int stopBitsIndex = 0;
    bool tcpSlaveOff = false;
    QString ip, mask, gateway, portTcp, responseTimeout, serverIp, tcpTimeout, rtuId, tcpSlaveId;
};

// What a write knows at a tick.
struct WriteState {
    bool confirmed = false; // the converter confirmed one of the first two writes
    bool answered = true;   // the command of the step before got a reply
};

// Step k of the scan of a variant.
Action scanTick(Variant variant, int step, const ScanState &state);
// Step k of the write of a variant.
Action writeTick(Variant variant, int step, const WriteState &state, const WriteForm &form);
// The restart button, and the factory reset once confirmed.
Action restart();
Action factoryReset(const QString &lastReply);

// The sequence a reply belongs to: the one whose timer ran when its first
// byte came, if it still runs.
enum class Operation { None, Write, Scan, UniversalWrite, UniversalScan };

// The TCP-RTU and RTU-TCP converters share one write timer and counter, and
// one scan timer and counter, so a reply does not say which of the two is on
// the line: both are judged by the RTU-TCP table. Its rows begin with the
// TCP-RTU rows (a TCP-RTU sequence ends before the counter reaches the rest),
// and the two read values and confirmations alike ("OK", parity digits).
constexpr Variant kSharedTable = Variant::RtuTcp;

// A reply (text) to the command on the line while the counter held `step`.
Action judgeReply(const QString &reply, Operation operation, int step);

// How far a scan or write has come with its counter at `counter`: the
// commands sent, of all the commands it sends for the variant (a write's
// restart command included). The universal operations are of the universal
// converter whatever `variant` says; Operation::None has none.
struct Progress {
    int sent = 0;
    int total = 0;
};
Progress progress(Operation operation, Variant variant, int counter);

} // namespace gateway_sequences
