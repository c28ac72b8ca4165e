// Checks of the test tools themselves: the pty device, the converter model
// and the catcher of modal boxes, driven the way the program drives them.

#include "converter_sim.h"
#include "modal_catcher.h"
#include "pty_device.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The program's side of the line: a plain QSerialPort on the slave.
struct Port {
    QSerialPort port;
    QList<QByteArray> reads;
    QList<QSerialPort::SerialPortError> errors;

    explicit Port(const QString &path)
    {
        port.setPortName(path);
        QObject::connect(&port, &QSerialPort::readyRead, [this] { reads << port.readAll(); });
        QObject::connect(&port, &QSerialPort::errorOccurred,
                         [this](QSerialPort::SerialPortError e) { errors << e; });
    }
    QByteArray all() const
    {
        QByteArray b;
        for (const QByteArray &r : reads)
            b += r;
        return b;
    }
};

// Sends one command and waits for the complete reply line.
QByteArray exchange(Port &p, const QByteArray &command)
{
    p.reads.clear();
    p.port.write(command);
    QElapsedTimer t;
    t.start();
    while (!p.all().endsWith("\r\n") && t.elapsed() < 5000)
        QTest::qWait(5);
    return p.all();
}

} // namespace

class SupportSelfTest : public QObject {
    Q_OBJECT
private slots:
    void writeArrivesAsOneFrame();
    void readBackAnswers_data();
    void readBackAnswers();
    void writesAreConfirmedAndKept();
    void splitReplyComesInTwoReads();
    void restartDropsLineAndPortReportsResourceError();
    void catcherAnswersBoxes();
    void catcherHoldsBoxForInspector();
    void catcherDrivesFileDialogs();
};

void SupportSelfTest::writeArrivesAsOneFrame()
{
    PtyDevice dev;
    QVERIFY(dev.isPlugged());
    QCOMPARE(PtyDevice::openCountInThisProcess(dev.slavePath()), 0);
    QSignalSpy spy(&dev, &PtyDevice::frameReceived);
    {
        Port p(dev.slavePath());
        QVERIFY2(p.port.open(QIODevice::ReadWrite), qPrintable(p.port.errorString()));
        QCOMPARE(PtyDevice::openCountInThisProcess(dev.slavePath()), 1);
        p.port.write("CHANGE IP:192.168.0.10");
        QTRY_COMPARE(dev.frames().size(), 1);
        QCOMPARE(dev.frameBytes().first(), QByteArray("CHANGE IP:192.168.0.10"));
        QCOMPARE(spy.size(), 1);

        // Bytes the device sends reach the port unchanged (no line-end mapping).
        dev.send("a\rb\n\r\n");
        QTRY_COMPARE(p.all(), QByteArray("a\rb\n\r\n"));

        // A pause longer than the gap starts a new frame.
        p.port.write("MASK");
        QTRY_COMPARE(dev.frames().size(), 2);
        QCOMPARE(dev.received(), QByteArray("CHANGE IP:192.168.0.10MASK"));
        QVERIFY(dev.frames().at(1).ms > dev.frames().at(0).ms);
        p.port.close();
        QCOMPARE(PtyDevice::openCountInThisProcess(dev.slavePath()), 0);
    }
    dev.clear();
    QVERIFY(dev.frames().isEmpty() && dev.chunks().isEmpty());
}

void SupportSelfTest::readBackAnswers_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("ip") << int(ConverterSim::TcpRtu) << QByteArray("ip")
                        << QByteArray("ip:192.168.0.1\r\n");
    QTest::newRow("mask") << int(ConverterSim::TcpRtu) << QByteArray("MASK")
                          << QByteArray("MASK:255.255.255.0\r\n");
    QTest::newRow("tcp-rtu parity digit") << int(ConverterSim::TcpRtu) << QByteArray("parity")
                                          << QByteArray("parity:0\r\n");
    QTest::newRow("tcp-rtu has no client part") << int(ConverterSim::TcpRtu)
                                                << QByteArray("IP SERVER TCP") << QByteArray("?\r\n");
    QTest::newRow("rtu-tcp client part") << int(ConverterSim::RtuTcp) << QByteArray("TIMEOUT TCP")
                                         << QByteArray("TIMEOUT TCP:180\r\n");
    QTest::newRow("rtu-tcp has no mode") << int(ConverterSim::RtuTcp) << QByteArray("MODE TCP")
                                         << QByteArray("?\r\n");
    QTest::newRow("universal parity word") << int(ConverterSim::Universal) << QByteArray("parity")
                                           << QByteArray("parity:none\r\n");
    QTest::newRow("universal slave id") << int(ConverterSim::Universal) << QByteArray("tcp slave id")
                                        << QByteArray("tcp slave id:off\r\n");
    QTest::newRow("case matters") << int(ConverterSim::Universal) << QByteArray("IP")
                                  << QByteArray("?\r\n");
}

void SupportSelfTest::readBackAnswers()
{
    QFETCH(int, variant);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    ConverterSim sim{ConverterSim::Variant(variant)};
    Port p(sim.slavePath());
    QVERIFY(p.port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(p, command), reply);
    QCOMPARE(p.reads.size(), 1);
    QCOMPARE(sim.commands(), QStringList{QString::fromLatin1(command)});
}

void SupportSelfTest::writesAreConfirmedAndKept()
{
    ConverterSim tcp(ConverterSim::TcpRtu);
    Port p(tcp.slavePath());
    QVERIFY(p.port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(p, "CHANGE SPEED RS485:57600"), QByteArray("OK\r\n"));
    QCOMPARE(exchange(p, "SPEED RS485"), QByteArray("SPEED RS485:57200\r\n"));
    QCOMPARE(exchange(p, "CHANGE IP:10.0.0.7"), QByteArray("OK\r\n"));
    QCOMPARE(tcp.value("ip"), QString("10.0.0.7"));
    QCOMPARE(exchange(p, "CHANGE TIMEOUT TCP:30"), QByteArray("?\r\n"));   // not this variant's
    QCOMPARE(exchange(p, "change rtu virtual id:5"), QByteArray("?\r\n"));
    QCOMPARE(exchange(p, "reset"), QByteArray("?\r\n"));   // only the universal one has it
    tcp.rejectCommand("CHANGE MASK:");
    QCOMPARE(exchange(p, "CHANGE MASK:255.0.0.0"), QByteArray("ERROR\r\n"));
    QCOMPARE(tcp.value("MASK"), QString("255.255.255.0"));
    tcp.setOnlyLineEnds(true);
    QCOMPARE(exchange(p, "ip"), QByteArray("\r\n"));
    QCOMPARE(tcp.replies().size(), 8);
    QVERIFY(tcp.isPlugged());

    ConverterSim uni(ConverterSim::Universal);
    uni.setDropAfterRestart(false);
    Port u(uni.slavePath());
    QVERIFY(u.port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(u, "CHANGE MODE TCP:CLIENT"), QByteArray("ok\r\n"));
    QCOMPARE(exchange(u, "MODE TCP"), QByteArray("MODE TCP:client\r\n"));
    QCOMPARE(exchange(u, "change tcp slave id:12"), QByteArray("ok\r\n"));
    QCOMPARE(exchange(u, "CHANGE tcp slave id:12"), QByteArray("?\r\n"));
    // Restarts give no answer; the factory reset restores the values.
    u.reads.clear();
    u.port.write("RESET");
    QTRY_COMPARE(uni.restarts(), 1);
    QCOMPARE(uni.value("MODE TCP"), QString("client"));
    u.port.write("LOAD SETTING:DEFAULT");
    QTRY_COMPARE(uni.restarts(), 2);
    QCOMPARE(uni.value("MODE TCP"), QString("server"));
    QCOMPARE(uni.value("tcp slave id"), QString("off"));
    QCOMPARE(exchange(u, "MODE TCP"), QByteArray("MODE TCP:server\r\n"));
    QVERIFY(uni.isPlugged());
    QCOMPARE(uni.replies().size(), 5);   // nothing for the two restarts
}

void SupportSelfTest::splitReplyComesInTwoReads()
{
    ConverterSim sim(ConverterSim::TcpRtu);
    sim.setSplitReplies(true);
    Port p(sim.slavePath());
    QVERIFY(p.port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(p, "GATEWAY"), QByteArray("GATEWAY:192.168.0.254\r\n"));
    QCOMPARE(p.reads.size(), 2);
    QCOMPARE(p.reads.at(0), QByteArray("GATEWAY:192"));
}

void SupportSelfTest::restartDropsLineAndPortReportsResourceError()
{
    ConverterSim sim(ConverterSim::TcpRtu);
    const QString path = sim.slavePath();
    QSignalSpy unplugged(&sim, &PtyDevice::unplugged);
    Port p(path);
    QVERIFY(p.port.open(QIODevice::ReadWrite));
    p.port.write("RESET");
    QTRY_VERIFY(!sim.isPlugged());
    QCOMPARE(unplugged.size(), 1);
    QCOMPARE(sim.commands(), QStringList{"RESET"});
    QVERIFY(sim.replies().isEmpty());
    QTRY_VERIFY(p.errors.contains(QSerialPort::ResourceError));
    QCOMPARE(PtyDevice::openCountInThisProcess(path), 1);   // still open until closed
    p.port.close();
    QCOMPARE(PtyDevice::openCountInThisProcess(path), 0);

    sim.send("late");   // a device that is gone sends nothing
    QVERIFY(sim.replug());
    QVERIFY(sim.isPlugged());
    Port again(sim.slavePath());
    QVERIFY(again.port.open(QIODevice::ReadWrite));
    QCOMPARE(exchange(again, "ip"), QByteArray("ip:192.168.0.1\r\n"));
}

void SupportSelfTest::catcherAnswersBoxes()
{
    ModalCatcher catcher;
    QCOMPARE(QMessageBox::critical(nullptr, "Отказано в доступе", "Ошибка соединения"),
             QMessageBox::Ok);
    QCOMPARE(catcher.count(), 1);
    QCOMPARE(catcher.last().icon, QMessageBox::Critical);
    QCOMPARE(catcher.last().title, QString("Отказано в доступе"));
    QCOMPARE(catcher.last().text, QString("Ошибка соединения"));
    QCOMPARE(catcher.last().buttons, QStringList{"OK"});

    QMessageBox box;
    box.setWindowTitle("Сброс");
    box.setText("Вы действительно хотите cбросить к заводским настройкам?");
    QPushButton *yes = box.addButton("Да", QMessageBox::YesRole);
    QPushButton *no = box.addButton("&Нет", QMessageBox::NoRole);
    catcher.enqueue("Нет");
    catcher.enqueue("");
    box.exec();
    QCOMPARE(box.clickedButton(), no);
    QCOMPARE(catcher.last().buttons, (QStringList{"Да", "Нет"}));
    QCOMPARE(catcher.last().answer, QString("Нет"));

    // The same box shown again is a new question; closing it is not "Да".
    box.exec();
    QCOMPARE(catcher.count(), 3);
    QVERIFY(box.clickedButton() != yes);
    QCOMPARE(catcher.last().answer, QString());

    // Nothing queued: the default button.
    box.setDefaultButton(yes);
    box.exec();
    QCOMPARE(box.clickedButton(), yes);
    QCOMPARE(catcher.pendingAnswers(), 0);
}

void SupportSelfTest::catcherHoldsBoxForInspector()
{
    ModalCatcher catcher;
    catcher.setHoldMs(300);
    bool openWhenSeen = false;
    catcher.setInspector([&](const ModalCatcher::Box &b) {
        openWhenSeen = b.title == "Результы изменения" && QApplication::activeModalWidget();
    });
    QElapsedTimer t;
    t.start();
    QMessageBox::information(nullptr, "Результы изменения",
                             "<FONT COLOR='#008000'>Изменение параметров Modbus universal было успешно</FONT>");
    QVERIFY(t.elapsed() >= 290);
    QVERIFY(openWhenSeen);
    QCOMPARE(catcher.last().icon, QMessageBox::Information);
    QVERIFY(catcher.last().text.startsWith("<FONT COLOR='#008000'>"));
}

void SupportSelfTest::catcherDrivesFileDialogs()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = dir.filePath("saved.TRset");
    QFile f(existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QString fresh = dir.filePath("new.TRset");

    ModalCatcher catcher;
    catcher.enqueueFile(fresh);
    catcher.enqueueFile(existing);
    QCOMPARE(QFileDialog::getSaveFileName(nullptr, "Сохранить", dir.path(), "*.TRset"), fresh);
    QCOMPARE(QFileDialog::getOpenFileName(nullptr, "Открыть", dir.path(), "*.TRset"), existing);
    QCOMPARE(QFileDialog::getSaveFileName(nullptr, "Сохранить", dir.path(), "*.TRset"), QString());
    QCOMPARE(catcher.fileDialogs(), 3);
    QVERIFY(catcher.fileDialogList().at(0).save);
    QVERIFY(!catcher.fileDialogList().at(1).save);
    QCOMPARE(catcher.count(), 0);   // no box on the way

    // Saving over a file: the dialog's own question is caught and answered too.
    catcher.enqueueFile(existing);
    catcher.enqueue("Yes");
    QCOMPARE(QFileDialog::getSaveFileName(nullptr, "Сохранить", dir.path(), "*.TRset"), existing);
    QCOMPARE(catcher.count(), 1);
    QCOMPARE(catcher.last().buttons, (QStringList{"Yes", "No"}));
}

QTEST_MAIN(SupportSelfTest)
#include "test_support_selftest.moc"
