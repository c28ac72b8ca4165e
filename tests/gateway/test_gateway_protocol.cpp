// The converter's service protocol, byte for byte: these tables are the
// contract with real converters, so every row is checked against the bytes a
// converter expects, written out here independently of the program's tables.

#include "gateway_protocol.h"

#include <QtTest>

using namespace gateway;

Q_DECLARE_METATYPE(gateway::Variant)
Q_DECLARE_METATYPE(gateway::Field)

class GatewayProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void scanCommandLists_data();
    void scanCommandLists();
    void writeCommandLists_data();
    void writeCommandLists();
    void writeReplyJudgement();
    void restartCommands();
    void replyDecoding();
    void valueCutting_data();
    void valueCutting();
    void choiceValues_data();
    void choiceValues();
    void textForms_data();
    void textForms();
    void writeValueEncodings();
    void arbitraryLineNoise();
};

namespace {

struct ExpectedRead { const char *command; int skip; int longest; Field field; };

QList<ExpectedRead> expectedScan(Variant v)
{
    const QList<ExpectedRead> common{
        {"MAC", 4, 18, Field::Mac},          {"ip", 3, 15, Field::Ip},
        {"MASK", 5, 16, Field::Mask},        {"GATEWAY", 8, 15, Field::Gateway},
        {"PORT TCP", 9, 6, Field::PortTcp},  {"parity", 7, 4, Field::Parity},
        {"SPEED RS485", 12, 7, Field::Speed}, {"STOP BIT", 9, 3, Field::StopBits}};
    if (v == Variant::TcpRtu)
        return common;
    if (v == Variant::RtuTcp)
        return common + QList<ExpectedRead>{{"IP SERVER TCP", 14, 16, Field::ServerIp},
                                            {"TIMEOUT TCP", 12, 5, Field::TcpTimeout}};
    return QList<ExpectedRead>{{"MODE TCP", 9, 6, Field::Mode}, {"version", 8, 10, Field::Version}} + common
           + QList<ExpectedRead>{{"timeout response", 17, 5, Field::ResponseTimeout},
                                 {"IP SERVER TCP", 14, 16, Field::ServerIp},
                                 {"TIMEOUT TCP", 12, 5, Field::TcpTimeout},
                                 {"rtu virtual id", 15, 3, Field::RtuId},
                                 {"tcp slave id", 13, 3, Field::TcpSlaveId}};
}

struct ExpectedWrite { const char *prefix; Field field; bool confirms; bool tight; bool onlyQuestion; };

QList<ExpectedWrite> expectedWrites(Variant v)
{
    if (v == Variant::Universal)
        return {{"CHANGE MODE TCP:", Field::Mode, true, false, false},
                {"CHANGE IP:", Field::Ip, true, false, false},
                {"CHANGE MASK:", Field::Mask, false, false, false},
                {"CHANGE GATEWAY:", Field::Gateway, false, false, false},
                {"CHANGE PORT TCP:", Field::PortTcp, false, true, false},
                {"CHANGE PARITY:", Field::Parity, false, false, false},
                {"CHANGE SPEED RS485:", Field::Speed, false, false, false},
                {"CHANGE STOP BIT:", Field::StopBits, false, true, false},
                {"change timeout response:", Field::ResponseTimeout, false, false, true},
                {"CHANGE IP SERVER TCP:", Field::ServerIp, false, false, true},
                {"CHANGE TIMEOUT TCP:", Field::TcpTimeout, false, false, true},
                {"change rtu virtual id:", Field::RtuId, false, false, true},
                {"change tcp slave id:", Field::TcpSlaveId, false, false, true}};
    QList<ExpectedWrite> rows{{"CHANGE IP:", Field::Ip, true, false, false},
                              {"CHANGE MASK:", Field::Mask, true, false, false},
                              {"CHANGE GATEWAY:", Field::Gateway, false, false, false},
                              {"CHANGE PORT TCP:", Field::PortTcp, false, true, false},
                              {"CHANGE PARITY:", Field::Parity, false, false, false},
                              {"CHANGE SPEED RS485:", Field::Speed, false, false, false},
                              {"CHANGE STOP BIT:", Field::StopBits, false, true, false}};
    if (v == Variant::RtuTcp)
        rows += QList<ExpectedWrite>{{"CHANGE IP SERVER TCP:", Field::ServerIp, false, false, false},
                                     {"CHANGE TIMEOUT TCP:", Field::TcpTimeout, false, false, false}};
    return rows;
}

void addVariants()
{
    QTest::addColumn<Variant>("variant");
    QTest::newRow("TCP-RTU") << Variant::TcpRtu;
    QTest::newRow("RTU-TCP") << Variant::RtuTcp;
    QTest::newRow("universal") << Variant::Universal;
}

} // namespace

void GatewayProtocolTest::scanCommandLists_data() { addVariants(); }

void GatewayProtocolTest::scanCommandLists()
{
    QFETCH(Variant, variant);
    const auto expected = expectedScan(variant);
    const auto &rows = scanRows(variant);
    QCOMPARE(int(rows.size()), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(QByteArray(rows[i].command), QByteArray(expected[i].command));
        // The skip is always the command text plus one separator.
        QCOMPARE(rows[i].skip, int(qstrlen(expected[i].command)) + 1);
        QCOMPARE(rows[i].skip, expected[i].skip);
        QCOMPARE(rows[i].longest, expected[i].longest);
        QVERIFY(rows[i].field == expected[i].field);
    }
}

void GatewayProtocolTest::writeCommandLists_data() { addVariants(); }

void GatewayProtocolTest::writeCommandLists()
{
    QFETCH(Variant, variant);
    const auto expected = expectedWrites(variant);
    const auto &rows = writeRows(variant);
    QCOMPARE(int(rows.size()), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(QByteArray(rows[i].prefix), QByteArray(expected[i].prefix));
        QVERIFY(rows[i].field == expected[i].field);
        QCOMPARE(rows[i].confirmsLink, expected[i].confirms);
        QCOMPARE(rows[i].onlyQuestionRejects, expected[i].onlyQuestion);
        QCOMPARE(rejectionText(rows[i]),
                 expected[i].tight ? QStringLiteral("<FONT COLOR='#800000'>Ошибка записи </FONT>")
                                   : QStringLiteral("<FONT COLOR='#800000'> Ошибка записи </FONT>"));
    }
    const int completion[] = {14, 18, 26};
    QCOMPARE(writeCompletionStep(variant), completion[int(variant)]);
}

void GatewayProtocolTest::writeReplyJudgement()
{
    const WriteRow &ip = writeRows(Variant::TcpRtu)[0];
    QVERIFY(judgeWriteReply(ip, Variant::TcpRtu, "OK") == Verdict::Confirmed);
    QVERIFY(judgeWriteReply(ip, Variant::TcpRtu, "ok") == Verdict::Rejected);
    QVERIFY(judgeWriteReply(ip, Variant::TcpRtu, "OK ") == Verdict::Rejected);
    QVERIFY(judgeWriteReply(ip, Variant::TcpRtu, "?") == Verdict::Rejected);

    const auto &universal = writeRows(Variant::Universal);
    QVERIFY(judgeWriteReply(universal[1], Variant::Universal, "ok") == Verdict::Confirmed);
    QVERIFY(judgeWriteReply(universal[1], Variant::Universal, "OK") == Verdict::Rejected);
    // The last five: "?" refuses, anything else is no verdict at all.
    for (int i = 8; i < 13; ++i) {
        QVERIFY(judgeWriteReply(universal[i], Variant::Universal, "ok") == Verdict::Confirmed);
        QVERIFY(judgeWriteReply(universal[i], Variant::Universal, "?") == Verdict::Rejected);
        QVERIFY(judgeWriteReply(universal[i], Variant::Universal, "OK") == Verdict::Ignored);
        QVERIFY(judgeWriteReply(universal[i], Variant::Universal, "error") == Verdict::Ignored);
    }
}

void GatewayProtocolTest::restartCommands()
{
    QCOMPARE(restartCommand(Variant::TcpRtu), QByteArray("RESET"));
    QCOMPARE(restartCommand(Variant::RtuTcp), QByteArray("RESET"));
    QCOMPARE(restartCommand(Variant::Universal), QByteArray("reset"));
    QCOMPARE(factoryResetCommand(), QByteArray("LOAD SETTING:DEFAULT"));
    QCOMPARE(factoryResetCommand().size(), 20);
    QCOMPARE(confirmation(Variant::TcpRtu), QStringLiteral("OK"));
    QCOMPARE(confirmation(Variant::Universal), QStringLiteral("ok"));
}

void GatewayProtocolTest::replyDecoding()
{
    QCOMPARE(decodeReply("MASK 255.255.255.0\r\n"), QStringLiteral("MASK 255.255.255.0"));
    QCOMPARE(decodeReply("\r\nip\r 1.2\n.3.4\n"), QStringLiteral("ip 1.2.3.4"));
    QCOMPARE(decodeReply("\r\n"), QString());
    QCOMPARE(decodeReply(QByteArray("ok\0junk", 7)), QStringLiteral("ok"));
    QCOMPARE(decodeReply(QByteArray("\0ok", 3)), QString());
    QCOMPARE(decodeReply("version \xd0\x92\x31"), QStringLiteral("version В1")); // UTF-8
}

void GatewayProtocolTest::valueCutting_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QString>("value");
    QTest::newRow("shorter than the skip") << "MAS" << 5 << 16 << "";
    QTest::newRow("exactly the skip") << "MASK " << 5 << 16 << "";
    QTest::newRow("one past the skip") << "MASK 2" << 5 << 16 << "2";
    QTest::newRow("mask") << "MASK 255.255.255.0" << 5 << 16 << "255.255.255.0";
    QTest::newRow("exactly the longest") << "STOP BIT 123" << 9 << 3 << "123";
    QTest::newRow("longer than the longest") << "STOP BIT 1234" << 9 << 3 << "123";
    QTest::newRow("mac, 18") << "MAC 00:11:22:33:44:55:66" << 4 << 18 << "00:11:22:33:44:55:";
    QTest::newRow("empty reply") << "" << 3 << 15 << "";
    QTest::newRow("separator not checked") << "ip=10.0.0.1" << 3 << 15 << "10.0.0.1";
    QTest::newRow("response time-out, five digits") << "timeout response:60000" << 17 << 5 << "60000";
}

void GatewayProtocolTest::valueCutting()
{
    QFETCH(QString, reply);
    QFETCH(int, skip);
    QFETCH(int, longest);
    QFETCH(QString, value);
    QCOMPARE(cutValue(reply, skip, longest), value);
}

void GatewayProtocolTest::choiceValues_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Variant>("variant");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("entry");
    const int parity = int(ValueKind::Parity), speed = int(ValueKind::Speed);
    const int stop = int(ValueKind::StopBits), mode = int(ValueKind::Mode);
    for (Variant v : {Variant::TcpRtu, Variant::RtuTcp}) {
        const QByteArray n = v == Variant::TcpRtu ? "TCP-RTU " : "RTU-TCP ";
        QTest::newRow(n + "parity 0") << parity << v << "0" << 1;
        QTest::newRow(n + "parity none") << parity << v << "none" << 1;
        QTest::newRow(n + "parity 1") << parity << v << "1" << 2;
        QTest::newRow(n + "parity 2") << parity << v << "2" << 3;
        QTest::newRow(n + "parity odd") << parity << v << "odd" << -1;
        QTest::newRow(n + "parity even") << parity << v << "even" << -1;
        QTest::newRow(n + "parity 3") << parity << v << "3" << -1;
        QTest::newRow(n + "parity NONE") << parity << v << "NONE" << -1;
    }
    const Variant u = Variant::Universal;
    QTest::newRow("universal parity none") << parity << u << "none" << 1;
    QTest::newRow("universal parity odd") << parity << u << "odd" << 2;
    QTest::newRow("universal parity even") << parity << u << "even" << 3;
    QTest::newRow("universal parity 0") << parity << u << "0" << -1;
    QTest::newRow("universal parity 1") << parity << u << "1" << -1;
    QTest::newRow("universal parity Odd") << parity << u << "Odd" << -1;
    QTest::newRow("universal parity empty") << parity << u << "" << -1;

    const char *speeds[] = {"1200", "2400", "4800", "9600", "19200", "38400",
                            "57200", "115200", "128000", "256000"};
    for (int i = 0; i < 10; ++i)
        QTest::newRow(QByteArray("speed ") + speeds[i]) << speed << u << speeds[i] << i + 1;
    QTest::newRow("speed 57600 is not what the converter reports") << speed << u << "57600" << -1;
    QTest::newRow("speed 300") << speed << u << "300" << -1;
    QTest::newRow("speed with blank") << speed << u << "9600 " << -1;

    QTest::newRow("stop 1") << stop << u << "1" << 1;
    QTest::newRow("stop 2") << stop << u << "2" << 2;
    QTest::newRow("stop 1.5") << stop << u << "1.5" << -1;
    QTest::newRow("stop 0") << stop << u << "0" << -1;

    QTest::newRow("mode server") << mode << u << "server" << 1;
    QTest::newRow("mode client") << mode << u << "client" << 2;
    QTest::newRow("mode Server") << mode << u << "Server" << -1;
    QTest::newRow("mode SERVER") << mode << u << "SERVER" << -1;
    QTest::newRow("mode empty") << mode << u << "" << -1;
}

void GatewayProtocolTest::choiceValues()
{
    QFETCH(int, kind);
    QFETCH(Variant, variant);
    QFETCH(QString, value);
    QFETCH(int, entry);
    QCOMPARE(choiceIndex(ValueKind(kind), variant, value), entry);
}

// Which read-back texts are taken as read: good and bad rows for every form.
void GatewayProtocolTest::textForms_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("inForm");
    for (Field f : {Field::Ip, Field::Mask, Field::Gateway, Field::ServerIp}) {
        const QByteArray n = QByteArray::number(int(f)) + " address ";
        QTest::newRow(n + "typical") << f << "192.168.0.10" << true;
        QTest::newRow(n + "all 255") << f << "255.255.255.255" << true;
        QTest::newRow(n + "cut at a NUL") << f << "255." << false;
        QTest::newRow(n + "tail of a split reply") << f << "55.0" << false;
        QTest::newRow(n + "three numbers") << f << "10.0.0" << false;
        QTest::newRow(n + "256") << f << "10.0.0.256" << false;
        QTest::newRow(n + "four digits") << f << "10.0.0.0001" << false;
        QTest::newRow(n + "blank") << f << "10.0.0.1 " << false;
        QTest::newRow(n + "garbage") << f << "\u00ff?ok:" << false;
        QTest::newRow(n + "empty") << f << "" << false;
    }
    QTest::newRow("port 502") << Field::PortTcp << "502" << true;
    QTest::newRow("port 1") << Field::PortTcp << "1" << true;
    QTest::newRow("port 65535") << Field::PortTcp << "65535" << true;
    QTest::newRow("port 0") << Field::PortTcp << "0" << false;
    QTest::newRow("port 65536") << Field::PortTcp << "65536" << false;
    QTest::newRow("port six digits") << Field::PortTcp << "100000" << false;
    QTest::newRow("port with letter") << Field::PortTcp << "50a" << false;
    QTest::newRow("port empty") << Field::PortTcp << "" << false;
    for (Field f : {Field::TcpTimeout, Field::ResponseTimeout, Field::RtuId}) {
        const QByteArray n = QByteArray::number(int(f)) + " digits ";
        QTest::newRow(n + "one") << f << "5" << true;
        QTest::newRow(n + "five") << f << "60000" << true;
        QTest::newRow(n + "letter") << f << "1x" << false;
        QTest::newRow(n + "blank") << f << " 180" << false;
        QTest::newRow(n + "empty") << f << "" << false;
    }
    QTest::newRow("slave id number") << Field::TcpSlaveId << "255" << true;
    QTest::newRow("slave id off") << Field::TcpSlaveId << "off" << true;
    QTest::newRow("slave id OFF") << Field::TcpSlaveId << "OFF" << false;
    QTest::newRow("slave id noise") << Field::TcpSlaveId << "1?" << false;
    QTest::newRow("slave id empty") << Field::TcpSlaveId << "" << false;
    QTest::newRow("mac colons") << Field::Mac << "02:00:4C:0a:21:7E" << true;
    QTest::newRow("mac dashes") << Field::Mac << "02-00-4C-0A-21-7E" << true;
    QTest::newRow("mac mixed separators") << Field::Mac << "02:00-4C:0A:21:7E" << false;
    QTest::newRow("mac five groups") << Field::Mac << "02:00:4C:0A:21" << false;
    QTest::newRow("mac not hex") << Field::Mac << "02:00:4G:0A:21:7E" << false;
    QTest::newRow("mac dots") << Field::Mac << "02.00.4C.0A.21.7E" << false;
    QTest::newRow("mac garbage") << Field::Mac << "?ok OK?0123456789" << false;
    QTest::newRow("mac empty") << Field::Mac << "" << false;
    QTest::newRow("version") << Field::Version << "v2.1 beta" << true;
    QTest::newRow("version Cyrillic") << Field::Version << "верс. 3" << true;
    QTest::newRow("version control character") << Field::Version << "1.0\x01" << false;
    QTest::newRow("version undecodable bytes") << Field::Version << QString::fromUtf8("1.\xff") << false;
    QTest::newRow("version empty") << Field::Version << "" << false;
    for (Field f : {Field::Mode, Field::Parity, Field::Speed, Field::StopBits})
        QTest::newRow(QByteArray::number(int(f)) + " list field") << f << "1" << false;
}

void GatewayProtocolTest::textForms()
{
    QFETCH(Field, field);
    QFETCH(QString, value);
    QFETCH(bool, inForm);
    QCOMPARE(inTextForm(field, value), inForm);
}

void GatewayProtocolTest::writeValueEncodings()
{
    // Parity: digits for TCP-RTU and RTU-TCP, words for universal.
    const QByteArray digits[] = {"", "0", "1", "2", ""};
    const QByteArray words[] = {"", "none", "odd", "even", ""};
    for (int i = 0; i <= 4; ++i) {
        QCOMPARE(parityValue(i, Variant::TcpRtu), digits[i]);
        QCOMPARE(parityValue(i, Variant::RtuTcp), digits[i]);
        QCOMPARE(parityValue(i, Variant::Universal), words[i]);
    }
    QCOMPARE(parityValue(-1, Variant::Universal), QByteArray());

    const QByteArray speeds[] = {"", "1200", "2400", "4800", "9600", "19200", "38400",
                                 "57600", "115200", "128000", "256000", ""};
    for (int i = 0; i <= 11; ++i)
        QCOMPARE(speedValue(i), speeds[i]);
    QCOMPARE(speedValue(-1), QByteArray());

    QCOMPARE(stopBitsValue(0), QByteArray());
    QCOMPARE(stopBitsValue(1), QByteArray("1"));
    QCOMPARE(stopBitsValue(2), QByteArray("2"));
    QCOMPARE(stopBitsValue(3), QByteArray());
    QCOMPARE(modeValue(0), QByteArray());
    QCOMPARE(modeValue(1), QByteArray("SERVER"));
    QCOMPARE(modeValue(2), QByteArray("CLIENT"));
    QCOMPARE(modeValue(3), QByteArray());
    QCOMPARE(tcpSlaveValue(true, "17"), QByteArray("off"));
    QCOMPARE(tcpSlaveValue(false, "17"), QByteArray("17"));
    QCOMPARE(tcpSlaveValue(false, ""), QByteArray());

    // A prefix with its value and nothing else: no blank, no line end.
    const QByteArray ip = writeCommand("CHANGE IP:", textValue("192.168.0.10"));
    QCOMPARE(ip, QByteArray("CHANGE IP:192.168.0.10"));
    QCOMPARE(ip.size(), 22);
    QCOMPARE(writeCommand("CHANGE GATEWAY:", textValue("")), QByteArray("CHANGE GATEWAY:"));
    QCOMPARE(writeCommand("change tcp slave id:", tcpSlaveValue(true, "5")), QByteArray("change tcp slave id:off"));
    QCOMPARE(textValue(QStringLiteral("é1")), QByteArray("\xe9" "1")); // Latin-1, as typed
}

// Whatever comes off the line (noise, a converter of another kind, a half
// reply), decoding and cutting must hold their shape and never misbehave.
void GatewayProtocolTest::arbitraryLineNoise()
{
    QRandomGenerator rng(20261208);
    static const char noise[] = "\r\n\0:ok OK?0123456789.abcSERVER\xd0\x9f\xff";
    const QByteArray alphabet(noise, sizeof(noise) - 1);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(int(rng.bounded(40)), Qt::Uninitialized);
        for (char &c : bytes)
            c = rng.bounded(4) == 0 ? char(rng.bounded(256)) : alphabet[int(rng.bounded(alphabet.size()))];
        const QString reply = decodeReply(bytes);
        QVERIFY(!reply.contains('\r') && !reply.contains('\n') && !reply.contains(QChar(0)));
        for (Variant v : {Variant::TcpRtu, Variant::RtuTcp, Variant::Universal}) {
            for (const ScanRow &row : scanRows(v)) {
                const QString value = cutValue(reply, row.skip, row.longest);
                QVERIFY(value.size() <= row.longest);
                QVERIFY(value.isEmpty() || reply.mid(row.skip).startsWith(value));
                const int entry = choiceIndex(row.kind, v, value);
                QVERIFY(entry >= -1 && entry <= 10);
            }
            for (const WriteRow &row : writeRows(v)) {
                const Verdict verdict = judgeWriteReply(row, v, reply);
                QVERIFY((verdict == Verdict::Confirmed) == (reply == confirmation(v)));
            }
        }
    }
}

QTEST_APPLESS_MAIN(GatewayProtocolTest)
#include "test_gateway_protocol.moc"
