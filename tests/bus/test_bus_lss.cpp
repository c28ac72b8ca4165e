// The CANopen LSS write: cansend lines through the stand-in sudo, read back
// as CiA 305 requests, their pacing, the closing box, and a failed cansend.

#include "bus_bench.h"

class TestBusLss : public QObject
{
    Q_OBJECT

    static void selectCanOpen(BusBench &b, const QString &id)
    {
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->pushButton_selectPorotocol->click();
        QCOMPARE(b.sudo.lines(), QStringList{"ip link set can0 up type can bitrate 125000"});
        b.ui->lineEdit_ID->setText(id);
    }

private slots:
    void lssWrite_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kbit");
        QTest::addColumn<int>("tableIndex"); // CiA 305 bit-timing table
        QTest::newRow("ID 1, 125 kbit/s") << 1 << 125 << 4; // other IDs and speeds: test_bus_steps
    }
    void lssWrite()
    {
        QFETCH(int, id);
        QFETCH(int, kbit);
        QFETCH(int, tableIndex);
        SKIP_IF_NO_PROCESSES();
        BusBench b;
        selectCanOpen(b, QString::number(id));
        b.ui->comboBox_speed_can->setCurrentText(QString::number(kbit));
        qint64 boxAt = 0;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { boxAt = QDateTime::currentMSecsSinceEpoch(); });
        const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 9000);
        QTRY_VERIFY(Probe::idle(*b.window));
        QCOMPARE(b.boxes.last().icon, QMessageBox::Information);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Сообщение"));
        QCOMPARE(b.boxes.last().text, QStringLiteral("<FONT COLOR='#001e80'>Команды записи отправлены</FONT>"));
        VERIFY_MS(boxAt - pressed, 4300, 6700);

        // Switch state global (configuration), configure node-ID, configure
        // bit timing (table selector 0), store configuration.
        const auto frame = [](std::initializer_list<int> leading) {
            QByteArray data(8, '\0');
            int i = 0;
            for (int byte : leading)
                data[i++] = char(byte);
            return data;
        };
        const QList<QByteArray> requests{frame({0x04, 1}), frame({0x11, id}), frame({0x13, 0, tableIndex}), frame({0x17})};
        const QList<FakeSudo::Call> calls = b.sudo.calls().mid(1);
        QCOMPARE(calls.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const QString line = "cansend can0 7E5#" + QString::fromLatin1(requests[i].toHex().toUpper());
            QCOMPARE(calls[i].line, line);
            QCOMPARE(calls[i].dir, QDir::homePath());
            VERIFY_MS(calls[i].ms - (i ? calls[i - 1].ms : pressed), i ? 600 : 800, 1700);
        }
        QTest::qWait(1200);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), 5);
    }

    // A cansend that fails ends the write there, stopped before the box that
    // names the failed line and why; no closing box. (A refused node-ID
    // frame, the same box: test_bus_steps.)
    void failedCansend_data()
    {
        QTest::addColumn<bool>("noSudo");
        QTest::addColumn<QString>("failedLine");
        QTest::addColumn<QString>("why");
        QTest::newRow("no sudo") << true << "sudo cansend can0 7E5#0401000000000000" << "";
    }
    void failedCansend()
    {
        QFETCH(bool, noSudo);
        QFETCH(QString, failedLine);
        QFETCH(QString, why);
        SKIP_IF_NO_PROCESSES();
        BusBench b;
        selectCanOpen(b, "1");
        if (noSudo)
            b.sudo.remove();
        else
            b.sudo.failOn("7E5#11", why.toUtf8());
        bool stoppedAtBox = false;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { stoppedAtBox = Probe::idle(*b.window); });
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 5000);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
        QVERIFY2(b.boxes.last().text.contains(failedLine) && b.boxes.last().text.contains(why),
                 qPrintable(b.boxes.last().text));
        QVERIFY(stoppedAtBox);
        QTest::qWait(2300);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), noSudo ? 1 : 3);
    }
};

QTEST_MAIN(TestBusLss)
#include "test_bus_lss.moc"
