// The converter's replies as they come off the line: decoding, cutting the
// value of every read-back row, the list look-ups and the write verdicts, for
// every variant.

#include "fuzz_check.h"
#include "gateway_protocol.h"

#include <cstddef>
#include <cstdint>

using namespace gateway;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString reply = decodeReply(bytes);

    // Line ends never survive decoding, and nothing after a NUL byte counts.
    FUZZ_CHECK(!reply.contains(QLatin1Char('\r')) && !reply.contains(QLatin1Char('\n')));
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        FUZZ_CHECK(reply == decodeReply(bytes.left(nul)));

    for (int v = 0; v < 3; ++v) {
        Variant variant;
        FUZZ_CHECK(variantFromIndex(v, &variant));
        for (const ScanRow &row : scanRows(variant)) {
            const QString value = cutValue(reply, row.skip, row.longest);
            FUZZ_CHECK(value.size() <= row.longest);
            FUZZ_CHECK(reply.mid(row.skip).startsWith(value));
            const int index = choiceIndex(row.kind, variant, value);
            FUZZ_CHECK(index >= -1 && index <= 16);
            // A value taken as read is never empty and holds no control character.
            if (inTextForm(row.field, value)) {
                FUZZ_CHECK(!value.isEmpty());
                for (QChar c : value)
                    FUZZ_CHECK(c.category() != QChar::Other_Control);
            }
        }
        for (const WriteRow &row : writeRows(variant)) {
            const Verdict verdict = judgeWriteReply(row, variant, reply);
            // The confirmation word alone is always taken.
            if (reply == confirmation(variant))
                FUZZ_CHECK(verdict == Verdict::Confirmed);
            // "?" is refused by every write.
            if (reply == QLatin1String("?"))
                FUZZ_CHECK(verdict == Verdict::Rejected);
            // A field text goes out as the prefix followed by its Latin-1 bytes.
            const QByteArray command = writeCommand(row.prefix, textValue(reply));
            FUZZ_CHECK(command.startsWith(row.prefix));
        }
    }
    return 0;
}
