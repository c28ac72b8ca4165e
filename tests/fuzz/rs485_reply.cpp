// The RS-485 module's replies as they come off the line: collecting them,
// decoding, the kind of reply by its words, the answer each command takes,
// what the answer does to the sequences, the part of a reply a box shows,
// and the value look-ups.

#include "fuzz_check.h"
#include "rs485_protocol.h"
#include "rs485_steps.h"
#include "serial_link.h"

#include <cstddef>
#include <cstdint>

using namespace rs485;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString reply = serial_link::textUpToNul(bytes);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        FUZZ_CHECK(reply == serial_link::textUpToNul(bytes.left(nul)));

    // Collected in two pieces, a reply keeps its first bytes and stops
    // growing one byte past the bound.
    serial_link::ReplyBuffer collected;
    const int half = bytes.size() / 2;
    collected.add(bytes.left(half));
    const bool past = collected.add(bytes.mid(half)) == serial_link::ReplyBuffer::Status::Overflow;
    FUZZ_CHECK(past == (bytes.size() > kMaxReplyBytes));
    FUZZ_CHECK(collected.bytes() == bytes.left(kMaxReplyBytes + 1));

    const ReplyKind kind = classify(reply);
    // "Ok" is looked for first: a reply holding it is of the confirmation
    // kind, whatever else it says.
    if (reply.contains(QLatin1String("Ok")))
        FUZZ_CHECK(kind == ReplyKind::Confirmation);
    if (kind == ReplyKind::Other)
        FUZZ_CHECK(!reply.contains(QLatin1String("baudrate")) && !reply.contains(QLatin1String("parity"))
                   && !reply.contains(QLatin1Char('?')));

    // Each command takes only its own kind of answer: no reply to a read
    // command is ever a confirmation or a refusal (which would move the
    // write sequence), and nothing past the bound is any answer at all.
    const struct {
        const char *command;
        ReplyKind kind;
        Answer answer;
    } expected[] = {
        {"-baudrate", ReplyKind::BaudRateReport, Answer::BaudRate},
        {"-stop bits", ReplyKind::StopBitsReport, Answer::StopBits},
        {"-parity", ReplyKind::ParityReport, Answer::Parity},
        {"-baudrate:9600", ReplyKind::Confirmation, Answer::Taken},
        {"-stop bits:", ReplyKind::Refusal, Answer::Refused},
        {"-st", ReplyKind::WorkingMode, Answer::Working},
    };
    const bool overlong = bytes.size() > kMaxReplyBytes;
    FUZZ_CHECK(judge(QStringLiteral("-h"), bytes) == (overlong ? Answer::Unexpected : Answer::Text));
    for (const auto &e : expected) {
        const Answer answer = judge(QLatin1String(e.command), bytes);
        const bool write = QByteArray(e.command).contains(':');
        if (overlong)
            FUZZ_CHECK(answer == Answer::Unexpected);
        else if (write && kind == ReplyKind::Confirmation)
            FUZZ_CHECK(answer == Answer::Taken);
        else if (write && kind == ReplyKind::Refusal)
            FUZZ_CHECK(answer == Answer::Refused);
        else
            FUZZ_CHECK(answer == (kind == e.kind ? e.answer : Answer::Unexpected));
    }

    // What a reply does to the sequences: only a confirmation of a write
    // command moves the write on; whatever is unexpected stops them with a box.
    for (const char *command : {"-h", "-baudrate", "-parity", "-baudrate:9600", "-st"}) {
        const ReplyStep step = afterReply(QLatin1String(command), bytes, 1, Pacing());
        const Answer answer = judge(QLatin1String(command), bytes);
        FUZZ_CHECK((step.restart == Timer::Write) == (answer == Answer::Taken));
        FUZZ_CHECK(step.stopSequences == (answer == Answer::Unexpected));
        FUZZ_CHECK((step.box == Box::UnexpectedReply) == (answer == Answer::Unexpected));
    }

    // What a box shows: the reply's start, no line ends, 64 characters at most.
    const QString excerpt = replyExcerpt(reply);
    QString flat = reply;
    flat.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    FUZZ_CHECK(excerpt.size() <= 64 && flat.startsWith(excerpt));
    FUZZ_CHECK(excerpt.size() >= qMin(63, flat.size()));

    // A value found selects an entry the list has; entry 0 is never chosen.
    const int speed = speedIndex(reply);
    FUZZ_CHECK(speed == -1 || (speed >= 1 && speed < speedItems().size()));
    if (speed > 0)
        FUZZ_CHECK(reply.contains(speedItems().at(speed)));
    const int stop = stopBitsIndex(reply);
    FUZZ_CHECK(stop == -1 || (stop >= 1 && stop < stopBitsItems().size()));
    const int parity = parityIndex(reply);
    FUZZ_CHECK(parity == -1 || (parity >= 1 && parity < parityItems().size()));
    if (parity > 0)
        FUZZ_CHECK(reply.contains(parityItems().at(parity)));

    // A value typed into a write command goes out after the prefix.
    for (int step = 0; step < 3; ++step)
        FUZZ_CHECK(writeCommand(step, reply).endsWith(reply));
    return 0;
}
