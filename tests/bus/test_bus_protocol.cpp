// DCON builders and reply fields, the receive buffer, the LSS encodings.

#include "can_commands.h"
#include "dcon_protocol.h"
#include "serial_link.h"

#include <QTemporaryDir>
#include <QtTest>

class TestBusProtocol : public QObject
{
    Q_OBJECT

private slots:
    void codeTables()
    {
        QList<QByteArray> ids, bauds, timings;
        for (const char *id : {"1", "10", "127", "255", "256", "abc", "", "1F"})
            ids << dcon::hexId(id);
        QCOMPARE(ids, (QList<QByteArray>{"01", "0A", "7F", "FF", "100", "00", "00", "00"}));
        for (int i = -1; i <= 9; ++i) {
            bauds << dcon::baudCode(i);
            timings << can_link::bitTimingCode(i);
            if (i >= 0 && i < 8)
                QCOMPARE(dcon::speedIndex(dcon::baudCode(i)), i);
        }
        QCOMPARE(bauds, (QList<QByteArray>{"", "03", "04", "05", "06", "07", "08", "09", "0A", "", ""}));
        QCOMPARE(timings, (QList<QByteArray>{"", "08", "07", "06", "05", "04", "03", "02", "01", "00", ""}));
        for (const char *unknown : {"0B", "0a", "02", ""})
            QCOMPARE(dcon::speedIndex(unknown), -1);
        QCOMPARE((QList<QByteArray>{dcon::protocolCode(0), dcon::protocolCode(1), dcon::protocolCode(2)}),
                 (QList<QByteArray>{"1", "0", ""}));
        QCOMPARE((QList<int>{dcon::protocolIndex('0'), dcon::protocolIndex('1'), dcon::protocolIndex('P')}),
                 (QList<int>{1, 0, -1}));
    }

    void configReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("fields"); // type / baud / format
        QTest::newRow("01") << "!01400600" << 1 << "40/06/00";
        QTest::newRow("1F, checksum ignored") << "!1F420A02C7" << 31 << "42/0A/02";
        QTest::newRow("address not hex") << "!ZZ400600" << 0 << "40/06/00";
        QTest::newRow("short") << "!01" << 1 << "//";
    }
    void configReply()
    {
        QFETCH(QString, reply);
        const dcon::ConfigReply r = dcon::parseConfigReply(reply);
        QTEST(r.address, "address");
        QTEST(QString(r.typeCode + "/" + r.baudCode + "/" + r.formatCode), "fields");
    }

    // Which complete replies may fill the form as a configuration reply.
    void configForm_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("taken");
        QTest::newRow("01 40 06 00") << "!01400600" << true;
        QTest::newRow("checksum after the eight ignored") << "!1F420A02C7" << true;
        QTest::newRow("lower-case hex") << "!ff40fa0b" << true;
        QTest::newRow("cut at a NUL") << "!01" << false;
        QTest::newRow("seven digits") << "!0140060" << false;
        QTest::newRow("minus sign") << "!-F400600" << false;
        QTest::newRow("blank before") << " !01400600" << false;
        QTest::newRow("not hex") << "!01400g00" << false;
        QTest::newRow("full-width digit") << QStringLiteral("!０1400600") << false;
    }
    void configForm()
    {
        QFETCH(QString, reply);
        QTEST(dcon::isConfigReply(reply), "taken");
    }

    // The new address typed for a DCON write, and how it goes out; "" when
    // it must not be sent.
    void newAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("10") << "10" << QByteArray("0A");
        QTest::newRow("255") << "255" << QByteArray("FF");
        QTest::newRow("leading zeros") << "007" << QByteArray("07");
        QTest::newRow("blanks around") << " 31 " << QByteArray("1F");
        QTest::newRow("256") << "256" << QByteArray();
        QTest::newRow("-1") << "-1" << QByteArray();
        QTest::newRow("+5") << "+5" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("not a number") << "abc" << QByteArray();
    }
    void newAddress()
    {
        QFETCH(QString, typed);
        const int address = dcon::parseNewAddress(typed);
        QTEST(address < 0 ? QByteArray() : dcon::hexAddress(address), "sent");
    }

    // The interface flags under a sysfs folder: up or not.
    void interfaceUp_data()
    {
        QTest::addColumn<QByteArray>("flags"); // null: no flags file
        QTest::addColumn<bool>("up");
        QTest::newRow("up, running") << QByteArray("0xc1\n") << true;
        QTest::newRow("down") << QByteArray("0x80\n") << false;
        QTest::newRow("no 0x") << QByteArray("1\n") << false;
        QTest::newRow("no flags file") << QByteArray() << false;
    }
    void interfaceUp()
    {
        QFETCH(QByteArray, flags);
        QTemporaryDir dir;
        if (!flags.isNull()) {
            QFile file(dir.filePath("flags"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(flags);
        }
        QTEST(can_link::interfaceUp(dir.path()), "up");
    }

    // Chunks as they come from the port -> the complete replies taken.
    void receiveBuffer_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("replies");
        QTest::newRow("two pieces") << QList<QByteArray>{"!0140", "0600\r\n"} << QStringList{"!01400600"};
        QTest::newRow("joined") << QList<QByteArray>{"!01\r!02\r"} << QStringList{"!01!02"};
        QTest::newRow("line ends only") << QList<QByteArray>{"\r\n"} << QStringList{""};
        QTest::newRow("NUL: text cut there, later replies not held up")
            << QList<QByteArray>{QByteArray("!0\0xx", 5), "\r", "!02\r"} << QStringList{"!0", "!02"};
        QTest::newRow("over 4 KiB without a line end dropped")
            << QList<QByteArray>{QByteArray(4097, 'x'), "!03\r"} << QStringList{"!03"};
        QTest::newRow("4 KiB kept") << QList<QByteArray>{QByteArray(4096, 'x'), "\r"} << QStringList{QString(4096, 'x')};
    }
    void receiveBuffer()
    {
        QFETCH(QList<QByteArray>, chunks);
        serial_link::ReplyBuffer buffer(dcon::kLineEnd);
        QStringList replies;
        for (const QByteArray &c : chunks)
            if (buffer.add(c) == serial_link::ReplyBuffer::Status::Complete)
                replies << serial_link::replyText(buffer.take());
        QTEST(replies, "replies");
        QVERIFY(buffer.isEmpty());
    }
};

QTEST_MAIN(TestBusProtocol)
#include "test_bus_protocol.moc"
