// The shared serial link: reply collection, reply text and the lost adapter.

#include "pty_device.h"
#include "serial_link.h"

#include <QSignalSpy>
#include <QtTest>

using serial_link::ReplyBuffer;
using Status = ReplyBuffer::Status;

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void replyBuffer_data();
    void replyBuffer();
    void replyText_data();
    void replyText();
    void quietCollector();
    void lostAdapter();
};

Q_DECLARE_METATYPE(Status)

// Each row feeds the reads one after the other; the last read's status and
// the bytes then held are checked.
void TestSerialLink::replyBuffer_data()
{
    QTest::addColumn<char>("terminator");
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArray>("held");

    const QByteArray big(serial_link::kMaxReplyBytes, 'x');
    QTest::newRow("cr: split") << '\r' << QList<QByteArray>{"!0140", "0600\r"} << Status::Complete
                               << QByteArray("!01400600\r");
    QTest::newRow("cr: waiting") << '\r' << QList<QByteArray>{"!01"} << Status::Waiting << QByteArray("!01");
    QTest::newRow("cr: NUL does not hide the end") << '\r' << QList<QByteArray>{QByteArray("!01\0zz\r", 7)}
                                                   << Status::Complete << QByteArray("!01\0zz\r", 7);
    QTest::newRow("cr: bytes after the end kept") << '\r' << QList<QByteArray>{"?01\r$0"} << Status::Complete
                                                  << QByteArray("?01\r$0");
    QTest::newRow("cr: at the bound still waits") << '\r' << QList<QByteArray>{big} << Status::Waiting << big;
    QTest::newRow("cr: past the bound dropped") << '\r' << QList<QByteArray>{big, "y"} << Status::Overflow
                                                << QByteArray();
    QTest::newRow("cr: long read ending the reply") << '\r' << QList<QByteArray>{big + "\r"}
                                                    << Status::Complete << big + "\r";
    QTest::newRow("quiet: pieces") << '\0' << QList<QByteArray>{"Ok", "\r\n"} << Status::Waiting
                                   << QByteArray("Ok\r\n");
    QTest::newRow("quiet: at the bound") << '\0' << QList<QByteArray>{big} << Status::Waiting << big;
    QTest::newRow("quiet: one past the bound, then no growth")
        << '\0' << QList<QByteArray>{big.left(10), big, "more"} << Status::Overflow << big + "x";
}

void TestSerialLink::replyBuffer()
{
    QFETCH(char, terminator);
    QFETCH(QList<QByteArray>, reads);
    QFETCH(Status, status);
    QFETCH(QByteArray, held);

    ReplyBuffer buffer(terminator);
    Status last = Status::Waiting;
    for (const QByteArray &read : reads)
        last = buffer.add(read);
    QCOMPARE(last, status);
    QCOMPARE(buffer.bytes(), held);
    QVERIFY(buffer.bytes().size() <= serial_link::kMaxReplyBytes + 1);
    QCOMPARE(buffer.take(), held);
    QVERIFY(buffer.isEmpty());
}

void TestSerialLink::replyText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("textUpToNul");

    QTest::newRow("plain") << QByteArray("192.168.0.7\r\n") << QStringLiteral("192.168.0.7")
                           << QStringLiteral("192.168.0.7\r\n");
    QTest::newRow("NUL cuts") << QByteArray("255.\0" "255.0.0\r", 13) << QStringLiteral("255.")
                              << QStringLiteral("255.");
    QTest::newRow("NUL first") << QByteArray("\0Ok", 3) << QString() << QString();
    QTest::newRow("line ends only") << QByteArray("\r\n\r") << QString() << QStringLiteral("\r\n\r");
    QTest::newRow("ends inside") << QByteArray("O\rk") << QStringLiteral("Ok") << QStringLiteral("O\rk");
    QTest::newRow("utf-8") << QByteArray("\xd0\x9e\xd0\xba") << QStringLiteral("Ок") << QStringLiteral("Ок");
}

void TestSerialLink::replyText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, textUpToNul);
    QCOMPARE(serial_link::replyText(bytes), text);
    QCOMPARE(serial_link::textUpToNul(bytes), textUpToNul);
}

// A reply comes in pieces; it is complete only once the line has been quiet.
// A flood that never falls quiet is cut at the bound and handed over at once.
void TestSerialLink::quietCollector()
{
    serial_link::QuietCollector collector;
    QSignalSpy started(&collector, &serial_link::QuietCollector::started);
    QSignalSpy complete(&collector, &serial_link::QuietCollector::complete);

    collector.add("MAC 02:00:4C");
    collector.add(":4F:4F:50\r\n");
    QCOMPARE(started.count(), 1);
    QCOMPARE(complete.count(), 0);
    QTRY_COMPARE(complete.count(), 1);
    QCOMPARE(complete.at(0).at(0).toByteArray(), QByteArray("MAC 02:00:4C:4F:4F:50\r\n"));
    QCOMPARE(complete.at(0).at(1).toBool(), false);
    QVERIFY(collector.isEmpty());

    const QByteArray flood(serial_link::kMaxReplyBytes * 4, '~');
    collector.add(flood);
    QCOMPARE(started.count(), 2);
    QCOMPARE(complete.count(), 2); // at once, not after the quiet time
    QCOMPARE(complete.at(1).at(0).toByteArray().size(), serial_link::kMaxReplyBytes + 1);
    QCOMPARE(complete.at(1).at(1).toBool(), true);

    // What was collected before a clear is never handed over.
    collector.add("stale");
    collector.clear();
    QVERIFY(collector.isEmpty());
    QTest::qWait(3 * serial_link::kQuietMs);
    QCOMPARE(complete.count(), 2);
}

// The adapter goes away under an open port: the port is closed once, and a
// second report of the same loss is not a new one.
void TestSerialLink::lostAdapter()
{
    PtyDevice device;
    QSerialPort port;
    QVERIFY(serial_link::open(port, device.slavePath()));
    QCOMPARE(port.openMode(), QIODevice::ReadWrite);
    QCOMPARE(port.baudRate(), 9600);
    QCOMPARE(port.dataBits(), QSerialPort::Data8);
    QCOMPARE(port.parity(), QSerialPort::NoParity);
    QCOMPARE(port.stopBits(), QSerialPort::OneStop);
    QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);

    QVERIFY(!serial_link::closeOnLoss(port, QSerialPort::NoError));
    QVERIFY(!serial_link::closeOnLoss(port, QSerialPort::TimeoutError));
    QVERIFY(port.isOpen());

    int losses = 0;
    QObject::connect(&port, &QSerialPort::errorOccurred, &port, [&](QSerialPort::SerialPortError error) {
        if (serial_link::closeOnLoss(port, error))
            ++losses;
    });
    device.unplug();
    QTRY_VERIFY(!port.isOpen());
    QCOMPARE(losses, 1);
    QVERIFY(!serial_link::closeOnLoss(port, QSerialPort::ResourceError));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
