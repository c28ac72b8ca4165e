// The RS-485 module's replies as they come off the line: decoding, the kind
// of reply by its words, and the value look-ups.

#include "fuzz_check.h"
#include "rs485_protocol.h"

#include <cstddef>
#include <cstdint>

using namespace rs485;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString reply = decodeReply(bytes);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        FUZZ_CHECK(reply == decodeReply(bytes.left(nul)));

    const ReplyKind kind = classify(reply);
    // "Ok" is looked for first: a reply holding it is a confirmation,
    // whatever else it says.
    if (reply.contains(QLatin1String("Ok")))
        FUZZ_CHECK(kind == ReplyKind::Confirmation);
    if (kind == ReplyKind::Other)
        FUZZ_CHECK(!reply.contains(QLatin1String("baudrate")) && !reply.contains(QLatin1String("parity"))
                   && !reply.contains(QLatin1Char('?')));

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

    // A value typed into a write command goes out as its UTF-8 bytes after the prefix.
    for (int step = 0; step < 3; ++step) {
        const QString command = writeCommand(step, reply);
        FUZZ_CHECK(command.endsWith(reply));
        FUZZ_CHECK(commandBytes(command) == command.toUtf8());
    }
    return 0;
}
