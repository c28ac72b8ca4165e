// The bus module's DCON replies as the port hands them over: bytes in pieces
// through the receive buffer, then the configuration and protocol fields of
// each complete reply, and what the read and the write make of it. The first
// input byte sets the size of the pieces.

#include "bus_sequences.h"
#include "dcon_protocol.h"
#include "fuzz_check.h"
#include "serial_link.h"

#include <cstddef>
#include <cstdint>

using namespace dcon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int piece = 1 + data[0] % 64;
    const QByteArray line(reinterpret_cast<const char *>(data + 1), int(size - 1));

    serial_link::ReplyBuffer buffer(kLineEnd);
    int replies = 0;
    for (int at = 0; at < line.size(); at += piece) {
        const QByteArray bytes = line.mid(at, piece);
        const bool complete = buffer.add(bytes) == serial_link::ReplyBuffer::Status::Complete;
        // A reply is complete exactly when a carriage return came in; noise
        // without one stays bounded.
        FUZZ_CHECK(complete == bytes.contains('\r'));
        FUZZ_CHECK(buffer.bytes().size() <= serial_link::kMaxReplyBytes + piece);
        if (!complete)
            continue;
        ++replies;
        const QString reply = serial_link::replyText(buffer.take());
        FUZZ_CHECK(buffer.isEmpty());
        FUZZ_CHECK(!reply.contains(QLatin1Char('\r')) && !reply.contains(QLatin1Char('\n')));

        // At read step 1 a reply fills the form only in the configuration
        // form; anything else (but line ends) ends the read at once.
        const bus_sequences::Action read = bus_sequences::judgeReply(reply, {true, 1, false, 0});
        FUZZ_CHECK(read.takeCodes == (!reply.isEmpty() && isConfigReply(reply)) && read.id.toInt() <= 0xFF);
        FUZZ_CHECK(read.takeCodes || (read.id.isEmpty() && read.mark == bus_sequences::NoField
                                      && read.stop == bus_sequences::Sequence::Scan));

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
