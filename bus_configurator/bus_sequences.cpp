#include "bus_sequences.h"

#include "can_commands.h"
#include "dcon_protocol.h"

#include <QCoreApplication>

namespace bus_sequences {
namespace {

// The window's texts, in the window's translation context.
QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

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

} // namespace

Action scanPress(int linkMode, bool scanRunning, int tickMs)
{
    return linkMode == 0 && !scanRunning ? started(Sequence::Scan, tickMs) : Action();
}

Action writePress(int linkMode, const QString &idText, int tickMs)
{
    if (linkMode == 1)
        return started(Sequence::Lss, tickMs);
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

Action lssTick(int step, const QString &idText, int canSpeedIndex)
{
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
            a.id = config.address;
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
