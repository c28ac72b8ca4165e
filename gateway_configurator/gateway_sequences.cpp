#include "gateway_sequences.h"

#include "window_text.h"

namespace gateway_sequences {
namespace {

using gateway::ScanRow;
using gateway::ValueKind;
using gateway::WriteRow;

using window_text::tr;

// The text of a box naming the variant, one of three whole source texts.
QString byVariant(Variant variant, const char *tcpRtu, const char *rtuTcp, const char *universal)
{
    if (variant == Variant::TcpRtu)
        return tr(tcpRtu);
    return tr(variant == Variant::RtuTcp ? rtuTcp : universal);
}

Message noConverter(Variant variant)
{
    return Message{Message::Critical, tr("Ошибка соединения"),
                   byVariant(variant, "нет соединения с модулем Modbus TCP-RTU",
                             "нет соединения с модулем Modbus RTU-TCP",
                             "нет соединения с модулем Modbus universal")};
}

Message writeDone(Variant variant)
{
    return Message{Message::Information, tr("Результы изменения"),
                   byVariant(variant, "<FONT COLOR='#008000'>Изменение параметров Modbus TCP-RTU было успешно</FONT>",
                             "<FONT COLOR='#008000'>Изменение параметров Modbus RTU-TCP было успешно</FONT>",
                             "<FONT COLOR='#008000'>Изменение параметров Modbus universal было успешно</FONT>")};
}

Effects stopped(Counter counter = Counter::Zero)
{
    Effects e;
    e.stop = true;
    e.counter = counter;
    return e;
}

// The converter gave no sign of life: the port is closed and the form
// returns to the disconnected state.
Effects disconnected(bool writeText)
{
    Effects e;
    e.disconnect = true;
    e.scanText = true;
    e.writeText = writeText;
    return e;
}

// The command of the step before got no reply at all: the sequence stops
// before the box, so nothing more goes out while it is open.
Action fellSilent(Variant variant, bool write)
{
    Action a;
    a.before = stopped();
    a.box = noConverter(variant);
    a.after = disconnected(write);
    return a;
}

// The end of a scan takes away the marks of values read (a red one stays).
Action scanEnd(Variant variant, bool tcpSlaveOff)
{
    Action a;
    a.before = stopped();
    a.before.scanText = true;
    if (variant == Variant::Universal) {
        a.before.unmark = {Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                           Field::PortTcp, Field::TcpTimeout, Field::Gateway, Field::Mode, Field::RtuId,
                           Field::ResponseTimeout};
        a.before.lavender = {Field::Mac, Field::Version};
        (tcpSlaveOff ? a.before.lavender : a.before.unmark).push_back(Field::TcpSlaveId);
    } else {
        a.before.unmark = {Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                           Field::PortTcp, Field::TcpTimeout, Field::Mac, Field::Gateway};
    }
    return a;
}

QString writeText(Field field, const WriteForm &form)
{
    switch (field) {
    case Field::Ip: return form.ip;
    case Field::Mask: return form.mask;
    case Field::Gateway: return form.gateway;
    case Field::PortTcp: return form.portTcp;
    case Field::ResponseTimeout: return form.responseTimeout;
    case Field::ServerIp: return form.serverIp;
    case Field::TcpTimeout: return form.tcpTimeout;
    case Field::RtuId: return form.rtuId;
    case Field::TcpSlaveId: return form.tcpSlaveId;
    default: break;
    }
    return QString();
}

QByteArray writeValue(const WriteRow &row, Variant variant, const WriteForm &form)
{
    switch (row.field) {
    case Field::Mode: return gateway::modeValue(form.modeIndex);
    case Field::Parity: return gateway::parityValue(form.parityIndex, variant);
    case Field::Speed: return gateway::speedValue(form.speedIndex);
    case Field::StopBits: return gateway::stopBitsValue(form.stopBitsIndex);
    case Field::TcpSlaveId: return gateway::tcpSlaveValue(form.tcpSlaveOff, form.tcpSlaveId);
    default: break;
    }
    return gateway::textValue(writeText(row.field, form));
}

// A read-back value: shown in its field, green when it is in the field's
// form, red when it is not (noise is shown as it came). The value is judged
// as received: one longer than the field's longest value is shown cut to
// that length, and red, since the converter never reports such a value.
Action scanValue(const ScanRow &row, Variant variant, const QString &reply)
{
    Action a;
    a.answered = true;
    a.field = row.field;
    const QString value = gateway::cutValue(reply, row.skip, row.longest);
    const bool cut = reply.size() - row.skip > row.longest;
    switch (row.kind) {
    case ValueKind::FreeText:
        a.look = !value.isEmpty() && !cut && gateway::inTextForm(row.field, value) ? Look::Green : Look::Red;
        if (!value.isEmpty()) {
            a.fill = Fill::Text;
            a.text = value;
        }
        break;
    case ValueKind::TcpSlave:
        if (value.isEmpty()) {
            a.look = Look::Lavender;
            break;
        }
        a.look = !cut && gateway::inTextForm(row.field, value) ? Look::Green : Look::Red;
        a.fill = !cut && value == QLatin1String("off") ? Fill::SlaveOff : Fill::SlaveOn;
        a.text = value;
        break;
    case ValueKind::Parity:
    case ValueKind::Speed:
    case ValueKind::StopBits:
    case ValueKind::Mode:
        a.index = cut ? -1 : gateway::choiceIndex(row.kind, variant, value);
        a.look = a.index < 0 ? Look::Red : Look::Green;
        if (a.index >= 0)
            a.fill = Fill::Choice;
        break;
    }
    return a;
}

// The reply to a write command. A refusal ends the write: stopped before the
// box, since its event loop would keep the write ticking.
Action writeReply(const WriteRow &row, Variant variant, const QString &reply)
{
    Action a;
    a.answered = true;
    a.field = row.field;
    switch (gateway::judgeWriteReply(row, variant, reply)) {
    case gateway::Verdict::Confirmed:
        a.look = Look::Green;
        a.confirmed = row.confirmsLink;
        break;
    case gateway::Verdict::Rejected:
        a.look = Look::Red;
        // The universal write's counter stays where it was.
        a.before = stopped(variant == Variant::Universal ? Counter::Kept : Counter::Zero);
        a.box = Message{Message::Critical, tr("Ошибка"), gateway::rejectionText(row)};
        a.after.writeText = true;
        a.after.clearAll = true;
        break;
    case gateway::Verdict::Ignored:
        break;
    }
    return a;
}

} // namespace

Action scanTick(Variant variant, int step, const ScanState &state)
{
    Action a;
    // Only the two-way scan checks the port; its tick then does not count.
    if (variant != Variant::Universal && !state.open) {
        a.debug = QStringLiteral("error connecting");
        a.before = stopped(Counter::NotAdvanced);
        return a;
    }
    const std::vector<ScanRow> &rows = gateway::scanRows(variant);
    const int endStep = int(rows.size());
    if (step > endStep)
        return a;
    // A converter that stops answering half way. A reply that is judged
    // counts whatever its value; one of line ends only does not.
    if (step >= 2 && !state.answered && !state.silenceReported)
        return fellSilent(variant, false);
    if (step == endStep)
        return scanEnd(variant, state.tcpSlaveOff);
    if (step == 1) {
        if (state.lastReply.isEmpty()) {
            // Nothing received at the first check: the box comes first and the
            // scan keeps ticking until it is closed, without a second box for
            // the silence of the commands it sends meanwhile.
            a.box = noConverter(variant);
            a.quietBox = true;
            a.after = disconnected(false);
            a.after.stop = true;
            return a;
        }
    }
    a.awaitReply = true;
    a.send = rows[size_t(step)].command;
    return a;
}

Action writeTick(Variant variant, int step, const WriteState &state, const WriteForm &form)
{
    const int completionStep = gateway::writeCompletionStep(variant);
    if (step == 3)
        return state.confirmed ? Action() : fellSilent(variant, true);
    if (step > completionStep || step % 2 != 0)
        return Action();
    // Past the first two commands, each command (and the restart) goes out
    // only if the one before it was answered at all: a converter that fell
    // silent half way must not be reported as written.
    if (step >= 4 && !state.answered)
        return fellSilent(variant, true);

    Action a;
    a.awaitReply = true;
    if (step == completionStep) {
        // No reply to the restart is awaited.
        a.send = gateway::restartCommand(variant);
        a.before = stopped();
        a.reboot = true;
        a.before.writeText = true;
        a.box = writeDone(variant);
        a.after.neutral = {Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                           Field::PortTcp, Field::TcpTimeout, Field::Mac, Field::Gateway};
        if (variant == Variant::Universal)
            a.after.neutral.insert(a.after.neutral.end(),
                                   {Field::Mode, Field::RtuId, Field::TcpSlaveId, Field::ResponseTimeout});
        return a;
    }
    const WriteRow &row = gateway::writeRows(variant)[size_t(step / 2)];
    a.send = gateway::writeCommand(row.prefix, writeValue(row, variant, form));
    if (row.field == Field::Ip)
        a.debug = QStringLiteral("change ip--- \"%1\"").arg(QString::fromLatin1(a.send));
    else if (row.field == Field::Mask)
        a.debug = QStringLiteral("change mask--- \"%1\"").arg(QString::fromLatin1(a.send));
    return a;
}

Action restart()
{
    Action a;
    a.send = gateway::restartCommand(Variant::TcpRtu);
    a.reboot = true;
    return a;
}

Action factoryReset(const QString &lastReply)
{
    Action a;
    a.send = gateway::factoryResetCommand();
    a.reboot = true;
    a.debug = QStringLiteral("сброс параметры ") + lastReply;
    return a;
}

Action judgeReply(const QString &reply, Operation operation, int step)
{
    Action a;
    a.debug = QStringLiteral("data 2:") + reply;
    if (reply.isEmpty()) {
        a.box = Message{Message::Critical, tr("нет соединения с модуля"), tr("Ошибка соединения")};
        return a;
    }
    const bool universal = operation == Operation::UniversalWrite || operation == Operation::UniversalScan;
    const Variant variant = universal ? Variant::Universal : kSharedTable;
    switch (operation) {
    case Operation::None:
        break;
    case Operation::Write:
    case Operation::UniversalWrite: {
        const std::vector<WriteRow> &rows = gateway::writeRows(variant);
        if (step >= 1 && step <= 2 * int(rows.size()))
            a = writeReply(rows[size_t((step - 1) / 2)], variant, reply);
        break;
    }
    case Operation::Scan:
    case Operation::UniversalScan: {
        const std::vector<ScanRow> &rows = gateway::scanRows(variant);
        if (step >= 1 && step <= int(rows.size()))
            a = scanValue(rows[size_t(step - 1)], variant, reply);
        else
            a.answered = true;
        break;
    }
    }
    a.debug = QStringLiteral("data 2:") + reply;
    return a;
}

Progress progress(Operation operation, Variant variant, int counter)
{
    Progress p;
    if (operation == Operation::UniversalScan || operation == Operation::UniversalWrite)
        variant = Variant::Universal;
    if (operation == Operation::Scan || operation == Operation::UniversalScan) {
        // Step k sends row k; the end row sends nothing.
        p.total = int(gateway::scanRows(variant).size());
        p.sent = counter;
    } else if (operation != Operation::None) {
        // Each even step sends a row, the completion step the restart.
        p.total = int(gateway::writeRows(variant).size()) + 1;
        p.sent = (counter + 1) / 2;
    }
    p.sent = qBound(0, p.sent, p.total);
    return p;
}

} // namespace gateway_sequences
