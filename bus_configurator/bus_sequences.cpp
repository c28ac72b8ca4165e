#include "bus_sequences.h"

#include "can_commands.h"
#include "dcon_protocol.h"
#include "lss_protocol.h"

#include "window_text.h"

namespace bus_sequences {
namespace {

using window_text::tr;

Message message(Message::Kind kind, const char *title, const char *text)
{
    return Message{kind, tr(title), tr(text), false};
}

// The module gave no answer at all since the last command.
Message noModule()
{
    return message(Message::Critical, "Ошибка", "нет соединения с модулем");
}

Action stopped(Sequence sequence, Stop when, const Message &box = {})
{
    Action a;
    a.stop = sequence;
    a.when = when;
    a.box = box;
    return a;
}

// A DCON tick with the port closed ends its sequence with a log line.
Action notConnected(Sequence sequence)
{
    Action a = stopped(sequence, Stop::Now);
    a.log = QStringLiteral("error connecting");
    return a;
}

Action sent(const QByteArray &command, const char *label)
{
    Action a;
    a.send = command;
    a.log = tr(label) + QString::fromLatin1(command); // the "\r" breaks the line
    return a;
}

// A read reply out of its DCON form: nothing of it reaches the form, nor the
// codes the next write sends, and the read ends.
Action badReadReply(const QString &reply)
{
    Action a = stopped(Sequence::Scan, Stop::Now, message(Message::Critical, "Ошибка", "Неверный ответ модуля"));
    a.log = reply;
    return a;
}

Action started(Sequence sequence, int tickMs)
{
    Action a;
    a.start = sequence;
    a.startMs = tickMs;
    return a;
}

// A CANopen sequence starts with can0 opened to hear the module.
Action listening(Sequence sequence, int tickMs)
{
    Action a = started(sequence, tickMs);
    a.openCan = true;
    return a;
}

Action badNodeId()
{
    return stopped(Sequence::Lss, Stop::Now, message(Message::Critical, "Ошибка", "ID модуля CANopen: число от 1 до 127"));
}

// The answers to a request of an LSS sequence, judged: false, with the action
// that ends the sequence before its box, unless one module took it.
bool confirmed(Sequence sequence, lss::Command command, const LssAnswers &answers, int request, Action *failure)
{
    const lss::Verdict verdict = lss::judge(command, answers.value(request));
    if (verdict.kind == lss::Verdict::Done)
        return true;
    Message box = message(Message::Critical, "Ошибка", "");
    box.text = lss::failureText(command, verdict);
    box.plain = true;
    *failure = stopped(sequence, Stop::Now, box);
    return false;
}

Action canRequest(lss::Command command, quint8 argument = 0)
{
    Action a;
    a.canSend = lss::request(command, argument);
    return a;
}

QString hex8(quint32 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

} // namespace

Action scanPress(int linkMode, bool scanRunning, int tickMs)
{
    return linkMode == 0 && !scanRunning ? started(Sequence::Scan, tickMs) : Action();
}

Action writePress(int linkMode, const QString &idText, int tickMs, bool canBusy)
{
    if (linkMode == 1) {
        if (canBusy)
            return {};
        if (lss::parseNodeId(idText) < 0) {
            Action a = badNodeId();
            a.stop = Sequence::None; // nothing runs yet
            return a;
        }
        return listening(Sequence::Lss, tickMs);
    }
    if (linkMode != 0)
        return {};
    if (dcon::parseNewAddress(idText) < 0) {
        Action a;
        a.box = badAddress(idText);
        return a;
    }
    return started(Sequence::Write, tickMs);
}

Action scanTick(int step, const DconLink &link)
{
    if (!link.open)
        return notConnected(Sequence::Scan);
    switch (step) {
    case 0:
        return sent(dcon::readConfigCommand(), "Команда чтения: ");
    case 1:
        return link.replied ? Action() : stopped(Sequence::Scan, Stop::AfterBox, noModule());
    case 2:
        return sent(dcon::readProtocolCommand(link.address), "Команда скорости: ");
    case 3: {
        Action a = stopped(Sequence::Scan, Stop::Now);
        a.forgetReply = true;
        a.clear = IdField | LinkField | SpeedField | ProtocolField; // the marks of the read
        return a;
    }
    default:
        return {};
    }
}

Action writeTick(int step, const DconLink &link, const WriteForm &form)
{
    if (!link.open)
        return notConnected(Sequence::Write);
    switch (step) {
    case 0: {
        // The field may have changed since the press.
        const int address = dcon::parseNewAddress(form.id);
        if (address < 0)
            return stopped(Sequence::Write, Stop::Now, badAddress(form.id));
        return sent(dcon::setConfigCommand(link.address, dcon::hexAddress(address), form.typeCode,
                                           dcon::baudCode(form.speedIndex), form.formatCode),
                    "запись ID/Speed: ");
    }
    case 1:
        return link.replied ? Action() : stopped(Sequence::Write, Stop::Now, noModule());
    case 2: {
        // The last reply is forgotten, so that the end sees whether this
        // command was answered; a refusal has ended the write already.
        Action a = sent(dcon::setProtocolCommand(link.address, dcon::protocolCode(form.protocolIndex)),
                        "запись Protocol: ");
        a.forgetReply = true;
        return a;
    }
    case 3: {
        if (!link.replied)
            return stopped(Sequence::Write, Stop::Now, noModule());
        Action a = stopped(Sequence::Write, Stop::AfterBox,
                           message(Message::Information, "Сообщение",
                                   "<FONT COLOR='#001e80'>Команды записи параметров отправлены</FONT>"));
        a.clear = IdField | LinkField | SpeedField;
        a.forgetReply = true;
        return a;
    }
    default:
        return {};
    }
}

Action canReadPress(int linkMode, bool connected, bool canBusy, int tickMs)
{
    if (linkMode != 1 || !connected || canBusy)
        return {};
    Action a = listening(Sequence::CanRead, tickMs);
    a.canSend = lss::request(lss::SwitchStateGlobal, 1);
    return a;
}

Action lssTick(int step, const QString &idText, int canSpeedIndex, const LssAnswers &answers)
{
    // The field may have changed since the press.
    if (step == 1 && lss::parseNodeId(idText) < 0)
        return badNodeId();
    // Before each step, the request of the step before: configure node-ID, bit timing, store.
    static const lss::Command judged[] = {lss::ConfigureNodeId, lss::ConfigureBitTiming, lss::StoreConfiguration};
    Action failure;
    if (step >= 2 && step <= can_link::kLssSteps && !confirmed(Sequence::Lss, judged[step - 2], answers, step - 1, &failure))
        return failure;
    if (step >= 0 && step < can_link::kLssSteps) {
        Action a;
        a.run = can_link::lssArguments(can_link::LssStep(step), idText, canSpeedIndex);
        return a;
    }
    if (step == can_link::kLssSteps)
        return stopped(Sequence::Lss, Stop::AfterBox,
                       message(Message::Information, "Сообщение",
                               "<FONT COLOR='#001e80'>Команды записи отправлены</FONT>"));
    return {};
}

Action lssFailed(const QStringList &arguments, const QString &error)
{
    // A frame that did not go out ends the write: the module would otherwise
    // be told to store settings it never got.
    return stopped(Sequence::Lss, Stop::Now, commandFailed(arguments, error));
}

Action canReadTick(int step, const LssAnswers &answers)
{
    // answers[0] is since switch state global, sent at the press; the
    // inquiry sent at step k is answers[k + 1].
    constexpr int kInquiries = int(sizeof lss::kReadOrder / sizeof lss::kReadOrder[0]);
    Action failure;
    if (step >= 1 && step <= kInquiries
        && !confirmed(Sequence::CanRead, lss::kReadOrder[step - 1], answers, step, &failure))
        return failure;
    if (step >= 0 && step < kInquiries)
        return canRequest(lss::kReadOrder[step]);
    if (step != kInquiries)
        return {};
    quint32 values[kInquiries];
    for (int i = 0; i < kInquiries; ++i)
        values[i] = lss::judge(lss::kReadOrder[i], answers.value(i + 1)).value;
    Action a = stopped(Sequence::CanRead, Stop::Now);
    QString id = tr("не назначен");
    if (values[0] != lss::kNoNodeId) {
        id = QString::number(values[0]);
        a.id = QStringLiteral("%1").arg(values[0], 2, 10, QLatin1Char('0'));
        a.mark = IdField;
    }
    a.box = message(Message::Information, "Модуль CANopen", "ID: %1\nПроизводитель: %2\nИзделие: %3\nВерсия: %4\nСерийный номер: %5");
    a.box.text = a.box.text.arg(id, hex8(values[1]), hex8(values[2]), hex8(values[3]), hex8(values[4]));
    a.box.plain = true;
    return a;
}

Action canFailed(Sequence sequence, const QString &error)
{
    Action a = stopped(sequence, Stop::Now, message(Message::Critical, "Ошибка", "Нет доступа к can0: "));
    a.box.text += error;
    a.box.plain = true;
    return a;
}

Action judgeReply(const QString &reply, const Running &running)
{
    if (reply.isEmpty()) { // only line ends: the module is not answering properly
        const Message box = message(Message::Critical, "нет соединения с модуля", "Ошибка соединения");
        // A write must not go on to its closing box meanwhile.
        return running.write ? stopped(Sequence::Write, Stop::Now, box) : stopped(Sequence::Scan, Stop::AfterBox, box);
    }
    Action a;
    a.log = reply;
    if (running.scan) {
        if (running.scanStep == 1 || running.scanStep == 2) {
            // The configuration reply "!AATTCCFF".
            if (!dcon::isConfigReply(reply))
                return badReadReply(reply);
            const dcon::ConfigReply config = dcon::parseConfigReply(reply);
            a.id = QString::number(config.address);
            a.takeCodes = true;
            a.typeCode = config.typeCode;
            a.formatCode = config.formatCode;
            a.speedIndex = dcon::speedIndex(config.baudCode);
            a.mark = IdField | (a.speedIndex >= 0 ? SpeedField : NoField);
        } else if (running.scanStep == 3) {
            const int protocol = dcon::protocolReply(reply);
            if (protocol == dcon::kNotProtocolReply)
                return badReadReply(reply);
            if (protocol >= 0) {
                a.protocolIndex = protocol;
                a.mark = ProtocolField;
            }
        }
    } else if (running.write && running.writeStep >= 1 && running.writeStep <= 4) {
        // Steps 1 to 3 see the replies to both write commands; step 4 only a
        // reply that comes while the closing box is open.
        if (!reply.startsWith(QLatin1Char('!'))) {
            // Refused: nothing more is sent, and no closing box follows.
            Action refused = stopped(Sequence::Write, Stop::Now,
                                     message(Message::Warning, "Ошибка", "Ошибка записи"));
            refused.log = reply;
            return refused;
        }
        a.mark = running.writeStep == 4 ? Fields(LinkField) : IdField | SpeedField;
    }
    return a;
}

Message commandFailed(const QStringList &sudoArguments, const QString &error)
{
    Message m = message(Message::Critical, "Ошибка", "Команда не выполнена: %1\n%2");
    m.text = m.text.arg(can_link::commandLine(can_link::sudoProgram(), sudoArguments), error);
    m.plain = true; // sudo's output is not markup
    return m;
}

Message badAddress(const QString &typed)
{
    QString shown = typed;
    if (shown.size() > 32)
        shown = shown.left(32) + QStringLiteral("…");
    Message m = message(Message::Critical, "Ошибка",
                        "Адрес «%1» не записан: новый адрес модуля должен быть десятичным числом от 0 до 255.");
    m.text = m.text.arg(shown);
    m.plain = true;
    return m;
}

} // namespace bus_sequences
