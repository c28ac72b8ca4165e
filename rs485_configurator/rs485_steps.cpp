#include "rs485_steps.h"

#include "serial_link.h"

namespace rs485 {
namespace {

TickStep tick(int step, const QString &command)
{
    TickStep out;
    if (command.isEmpty()) { // past the last step
        out.next = step;
        out.finished = true;
        return out;
    }
    out.next = step + 1;
    out.command = command;
    return out;
}

// A value report: the entry it names turns green, or the list red when it
// names none; the read goes on either way.
ReplyStep report(Setting list, int index, const Pacing &pacing)
{
    ReplyStep out;
    out.list = list;
    out.look = index > 0 ? Look::Green : Look::Red;
    out.index = index > 0 ? index : -1;
    out.restart = Timer::Read;
    out.intervalMs = pacing.afterReportMs;
    return out;
}

} // namespace

TickStep readTick(int readStep)
{
    return tick(readStep, readCommand(readStep));
}

TickStep writeTick(int writeStep, const FormValues &values)
{
    const Setting list = settingOfWriteStep(writeStep + 1);
    QString value;
    switch (list) {
    case Setting::Speed: value = values.speed; break;
    case Setting::StopBits: value = values.stopBits; break;
    case Setting::Parity: value = values.parity; break;
    case Setting::None: break;
    }
    TickStep out = tick(writeStep, writeCommand(writeStep, value));
    if (!out.finished)
        out.markRed = list;
    return out;
}

ReplyStep afterReply(const QString &command, const QByteArray &reply, int writeStep, const Pacing &pacing)
{
    const QString text = serial_link::textUpToNul(reply);
    ReplyStep out;
    switch (judge(command, reply)) {
    case Answer::Text:
        out.restart = Timer::Read;
        out.intervalMs = pacing.afterTextMs;
        break;
    case Answer::BaudRate:
        out = report(Setting::Speed, speedIndex(text), pacing);
        break;
    case Answer::StopBits:
        out = report(Setting::StopBits, stopBitsIndex(text), pacing);
        break;
    case Answer::Parity:
        out = report(Setting::Parity, parityIndex(text), pacing);
        out.enableButtons = true;
        break;
    case Answer::Taken: // the write step counter is already past the command
        out.list = settingOfWriteStep(writeStep);
        out.look = Look::Green;
        out.restart = Timer::Write;
        out.intervalMs = pacing.afterTakenMs;
        break;
    case Answer::Refused: // the write stops on the refused value, emptied
        out.list = settingOfWriteStep(writeStep);
        out.look = Look::Red;
        out.index = 0;
        break;
    case Answer::Working:
        out.closeLink = true;
        out.box = Box::Working;
        break;
    case Answer::Unexpected:
        // Nothing more is sent until a button starts a sequence again; the
        // list the command concerned turns red ("-h" and "-st" concern none).
        out.stopSequences = true;
        out.stopReplyTimeout = true;
        out.list = settingOfCommand(command);
        out.look = out.list == Setting::None ? Look::Unchanged : Look::Red;
        out.box = Box::UnexpectedReply;
        out.excerpt = replyExcerpt(text);
        break;
    }
    return out;
}

ReplyStep afterTimeOut()
{
    ReplyStep out;
    out.showError = true;
    // Stopped before the box: a late reply taken in while the box is open
    // moves the sequence on, and the next command's own time-out must stand.
    out.stopReplyTimeout = true;
    out.box = Box::NoReply;
    return out;
}

Progress progress(Timer sequence, int step, bool awaitingReply)
{
    Progress out;
    if (sequence != Timer::None)
        while (!(sequence == Timer::Read ? readCommand(out.total) : writeCommand(out.total, QString())).isEmpty())
            ++out.total;
    out.answered = qBound(0, step - (awaitingReply ? 1 : 0), out.total);
    return out;
}

SearchStep searchTick(int findTicks, Lamp shown, const QStringList &known, const QStringList &current,
                      const Pacing &pacing)
{
    SearchStep out;
    out.lamp = shown == Lamp::Gray2 ? Lamp::Gray : Lamp::Gray2; // blinking
    out.ticks = findTicks + 1;
    if (out.ticks > pacing.findGiveUpTicks) {
        out.giveUp = true;
        out.lamp = Lamp::Red;
    }
    // Any port that was not there before is taken for the module. Only a
    // change in the number of ports is noticed.
    if (current.size() == known.size())
        return out;
    out.portsChanged = true;
    for (const QString &name : current)
        if (!known.contains(name))
            out.found << name;
    out.readDelayMs = pacing.foundReadMs;
    return out;
}

} // namespace rs485
