// DCON command builders and reply fields, the receive buffer, and the CAN
// command lines, table by table.

#include "can_commands.h"
#include "dcon_protocol.h"

#include <QtTest>

class TestBusProtocol : public QObject
{
    Q_OBJECT

private slots:
    void hexId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("1") << "1" << QByteArray("01");
        QTest::newRow("10") << "10" << QByteArray("0A");
        QTest::newRow("127") << "127" << QByteArray("7F");
        QTest::newRow("255") << "255" << QByteArray("FF");
        QTest::newRow("256 not limited") << "256" << QByteArray("100");
        QTest::newRow("not a number") << "abc" << QByteArray("00");
        QTest::newRow("empty") << "" << QByteArray("00");
        QTest::newRow("hex is not decimal") << "1F" << QByteArray("00");
    }
    void hexId()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, hex);
        QCOMPARE(dcon::hexId(text), hex);
    }

    // Both directions of the baud-rate table.
    void baudCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("index");
        const char *codes[] = {"03", "04", "05", "06", "07", "08", "09", "0A"};
        for (int i = 0; i < 8; ++i)
            QTest::newRow(codes[i]) << codes[i] << i;
        QTest::newRow("0B unknown") << "0B" << -1;
        QTest::newRow("0a lower case") << "0a" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void baudCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, index);
        QCOMPARE(dcon::speedIndex(code), index);
        if (index >= 0)
            QCOMPARE(dcon::baudCode(index), code.toLatin1());
    }

    void configReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("01") << "!01400600" << 1 << QByteArray("40") << "06" << QByteArray("00");
        QTest::newRow("1F") << "!1F420A02" << 31 << QByteArray("42") << "0A" << QByteArray("02");
        QTest::newRow("checksum ignored") << "!0A400300C7" << 10 << QByteArray("40") << "03" << QByteArray("00");
        QTest::newRow("address not hex") << "!ZZ400600" << 0 << QByteArray("40") << "06" << QByteArray("00");
        QTest::newRow("short") << "!01" << 1 << QByteArray() << QString() << QByteArray();
    }
    void configReply()
    {
        QFETCH(QString, reply);
        const dcon::ConfigReply r = dcon::parseConfigReply(reply);
        QTEST(r.address, "address");
        QTEST(r.typeCode, "type");
        QTEST(r.baudCode, "baud");
        QTEST(r.formatCode, "format");
    }

    void commands()
    {
        QCOMPARE(dcon::readConfigCommand(), QByteArray("$002\r"));
        QCOMPARE(dcon::readProtocolCommand("00"), QByteArray("~00P\r"));
        QCOMPARE(dcon::setConfigCommand("00", dcon::hexId("10"), "40", dcon::baudCode(3), "00"),
                 QByteArray("%000A400600\r"));
        QCOMPARE(dcon::setConfigCommand("00", dcon::hexId("x"), "", dcon::baudCode(3), ""), QByteArray("%000006\r"));
        QCOMPARE(dcon::setProtocolCommand("00", dcon::protocolCode(0)), QByteArray("~00P1\r"));
        QCOMPARE(dcon::setProtocolCommand("00", dcon::protocolCode(1)), QByteArray("~00P0\r"));
        QCOMPARE(dcon::protocolCode(2), QByteArray());
        QCOMPARE(dcon::baudCode(8), QByteArray());
        QCOMPARE(dcon::protocolIndex('0'), 1); // DCON
        QCOMPARE(dcon::protocolIndex('1'), 0); // Modbus
        QCOMPARE(dcon::protocolIndex('P'), -1);
    }

    // Chunks as they come from the port -> the complete replies taken.
    void receiveBuffer_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("replies");
        QTest::newRow("one") << QList<QByteArray>{"!01400600\r"} << QStringList{"!01400600"};
        QTest::newRow("two pieces") << QList<QByteArray>{"!0140", "0600\r\n"} << QStringList{"!01400600"};
        QTest::newRow("joined") << QList<QByteArray>{"!01\r!02\r"} << QStringList{"!01!02"};
        QTest::newRow("line ends only") << QList<QByteArray>{"\r\n"} << QStringList{""};
        QTest::newRow("text after a NUL is dropped, the next reply comes through")
            << QList<QByteArray>{QByteArray("!0\0xx", 5), "\r", "!02\r"} << QStringList{"!0", "!02"};
        QTest::newRow("4 KiB without a line end is dropped")
            << QList<QByteArray>{QByteArray(4097, 'x'), "!03\r"} << QStringList{"!03"};
        QTest::newRow("4 KiB is still kept")
            << QList<QByteArray>{QByteArray(4096, 'x'), "\r"} << QStringList{QString(4096, 'x')};
    }
    void receiveBuffer()
    {
        QFETCH(QList<QByteArray>, chunks);
        QByteArray buffer;
        QStringList replies;
        for (const QByteArray &c : chunks) {
            QString reply;
            if (dcon::takeReply(buffer, c, &reply))
                replies << reply;
        }
        QTEST(replies, "replies");
        QVERIFY(buffer.isEmpty());
    }

    void canCommandLines()
    {
        QCOMPARE(can_link::commandLine(can_link::sudoProgram(), can_link::upArguments()),
                 QStringLiteral("sudo ip link set can0 up type can bitrate 125000"));
        QCOMPARE(can_link::commandLine(can_link::sudoProgram(), can_link::downArguments()),
                 QStringLiteral("sudo ip link set can0 down"));
    }

    // The bit-timing table: CAN speed list entry -> CiA table index.
    void lssFrames_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QByteArray>("nodeFrame");
        QTest::addColumn<QByteArray>("timingFrame");
        const char *timing[] = {"08", "07", "06", "05", "04", "03", "02", "01", "00"};
        const char *kbit[] = {"10", "20", "50", "100", "125", "250", "500", "800", "1000"};
        for (int i = 0; i < 9; ++i)
            QTest::newRow(kbit[i]) << "1" << i << QByteArray("7E5#1101000000000000")
                                   << QByteArray("7E5#1300") + timing[i] + "0000000000";
        QTest::newRow("127") << "127" << 4 << QByteArray("7E5#117F000000000000") << QByteArray("7E5#1300040000000000");
        QTest::newRow("not a number") << "x" << 4 << QByteArray("7E5#1100000000000000") << QByteArray("7E5#1300040000000000");
        QTest::newRow("no speed") << "1" << -1 << QByteArray("7E5#1101000000000000") << QByteArray("7E5#13000000000000");
    }
    void lssFrames()
    {
        QFETCH(QString, id);
        QFETCH(int, speed);
        using can_link::LssStep;
        QCOMPARE(can_link::lssFrame(LssStep::SwitchToConfiguration, id, speed), QByteArray("7E5#0401000000000000"));
        QTEST(can_link::lssFrame(LssStep::ConfigureNodeId, id, speed), "nodeFrame");
        QTEST(can_link::lssFrame(LssStep::ConfigureBitTiming, id, speed), "timingFrame");
        QCOMPARE(can_link::lssFrame(LssStep::StoreConfiguration, id, speed), QByteArray("7E5#1700000000000000"));
        QCOMPARE(can_link::lssArguments(LssStep::ConfigureNodeId, id, speed).mid(0, 2), (QStringList{"cansend", "can0"}));
    }
};

QTEST_MAIN(TestBusProtocol)
#include "test_bus_protocol.moc"
