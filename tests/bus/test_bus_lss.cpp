// The CANopen LSS write: the cansend lines run through sudo, checked against
// the requests CiA 305 defines, their pacing, the closing box, and a failed
// cansend.

#include "bus_bench.h"

namespace {

struct CanFrame { uint id = 0; QByteArray data; };

// "cansend can0 7E5#0401000000000000" -> identifier and data bytes.
CanFrame parseCansend(const QString &line)
{
    const QStringList words = line.split(' ');
    if (words.size() != 3 || words[0] != "cansend" || words[1] != "can0")
        return {};
    const QStringList parts = words[2].split('#');
    bool ok = false;
    CanFrame f;
    f.id = parts.value(0).toUInt(&ok, 16);
    f.data = QByteArray::fromHex(parts.value(1).toLatin1());
    return f;
}

// CiA 305 bit-timing table index of a bit rate, kbit/s.
int ciaTableIndex(int kbit)
{
    const QMap<int, int> table{{1000, 0}, {800, 1}, {500, 2}, {250, 3}, {125, 4},
                               {100, 5}, {50, 6}, {20, 7}, {10, 8}};
    return table.value(kbit, -1);
}

void selectCanOpen(BusBench &b)
{
    b.ui->comboBox_protocol->setCurrentIndex(1);
    b.ui->pushButton_selectPorotocol->click();
    QCOMPARE(b.sudo.lines(), QStringList{"ip link set can0 up type can bitrate 125000"});
}

} // namespace

class TestBusLss : public QObject
{
    Q_OBJECT

private slots:
    void lssWrite_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("kbit");
        QTest::addColumn<QString>("nn");
        QTest::addColumn<QString>("cc");
        QTest::newRow("ID 1, 125 kbit/s") << "1" << 125 << "01" << "04";
        QTest::newRow("ID 127, 1000 kbit/s") << "127" << 1000 << "7F" << "00";
    }
    void lssWrite()
    {
        QFETCH(QString, id);
        QFETCH(int, kbit);
        QFETCH(QString, nn);
        QFETCH(QString, cc);
        BusBench b;
        selectCanOpen(b);
        b.ui->lineEdit_ID->setText(id);
        b.ui->comboBox_speed_can->setCurrentText(QString::number(kbit));
        qint64 boxAt = 0;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { boxAt = QDateTime::currentMSecsSinceEpoch(); });

        const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 9000);
        QTRY_VERIFY(!Probe::anyTimerActive(*b.window));
        QCOMPARE(Probe::steps(*b.window), (QList<int>{0, 0, 0}));
        const ModalCatcher::Box box = b.boxes.last();
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.title, QStringLiteral("Сообщение"));
        QCOMPARE(box.text, QStringLiteral("<FONT COLOR='#001e80'>Команды записи отправлены</FONT>"));

        const QList<FakeSudo::Call> calls = b.sudo.calls().mid(1);
        QCOMPARE(b.sudo.lines().mid(1), (QStringList{"cansend can0 7E5#0401000000000000",
                                                     "cansend can0 7E5#11" + nn + "000000000000",
                                                     "cansend can0 7E5#1300" + cc + "0000000000",
                                                     "cansend can0 7E5#1700000000000000"}));
        // The same frames, read as LSS requests.
        const QList<int> specifiers{0x04, 0x11, 0x13, 0x17};
        for (int i = 0; i < 4; ++i) {
            const CanFrame f = parseCansend(calls[i].line);
            QCOMPARE(f.id, 0x7E5u);
            QCOMPARE(f.data.size(), 8);
            QCOMPARE(int(uchar(f.data[0])), specifiers[i]);
            QByteArray expectedRest(7, '\0');
            if (i == 0)
                expectedRest[0] = 1; // switch state global: configuration state
            if (i == 1)
                expectedRest[0] = char(id.toInt()); // node-ID
            if (i == 2)
                expectedRest[1] = char(ciaTableIndex(kbit)); // table selector 0, table index
            QCOMPARE(f.data.mid(1), expectedRest);
            QCOMPARE(calls[i].dir, QDir::homePath());
        }
        const auto gap = [](qint64 ms, qint64 from, qint64 to) {
            return ms >= from && ms <= to;
        };
        QVERIFY2(gap(calls[0].ms - pressed, 800, 1700), qPrintable(QString::number(calls[0].ms - pressed)));
        for (int i = 1; i < 4; ++i)
            QVERIFY2(gap(calls[i].ms - calls[i - 1].ms, 600, 1700), qPrintable(QString::number(calls[i].ms - calls[i - 1].ms)));
        QVERIFY2(gap(boxAt - pressed, 4300, 6700), qPrintable(QString::number(boxAt - pressed)));
        QTest::qWait(1200);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), 5);
    }

    // A cansend that fails stops the write there, and says which line failed
    // and why, instead of reporting the commands as sent.
    void failedCansend_data()
    {
        QTest::addColumn<bool>("noSudo");
        QTest::addColumn<QString>("failedLine");
        QTest::addColumn<QString>("why");
        QTest::addColumn<int>("runs");
        QTest::newRow("node-ID frame refused") << false << "sudo cansend can0 7E5#1101000000000000"
                                               << "write: Network is down" << 2;
        QTest::newRow("sudo missing") << true << "sudo cansend can0 7E5#0401000000000000" << "" << 0;
    }
    void failedCansend()
    {
        QFETCH(bool, noSudo);
        QFETCH(QString, failedLine);
        QFETCH(QString, why);
        QFETCH(int, runs);
        BusBench b;
        selectCanOpen(b);
        b.ui->lineEdit_ID->setText("1");
        if (noSudo)
            b.sudo.remove();
        else
            b.sudo.failOn("7E5#11", why.toUtf8());
        bool stoppedAtBox = false;
        b.boxes.setInspector([&](const ModalCatcher::Box &) {
            stoppedAtBox = !Probe::anyTimerActive(*b.window) && Probe::steps(*b.window)[2] == 0;
        });
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 5000);
        const ModalCatcher::Box box = b.boxes.last();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QStringLiteral("Ошибка"));
        QVERIFY2(box.text.contains(failedLine), qPrintable(box.text));
        QVERIFY2(box.text.contains(why), qPrintable(box.text));
        QVERIFY(stoppedAtBox);
        QTest::qWait(2300);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), 1 + runs);
        QVERIFY(!Probe::anyTimerActive(*b.window));
    }
};

QTEST_MAIN(TestBusLss)
#include "test_bus_lss.moc"
