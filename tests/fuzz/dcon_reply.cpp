// The bus module's DCON replies as the port hands them over: bytes in pieces
// through the receive buffer, then the configuration and protocol fields of
// each complete reply. The first input byte sets the size of the pieces.

#include "dcon_protocol.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>

using namespace dcon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int piece = 1 + data[0] % 64;
    const QByteArray line(reinterpret_cast<const char *>(data + 1), int(size - 1));

    QByteArray buffer;
    int replies = 0;
    for (int at = 0; at < line.size(); at += piece) {
        const QByteArray bytes = line.mid(at, piece);
        QString reply;
        const bool complete = takeReply(buffer, bytes, &reply);
        // A reply is complete exactly when a carriage return came in, and
        // then nothing waits behind it; noise without one stays bounded.
        FUZZ_CHECK(complete == bytes.contains('\r'));
        FUZZ_CHECK(buffer.size() <= kMaxPendingBytes + piece);
        if (!complete)
            continue;
        ++replies;
        FUZZ_CHECK(buffer.isEmpty());
        FUZZ_CHECK(!reply.contains(QLatin1Char('\r')) && !reply.contains(QLatin1Char('\n')));

        const ConfigReply config = parseConfigReply(reply);
        FUZZ_CHECK(config.address >= -0xF && config.address <= 0xFF);
        FUZZ_CHECK(config.typeCode.size() <= 8 && config.formatCode.size() <= 8);
        FUZZ_CHECK(config.baudCode.size() <= 2);
        // Only a reply in the configuration form reaches the form and the
        // codes; its fields are then whole hex pairs.
        if (isConfigReply(reply)) {
            FUZZ_CHECK(config.address >= 0 && hexAddress(config.address).size() == 2);
            FUZZ_CHECK(config.typeCode.size() == 2 && config.formatCode.size() == 2 && config.baudCode.size() == 2);
            FUZZ_CHECK(QByteArray::fromHex(config.typeCode + config.formatCode).size() == 2);
        }
        const int speed = speedIndex(config.baudCode);
        FUZZ_CHECK(speed >= -1 && speed <= 7);
        if (speed >= 0)
            FUZZ_CHECK(QString::fromLatin1(baudCode(speed)) == config.baudCode);
        if (reply.size() > kProtocolDigitPos) {
            const int protocol = protocolIndex(reply.at(kProtocolDigitPos));
            FUZZ_CHECK(protocol >= -1 && protocol <= 1);
            if (protocol >= 0)
                FUZZ_CHECK(QString::fromLatin1(protocolCode(protocol)) == reply.mid(kProtocolDigitPos, 1));
        }
        // Whatever address the reply gave, it goes back out as upper-case hex.
        const QByteArray id = hexId(QString::number(config.address));
        FUZZ_CHECK(id == id.toUpper() && id.size() >= 2);
    }
    // Every carriage return on the line ends exactly one reply.
    FUZZ_CHECK(replies <= line.count('\r'));
    return 0;
}
