// DCON read and write sequences end to end, on their real 1000 ms timers,
// against a simulated module that checks every byte.

#include "bus_bench.h"

namespace {

// A 1000 ms tick on a loaded machine.
void verifyGap(qint64 ms, qint64 from, qint64 to, const char *what)
{
    QVERIFY2(ms >= from && ms <= to, qPrintable(QStringLiteral("%1: %2 ms").arg(what).arg(ms)));
}

QStringList logFrom(Ui_MainWindow *ui, const QString &first)
{
    const QStringList lines = logLines(ui);
    return lines.mid(lines.lastIndexOf(first));
}

} // namespace

class TestBusDcon : public QObject
{
    Q_OBJECT

private slots:
    void readThenWrite()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        b.sim.address = "1F";
        b.sim.protocol = '0';
        QVERIFY(b.connectPort());

        const qint64 pressed = b.sim.elapsedMs();
        ui->pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.sim.commands().size(), 1, 3000);
        QTRY_COMPARE(ui->lineEdit_ID->text(), QStringLiteral("31"));
        QCOMPARE(ui->lineEdit_ID->styleSheet(), kGreen);
        QCOMPARE(ui->comboBox_speed->currentText(), QStringLiteral("9600"));
        QCOMPARE(ui->comboBox_speed->styleSheet(), kGreen);
        ui->pushButton_3->click(); // a second press does not restart the read
        QTRY_COMPARE_WITH_TIMEOUT(b.sim.commands().size(), 2, 4000);
        QTRY_COMPARE(ui->comboBox_pro->currentText(), QStringLiteral("DCON"));
        QCOMPARE(ui->comboBox_pro->styleSheet(), kGreen);
        QTRY_VERIFY_WITH_TIMEOUT(!Probe::anyTimerActive(*b.window), 3000);

        const auto read = b.sim.commands();
        QCOMPARE(b.sim.commandBytes(), (QList<QByteArray>{"$002\r", "~00P\r"}));
        verifyGap(read[0].ms - pressed, 800, 1700, "read configuration after the press");
        verifyGap(read[1].ms - read[0].ms, 1600, 2700, "read protocol after read configuration");
        for (QWidget *w : QList<QWidget *>{ui->lineEdit_ID, ui->comboBox_protocol, ui->comboBox_speed, ui->comboBox_pro})
            QCOMPARE(w->styleSheet(), QString());
        QCOMPARE(Probe::lastReply(*b.window), QString());
        QCOMPARE(Probe::typeCode(*b.window), QByteArray("40"));
        QCOMPARE(Probe::formatCode(*b.window), QByteArray("00"));
        QCOMPARE(Probe::steps(*b.window), (QList<int>{0, 0, 0}));
        // The commands are logged with their carriage return, which shows as a line break.
        QCOMPARE(logFrom(ui, "Порт открыт"),
                 (QStringList{"Порт открыт", "Команда чтения: $002", "", "!1F400600", "Команда скорости: ~00P", "", "!000"}));

        // Write a new address and Modbus back, with the type and format just read.
        b.sim.clear();
        ui->lineEdit_ID->setText("10");
        ui->comboBox_pro->setCurrentIndex(0);
        QStringList marksAtBox;
        b.boxes.setInspector([&](const ModalCatcher::Box &) {
            marksAtBox = QStringList{ui->lineEdit_ID->styleSheet(), ui->comboBox_speed->styleSheet()};
        });
        const qint64 writePressed = b.sim.elapsedMs();
        ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.sim.commands().size(), 1, 3000);
        QTRY_COMPARE(ui->lineEdit_ID->styleSheet(), kGreen);
        QCOMPARE(ui->comboBox_speed->styleSheet(), kGreen);
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 6000);
        const qint64 boxAt = b.sim.elapsedMs();
        QTRY_VERIFY(!Probe::anyTimerActive(*b.window));

        const auto write = b.sim.commands();
        QCOMPARE(b.sim.commandBytes(), (QList<QByteArray>{"%000A400600\r", "~00P1\r"}));
        verifyGap(write[0].ms - writePressed, 800, 1700, "set configuration after the press");
        verifyGap(write[1].ms - write[0].ms, 1600, 2700, "set protocol after set configuration");
        verifyGap(boxAt - write[1].ms, 700, 1800, "closing box after set protocol");
        const ModalCatcher::Box box = b.boxes.last();
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.title, QStringLiteral("Сообщение"));
        QCOMPARE(box.text, QStringLiteral("<FONT COLOR='#001e80'>Команды записи параметров отправлены</FONT>"));
        QCOMPARE(marksAtBox, (QStringList{QString(), QString()}));
        QCOMPARE(Probe::lastReply(*b.window), QString());
        QCOMPARE(Probe::steps(*b.window), (QList<int>{0, 0, 0}));
        QCOMPARE(logFrom(ui, "запись ID/Speed: %000A400600"),
                 (QStringList{"запись ID/Speed: %000A400600", "", "!0A", "запись Protocol: ~00P1", "", "!00"}));
    }

    void silentModuleAndClosedPort()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        // Port closed: one second later the read gives up, nothing sent.
        ui->pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(logLines(ui).last(), QStringLiteral("error connecting"), 3000);
        QVERIFY(!Probe::anyTimerActive(*b.window));

        b.sim.setSilent(true);
        QVERIFY(b.connectPort());
        ui->pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 4000);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
        QCOMPARE(b.boxes.last().text, QStringLiteral("нет соединения с модулем"));
        QTRY_VERIFY(!Probe::anyTimerActive(*b.window));
        QCOMPARE(Probe::steps(*b.window), (QList<int>{0, 0, 0}));
        QTest::qWait(1300);
        QCOMPARE(b.sim.commandBytes(), QList<QByteArray>{"$002\r"});
        QCOMPARE(b.boxes.count(), 1);
    }

    void refusedWrite()
    {
        BusBench b;
        b.sim.setRefuseWrites(true);
        QVERIFY(b.connectPort());
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 3000);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Warning);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
        QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка записи"));
        QTRY_VERIFY(!Probe::anyTimerActive(*b.window));
        QCOMPARE(Probe::lastReply(*b.window), QStringLiteral("?00"));
        QTest::qWait(1300);
        QCOMPARE(b.sim.commandBytes(), QList<QByteArray>{"%000003\r"});
        QCOMPARE(b.boxes.count(), 1);
    }

    // No scan before: no type or format; a second press within the second
    // only restarts the interval.
    void writeWithoutScanPressedTwice()
    {
        BusBench b;
        QVERIFY(b.connectPort());
        b.ui->lineEdit_ID->setText("abc");
        b.ui->comboBox_speed->setCurrentIndex(7);
        b.ui->comboBox_pro->setCurrentIndex(1);
        b.ui->pushButton_changeParameters->click();
        QTest::qWait(500);
        const qint64 second = b.sim.elapsedMs();
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 7000);
        QTRY_VERIFY(!Probe::anyTimerActive(*b.window));
        QCOMPARE(b.sim.commandBytes(), (QList<QByteArray>{"%00000A\r", "~00P0\r"}));
        verifyGap(b.sim.commands()[0].ms - second, 800, 1700, "first command after the second press");
        QCOMPARE(b.boxes.last().icon, QMessageBox::Information);
    }

    // A NUL byte from a noisy line must not hold up later replies.
    void nulOnTheLine()
    {
        BusBench b;
        QVERIFY(b.connectPort());
        b.sim.send(QByteArray("A\0Z\r", 4));
        QTRY_COMPARE(Probe::lastReply(*b.window), QStringLiteral("A"));
        b.sim.send("!0140\r");
        QTRY_COMPARE(Probe::lastReply(*b.window), QStringLiteral("!0140"));
        QCOMPARE(logLines(b.ui).mid(1), (QStringList{"A", "!0140"}));
        QCOMPARE(b.boxes.count(), 0);
    }
};

QTEST_MAIN(TestBusDcon)
#include "test_bus_dcon.moc"
