#pragma once

// The configurator's sequences as steps without widgets or timers: the read
// of the module's settings, the write that ends in its working mode, the
// search for a module plugged in, and what each reply (or its absence) does
// to them. Each function is given where its sequence stands and what it
// needs to know as plain data, and says what to do; the window does it.
// The pace is a parameter: a reply restarts its sequence's timer with the
// pause that fits it.

#include "rs485_protocol.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rs485 {

// The pauses and limits of the sequences, ms unless said otherwise.
struct Pacing
{
    int startMs = 100;          // from a read or write button to its first command
    int afterTextMs = 300;      // read: after an answer that reports no value ("-h")
    int afterReportMs = 500;    // read: after a value report
    int afterTakenMs = 1500;    // write: after a confirmed value
    int replyTimeoutMs = 3000;  // a command left unanswered this long is reported
    int findTickMs = 100;       // the search looks at the ports this often
    int findGiveUpTicks = 1200; // ticks; the search gives up on the tick past this
    int foundReadMs = 3000;     // from a module found by the search to its first read command
};

// A read or write tick. The step counter is stored as `next` before the step
// is performed. Past the last step the tick only stops its timer; otherwise
// it stops its timer (one command in flight) and sends `command`, a reply
// wanted, with "Передано :" and the command on the status line.
struct TickStep
{
    int next = 0;
    bool finished = false;
    QString command;
    Setting markRed = Setting::None; // the list whose value is on the line
};

TickStep readTick(int readStep);

// The form's values as they stand (the current texts of the three lists).
struct FormValues
{
    QString speed;
    QString stopBits;
    QString parity;
};

TickStep writeTick(int writeStep, const FormValues &values);

// Which sequence timer a reply restarts.
enum class Timer { None, Read, Write };
enum class Look { Unchanged, Green, Red };
// The window's boxes, each with the program's own text.
enum class Box { None, NoReply, Working, UnexpectedReply };

// What a reply, or the lack of one, does.
struct ReplyStep
{
    // Stop the read and write sequences and the reply time-out before
    // anything else (before the box, whose event loop would run them).
    bool stopSequences = false;
    bool stopReplyTimeout = false;
    bool showError = false; // "Ошибка" on the status line

    // The list the reply concerns: its look, and the entry to select
    // (-1 leaves the entry as it is).
    Setting list = Setting::None;
    Look look = Look::Unchanged;
    int index = -1;

    bool enableButtons = false; // the read and write buttons
    Timer restart = Timer::None;
    int intervalMs = 0;         // for restart
    bool closeLink = false;     // before the box
    Box box = Box::None;
    QString excerpt;            // of the reply, for Box::UnexpectedReply
};

// A reply taken in, as the answer to `command` (the last one sent), with the
// write step counter as it stands once that command went out.
ReplyStep afterReply(const QString &command, const QByteArray &reply, int writeStep, const Pacing &pacing);

// No reply within the time-out: reported, and the sequence rests where it is
// (a reply that still comes moves it on).
ReplyStep afterTimeOut();

// How far a read or write has come with its step counter at `step` (the
// commands sent so far), its last command still awaiting its reply or not:
// the commands answered, of all the commands of the sequence.
struct Progress
{
    int answered = 0;
    int total = 0;
};
Progress progress(Timer sequence, int step, bool awaitingReply);

// A search tick, given the ticks counted so far, the ports known before and
// the ports there now. The count to store is `ticks`.
enum class Lamp { Gray, Gray2, Green, Red };
struct SearchStep
{
    int ticks = 0;
    Lamp lamp = Lamp::Gray;   // the search button's look after this tick
    bool giveUp = false;      // the search ends: "Модуль не найден"
    bool portsChanged = false; // the known ports become the current ones
    // Ports taken for the module, in order: each is listed, selected and
    // opened; for each that opens, the connect button reads "Отключиться",
    // the search button turns green and the read begins readDelayMs later.
    QStringList found;
    int readDelayMs = 0;
};

SearchStep searchTick(int findTicks, Lamp shown, const QStringList &known, const QStringList &current,
                      const Pacing &pacing);

} // namespace rs485
