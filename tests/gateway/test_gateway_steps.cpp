// The converter window's sequences step by step, without timers: each row a
// step (or a reply) and what the window is told to do, written out whole.

#include "filled_form_write.h"
#include "gateway_sequences.h"

#include <QtTest>

using namespace gateway_sequences;

Q_DECLARE_METATYPE(gateway::Variant)
Q_DECLARE_METATYPE(gateway_sequences::Operation)

namespace {

QString fieldName(Field field)
{
    static const char *const names[] = {"Mode", "Version", "Mac", "Ip", "Mask", "Gateway", "PortTcp", "Parity",
                                        "Speed", "StopBits", "ResponseTimeout", "ServerIp", "TcpTimeout",
                                        "RtuId", "TcpSlaveId"};
    return names[int(field)];
}

QString fieldList(const std::vector<Field> &fields)
{
    QStringList names;
    for (Field field : fields)
        names << fieldName(field);
    return names.join(',');
}

QString describe(const Effects &e)
{
    QStringList parts;
    if (e.stop) {
        static const char *const counters[] = {"stop", "stop keeping the step", "stop, tick not counted"};
        parts << counters[int(e.counter)];
    }
    if (e.disconnect)
        parts << "disconnect";
    if (e.scanText)
        parts << "scan text";
    if (e.writeText)
        parts << "write text";
    if (e.clearAll)
        parts << "clear all";
    if (!e.neutral.empty())
        parts << "neutral " + fieldList(e.neutral);
    if (!e.unmark.empty())
        parts << "unmark " + fieldList(e.unmark);
    if (!e.lavender.empty())
        parts << "lavender " + fieldList(e.lavender);
    return parts.join(" | ");
}

// An action as one line (the debug line left out: diagnostics only).
QString describe(const Action &a)
{
    QStringList parts;
    if (a.awaitReply)
        parts << "await";
    if (!a.send.isEmpty())
        parts << "send " + QString::fromLatin1(a.send);
    if (a.reboot)
        parts << "reboot";
    if (a.answered)
        parts << "answered";
    if (a.confirmed)
        parts << "confirmed";
    if (a.look != Look::Keep) {
        static const char *const looks[] = {"", "green", "red", "lavender"};
        parts << fieldName(a.field) + " " + looks[int(a.look)];
    }
    switch (a.fill) {
    case Fill::None: break;
    case Fill::Text: parts << "text " + a.text; break;
    case Fill::Choice: parts << "entry " + QString::number(a.index); break;
    case Fill::SlaveOff: parts << "slave switched off"; break;
    case Fill::SlaveOn: parts << "slave " + a.text; break;
    }
    if (!describe(a.before).isEmpty())
        parts << describe(a.before);
    if (a.box.kind != Message::None)
        parts << QString(a.box.kind == Message::Critical ? "box critical " : "box information ") + a.box.title
                     + "/" + a.box.text + (a.quietBox ? " (quiet)" : "");
    if (!describe(a.after).isEmpty())
        parts << "then " + describe(a.after);
    return parts.join(" | ");
}

const QString kTcpRtu = "box critical Ошибка соединения/нет соединения с модулем Modbus TCP-RTU";
const QString kRtuTcp = "box critical Ошибка соединения/нет соединения с модулем Modbus RTU-TCP";
const QString kUniversal = "box critical Ошибка соединения/нет соединения с модулем Modbus universal";
const QString kTwoWayEnd = "unmark Ip,ServerIp,Parity,StopBits,Speed,Mask,PortTcp,TcpTimeout,Mac,Gateway";
const QString kWide = "box critical Ошибка/<FONT COLOR='#800000'> Ошибка записи </FONT>";
const QString kTight = "box critical Ошибка/<FONT COLOR='#800000'>Ошибка записи </FONT>";
const QString kRefusedEnd = "then write text | clear all";

WriteForm filledForm()
{
    WriteForm form;
    form.ip = "10.1.2.3";
    form.mask = "255.255.0.0";
    form.gateway = "10.1.2.254";
    form.portTcp = "10502";
    form.parityIndex = 2;
    form.speedIndex = 7;
    form.stopBitsIndex = 2;
    form.serverIp = "10.1.2.9";
    form.tcpTimeout = "30";
    form.modeIndex = 2;
    form.responseTimeout = "700";
    form.rtuId = "5";
    form.tcpSlaveOff = true;
    form.tcpSlaveId = "77";
    return form;
}

} // namespace

class GatewayStepsTest : public QObject
{
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
    void write_data();
    void write();
    void reply_data();
    void reply();
    void wholeScan_data();
    void wholeScan();
    void wholeWrite_data();
    void wholeWrite();
    void restartAndReset();
};

void GatewayStepsTest::scan_data()
{
    QTest::addColumn<gateway::Variant>("variant");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("lastReply");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("quiet");      // the box of a silent scan is open
    QTest::addColumn<bool>("slaveOff");
    QTest::addColumn<QString>("action");
    const auto T = gateway::Variant::TcpRtu;
    const auto R = gateway::Variant::RtuTcp;
    const auto U = gateway::Variant::Universal;

    QTest::newRow("port closed") << R << 3 << false << "ip 1.2.3.4" << true << false << false
                                 << "stop, tick not counted";
    // The universal tick does not look at the port.
    QTest::newRow("universal, port closed") << U << 3 << false << "x" << true << false << false
                                            << "await | send ip";
    // Nothing received at the first check: box first, the scan stopped after it.
    QTest::newRow("TCP-RTU silent") << T << 1 << true << "" << false << false << false
                                    << kTcpRtu + " (quiet) | then stop | disconnect | scan text";
    QTest::newRow("RTU-TCP silent") << R << 1 << true << "" << false << false << false
                                    << kRtuTcp + " (quiet) | then stop | disconnect | scan text";
    QTest::newRow("universal silent") << U << 1 << true << "" << false << false << false
                                      << kUniversal + " (quiet) | then stop | disconnect | scan text";
    QTest::newRow("answered at the check") << T << 1 << true << "MAC 00:1A" << true << false << false
                                           << "await | send ip";
    // Stopped mid-scan: the scan stops before its box.
    QTest::newRow("TCP-RTU silent mid-scan") << T << 3 << true << "ip 1.2.3.4" << false << false << false
                                             << "stop | " + kTcpRtu + " | then disconnect | scan text";
    QTest::newRow("universal silent mid-scan") << U << 3 << true << "version \x01" << false << false << false
                                               << "stop | " + kUniversal + " | then disconnect | scan text";
    QTest::newRow("silent while the first box is open") << T << 2 << true << "" << false << true << false
                                                        << "await | send MASK";
    QTest::newRow("RTU-TCP past the end") << R << 11 << true << "x" << false << false << false << "";
    QTest::newRow("universal end, slave off")
        << U << 15 << true << "x" << true << false << true
        << "stop | scan text | unmark Ip,ServerIp,Parity,StopBits,Speed,Mask,PortTcp,TcpTimeout,Gateway,Mode,"
           "RtuId,ResponseTimeout | lavender Mac,Version,TcpSlaveId";
}

void GatewayStepsTest::scan()
{
    QFETCH(gateway::Variant, variant);
    QFETCH(int, step);
    ScanState state;
    QFETCH(bool, open);
    QFETCH(QString, lastReply);
    QFETCH(bool, answered);
    QFETCH(bool, quiet);
    QFETCH(bool, slaveOff);
    QFETCH(QString, action);
    state.open = open;
    state.lastReply = lastReply;
    state.answered = answered;
    state.silenceReported = quiet;
    state.tcpSlaveOff = slaveOff;
    QCOMPARE(describe(scanTick(variant, step, state)), action);
}

void GatewayStepsTest::write_data()
{
    QTest::addColumn<gateway::Variant>("variant");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("action");
    const auto T = gateway::Variant::TcpRtu;
    const auto R = gateway::Variant::RtuTcp;
    const auto U = gateway::Variant::Universal;
    const QString silent = " | then disconnect | scan text | write text";

    QTest::newRow("TCP-RTU mask, unanswered ip") << T << 2 << false << false
                                                 << "await | send CHANGE MASK:255.255.0.0";
    QTest::newRow("odd step") << T << 1 << false << false << "";
    // The check at step 3: nothing confirmed ends the write, stopped before its box.
    QTest::newRow("TCP-RTU silent") << T << 3 << false << false << "stop | " + kTcpRtu + silent;
    QTest::newRow("RTU-TCP silent") << R << 3 << false << false << "stop | " + kRtuTcp + silent;
    QTest::newRow("universal silent") << U << 3 << false << false << "stop | " + kUniversal + silent;
    QTest::newRow("confirmed at the check") << R << 3 << true << false << "";
    QTest::newRow("mask unanswered") << R << 4 << true << false << "stop | " + kRtuTcp + silent;
    // A converter silent half way: no restart, no success box.
    QTest::newRow("TCP-RTU silent before the restart") << T << 14 << true << false << "stop | " + kTcpRtu + silent;
    QTest::newRow("universal silent half way") << U << 20 << true << false << "stop | " + kUniversal + silent;
    QTest::newRow("TCP-RTU restart")
        << T << 14 << true << true
        << "await | send RESET | reboot | stop | write text | box information Результы изменения/<FONT "
           "COLOR='#008000'>Изменение параметров Modbus TCP-RTU было успешно</FONT> | then neutral "
           "Ip,ServerIp,Parity,StopBits,Speed,Mask,PortTcp,TcpTimeout,Mac,Gateway";
    QTest::newRow("RTU-TCP past the end") << R << 20 << true << true << "";
    QTest::newRow("universal restart")
        << U << 26 << true << true
        << "await | send reset | reboot | stop | write text | box information Результы изменения/<FONT "
           "COLOR='#008000'>Изменение параметров Modbus universal было успешно</FONT> | then neutral "
           "Ip,ServerIp,Parity,StopBits,Speed,Mask,PortTcp,TcpTimeout,Mac,Gateway,Mode,RtuId,TcpSlaveId,"
           "ResponseTimeout";
}

void GatewayStepsTest::write()
{
    QFETCH(gateway::Variant, variant);
    QFETCH(int, step);
    QFETCH(bool, confirmed);
    QFETCH(bool, answered);
    QFETCH(QString, action);
    WriteState state;
    state.confirmed = confirmed;
    state.answered = answered;
    QCOMPARE(describe(writeTick(variant, step, state, filledForm())), action);
}

void GatewayStepsTest::reply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("action");
    const auto W = Operation::Write;
    const auto S = Operation::Scan;
    const auto UW = Operation::UniversalWrite;
    const auto US = Operation::UniversalScan;

    QTest::newRow("only line ends") << "" << S << 2
                                    << "box critical нет соединения с модуля/Ошибка соединения";
    QTest::newRow("while idle") << "ip 1.2.3.4" << Operation::None << 0 << "";
    // Writes: the reply to the command of step k while the counter holds k + 1 or k + 2.
    QTest::newRow("ip confirmed") << "OK" << W << 1 << "answered | confirmed | Ip green";
    QTest::newRow("mask confirmed, late") << "OK" << W << 4 << "answered | confirmed | Mask green";
    QTest::newRow("gateway confirmed") << "OK" << W << 5 << "answered | Gateway green";
    QTest::newRow("TCP-RTU gateway refused") << "ERROR" << W << 5
                                             << "answered | Gateway red | stop | " + kWide + " | " + kRefusedEnd;
    QTest::newRow("TCP-RTU takes only upper-case OK") << "ok" << W << 1
                                                      << "answered | Ip red | stop | " + kWide + " | " + kRefusedEnd;
    QTest::newRow("RTU-TCP port refused") << "ERROR" << W << 7
                                          << "answered | PortTcp red | stop | " + kTight + " | " + kRefusedEnd;
    QTest::newRow("RTU-TCP timeout refused") << "ERROR" << W << 17
                                             << "answered | TcpTimeout red | stop | " + kWide + " | " + kRefusedEnd;
    QTest::newRow("RTU-TCP timeout confirmed") << "OK" << W << 17 << "answered | TcpTimeout green";
    QTest::newRow("write past its rows") << "OK" << W << 19 << "";
    // The universal write's counter stays where it was when a value is refused.
    QTest::newRow("universal mode refused")
        << "OK" << UW << 1 << "answered | Mode red | stop keeping the step | " + kWide + " | " + kRefusedEnd;
    QTest::newRow("universal mode confirmed") << "ok" << UW << 1 << "answered | confirmed | Mode green";
    QTest::newRow("universal mask does not confirm the link") << "ok" << UW << 5 << "answered | Mask green";
    QTest::newRow("universal question mark")
        << "?" << UW << 17
        << "answered | ResponseTimeout red | stop keeping the step | " + kWide + " | " + kRefusedEnd;
    QTest::newRow("universal other answer ignored") << "done" << UW << 19 << "answered";
    QTest::newRow("universal response time-out confirmed") << "ok" << UW << 17 << "answered | ResponseTimeout green";
    QTest::newRow("universal rtu id confirmed") << "ok" << UW << 23 << "answered | RtuId green";
    // Scans: the reply to the command of step k while the counter holds k + 1.
    QTest::newRow("MAC read") << "MAC 00:1A:2B:3C:4D:5E" << S << 1 << "answered | Mac green | text 00:1A:2B:3C:4D:5E";
    QTest::newRow("noise shown red") << "ip 1.2.x" << S << 2 << "answered | Ip red | text 1.2.x";
    QTest::newRow("no value") << "ip" << S << 2 << "answered | Ip red";
    QTest::newRow("parity digit") << "parity 1" << S << 6 << "answered | Parity green | entry 2";
    QTest::newRow("parity none") << "parity none" << S << 6 << "answered | Parity green | entry 1";
    QTest::newRow("57600 reads 57200") << "SPEED RS485 57200" << S << 7 << "answered | Speed green | entry 7";
    QTest::newRow("unknown speed") << "SPEED RS485 57600" << S << 7 << "answered | Speed red";
    QTest::newRow("RTU-TCP timeout") << "TIMEOUT TCP 60" << S << 10 << "answered | TcpTimeout green | text 60";
    QTest::newRow("reply after the last row") << "x" << S << 11 << "answered";
    QTest::newRow("universal parity word") << "parity even" << US << 8 << "answered | Parity green | entry 3";
    QTest::newRow("universal mode") << "MODE TCP client" << US << 1 << "answered | Mode green | entry 2";
    QTest::newRow("slave off") << "tcp slave id off" << US << 15 << "answered | TcpSlaveId green | slave switched off";
    // A value longer than its field's longest is shown cut, and red.
    QTest::newRow("slave offline") << "tcp slave id offline" << US << 15 << "answered | TcpSlaveId red | slave off";
    QTest::newRow("ip too long") << "ip 192.168.100.1009" << S << 2 << "answered | Ip red | text 192.168.100.100";
    QTest::newRow("time-out too long") << "timeout response 600000" << US << 11
                                       << "answered | ResponseTimeout red | text 60000";
    QTest::newRow("parity too long") << "parity nonesuch" << US << 8 << "answered | Parity red";
    QTest::newRow("slave address") << "tcp slave id 12" << US << 15 << "answered | TcpSlaveId green | slave 12";
    QTest::newRow("slave missing") << "tcp slave id" << US << 15 << "answered | TcpSlaveId lavender";
}

void GatewayStepsTest::reply()
{
    QFETCH(QString, reply);
    QFETCH(Operation, operation);
    QFETCH(int, step);
    QFETCH(QString, action);
    QCOMPARE(describe(judgeReply(reply, operation, step)), action);
}

// A scan to a converter that answers every command: tick after tick from
// step 0 until the scan stops itself.
void GatewayStepsTest::wholeScan_data()
{
    QTest::addColumn<gateway::Variant>("variant");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("end");
    const QStringList common{"MAC", "ip", "MASK", "GATEWAY", "PORT TCP", "parity", "SPEED RS485", "STOP BIT"};
    QTest::newRow("TCP-RTU") << gateway::Variant::TcpRtu << common << "stop | scan text | " + kTwoWayEnd;
    QTest::newRow("RTU-TCP") << gateway::Variant::RtuTcp << common + QStringList{"IP SERVER TCP", "TIMEOUT TCP"}
                             << "stop | scan text | " + kTwoWayEnd;
    QTest::newRow("universal")
        << gateway::Variant::Universal
        << QStringList{"MODE TCP", "version"} + common
               + QStringList{"timeout response", "IP SERVER TCP", "TIMEOUT TCP", "rtu virtual id", "tcp slave id"}
        << "stop | scan text | unmark Ip,ServerIp,Parity,StopBits,Speed,Mask,PortTcp,TcpTimeout,Gateway,Mode,"
           "RtuId,ResponseTimeout,TcpSlaveId | lavender Mac,Version";
}

void GatewayStepsTest::wholeScan()
{
    QFETCH(gateway::Variant, variant);
    QFETCH(QStringList, commands);
    QFETCH(QString, end);
    ScanState state;
    state.lastReply = "x";
    QStringList sent;
    for (int step = 0; step < 40; ++step) {
        const Action a = scanTick(variant, step, state);
        if (a.before.stop) {
            QCOMPARE(step, commands.size());
            QCOMPARE(describe(a), end);
            break;
        }
        QVERIFY2(a.awaitReply, qPrintable(QString::number(step)));
        sent << QString::fromLatin1(a.send);
    }
    QCOMPARE(sent, commands);
}

// A write of the filled form to a converter that answers every command:
// one command every second tick, the restart last, then the report.
void GatewayStepsTest::wholeWrite_data()
{
    QTest::addColumn<gateway::Variant>("variant");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("message");
    QTest::newRow("TCP-RTU") << gateway::Variant::TcpRtu << filled_form::writeCommands(gateway::Variant::TcpRtu)
                             << filled_form::writeReport("TCP-RTU");
    QTest::newRow("RTU-TCP") << gateway::Variant::RtuTcp << filled_form::writeCommands(gateway::Variant::RtuTcp)
                             << filled_form::writeReport("RTU-TCP");
    QTest::newRow("universal") << gateway::Variant::Universal
                               << filled_form::writeCommands(gateway::Variant::Universal)
                               << filled_form::writeReport("universal");
}

void GatewayStepsTest::wholeWrite()
{
    QFETCH(gateway::Variant, variant);
    QFETCH(QStringList, commands);
    QFETCH(QString, message);
    WriteState state;
    state.confirmed = true;
    QStringList sent;
    QList<int> steps;
    Action last;
    for (int step = 0; step < 40; ++step) {
        last = writeTick(variant, step, state, filledForm());
        if (!last.send.isEmpty()) {
            sent << QString::fromLatin1(last.send);
            steps << step;
        }
        if (last.before.stop)
            break;
    }
    QCOMPARE(sent, commands);
    for (int i = 0; i < steps.size(); ++i)
        QCOMPARE(steps[i], 2 * i); // the restart at step 14, 18 or 26
    QCOMPARE(last.box.kind, Message::Information);
    QCOMPARE(last.box.title, QStringLiteral("Результы изменения"));
    QCOMPARE(last.box.text, message);
    QVERIFY(last.reboot);
    QVERIFY(last.before.writeText);
    QCOMPARE(last.before.counter, Counter::Zero);
}

void GatewayStepsTest::restartAndReset()
{
    QCOMPARE(describe(restart()), QStringLiteral("send RESET | reboot"));
    QCOMPARE(describe(factoryReset("ok")), QStringLiteral("send LOAD SETTING:DEFAULT | reboot"));
}

QTEST_GUILESS_MAIN(GatewayStepsTest)
#include "test_gateway_steps.moc"
