// DCON read and write end to end, on their real 1000 ms timers, against the
// simulated module: the pacing, the bytes and the boxes. Each step's branches
// (a closed port, a silent module, a refused write) are in test_bus_steps.

#include "bus_bench.h"
#include "tick_pace.h"

class TestBusDcon : public QObject
{
    Q_OBJECT

    static QStringList logFrom(Ui_MainWindow *ui, const QString &first)
    {
        const QStringList lines = logLines(ui);
        return lines.mid(lines.lastIndexOf(first));
    }

private slots:
    void readThenWrite()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        QVERIFY(b.connectPort());
        const qint64 pressed = b.sim.elapsedMs();
        int readTicks = 0, writeTicks = 0, writeTicksAtBox = 0; // the sequence's own count
        QObject::connect(Probe::timers(*b.window)[0], &QTimer::timeout, [&] { ++readTicks; });
        QObject::connect(Probe::timers(*b.window)[1], &QTimer::timeout, [&] { ++writeTicks; });
        ui->pushButton_3->click();
        QTRY_COMPARE(ui->lineEdit_ID->text(), QStringLiteral("31")); // address 1F
        QCOMPARE(ui->comboBox_speed->currentText(), QStringLiteral("9600"));
        QCOMPARE(ui->lineEdit_ID->styleSheet() + ui->comboBox_speed->styleSheet(), kGreen + kGreen);
        ui->pushButton_3->click(); // does not restart the read
        QTRY_COMPARE_WITH_TIMEOUT(ui->comboBox_pro->currentText(), QStringLiteral("DCON"), 4000);
        QCOMPARE(ui->comboBox_pro->styleSheet(), kGreen);
        QTRY_VERIFY_WITH_TIMEOUT(Probe::idle(*b.window), 3000);

        QCOMPARE(b.sim.commandBytes(), (QList<QByteArray>{"$002\r", "~00P\r"}));
        QCOMPARE(offPace({b.sim.commands[0].ms - pressed, b.sim.commands[1].ms - pressed}, {1, 3}), QString());
        QCOMPARE(readTicks, 4);
        for (QWidget *w : QList<QWidget *>{ui->lineEdit_ID, ui->comboBox_protocol, ui->comboBox_speed, ui->comboBox_pro})
            QCOMPARE(w->styleSheet(), QString());
        QCOMPARE(Probe::lastReply(*b.window), QString());
        QCOMPARE(Probe::typeAndFormat(*b.window), QByteArray("40/00"));
        // Commands are logged with their carriage return: a line break.
        QCOMPARE(logFrom(ui, "Порт открыт"),
                 (QStringList{"Порт открыт", "Команда чтения: $002", "", "!1F400600", "Команда скорости: ~00P", "", "!000"}));

        // New address 10 and Modbus, with the type and format just read.
        b.sim.commands.clear();
        ui->lineEdit_ID->setText("10");
        ui->comboBox_pro->setCurrentIndex(0);
        QString marksAtBox;
        qint64 boxAt = 0;
        b.boxes.setInspector([&](const ModalCatcher::Box &) {
            boxAt = b.sim.elapsedMs();
            writeTicksAtBox = writeTicks;
            marksAtBox = ui->lineEdit_ID->styleSheet() + ui->comboBox_speed->styleSheet();
        });
        // A second press within the second only restarts the interval.
        ui->pushButton_changeParameters->click();
        QTest::qWait(500);
        const qint64 writePressed = b.sim.elapsedMs();
        ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_ID->styleSheet(), kGreen, 3000); // "!0A" confirms
        QCOMPARE(ui->comboBox_speed->styleSheet(), kGreen);
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 6000);
        QTRY_VERIFY(Probe::idle(*b.window));

        QCOMPARE(b.sim.commandBytes(), (QList<QByteArray>{"%000A400600\r", "~00P1\r"}));
        QCOMPARE(offPace({b.sim.commands[0].ms - writePressed, b.sim.commands[1].ms - writePressed,
                          boxAt - writePressed}, {1, 3, 4}), QString());
        QCOMPARE(writeTicksAtBox, 3); // the box opens within the fourth, before it is counted
        QCOMPARE(b.boxes.last().icon, QMessageBox::Information);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Сообщение"));
        QCOMPARE(b.boxes.last().text, QStringLiteral("<FONT COLOR='#001e80'>Команды записи параметров отправлены</FONT>"));
        QCOMPARE(marksAtBox, QString());
        QCOMPARE(Probe::lastReply(*b.window), QString());
        QCOMPARE(logFrom(ui, "запись ID/Speed: %000A400600"),
                 (QStringList{"запись ID/Speed: %000A400600", "", "!0A", "запись Protocol: ~00P1", "", "!00"}));
    }

    // Noise for a configuration reply, and a new address that does not fit
    // the command: a critical box each, the sequence stopped before it,
    // nothing in the form or the codes changed, nothing (more) sent.
    void badReplyAndAddress()
    {
        BusBench b;
        QVERIFY(b.connectPort());
        b.sim.config = "-F400600";
        QList<bool> stoppedAtBox;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { stoppedAtBox << Probe::idle(*b.window); });
        b.ui->pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 4000);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title + "/" + b.boxes.last().text, QStringLiteral("Ошибка/Неверный ответ модуля"));
        QCOMPARE(b.ui->lineEdit_ID->text() + "/" + b.ui->lineEdit_ID->styleSheet(), QStringLiteral("00/"));
        QCOMPARE(Probe::typeAndFormat(*b.window), QByteArray("/"));
        QCOMPARE(logLines(b.ui).last(), QStringLiteral("!-F400600"));

        // Refused at the press.
        b.ui->lineEdit_ID->setText("256");
        b.ui->pushButton_changeParameters->click();
        QCOMPARE(b.boxes.count(), 2);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
        QVERIFY2(b.boxes.last().text.contains("«256»") && b.boxes.last().text.contains("от 0 до 255"),
                 qPrintable(b.boxes.last().text));
        // Changed to noise after the press: refused at the tick that would send it.
        b.ui->lineEdit_ID->setText("5");
        b.ui->pushButton_changeParameters->click();
        b.ui->lineEdit_ID->setText("-1");
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 3, 4000);
        QVERIFY(b.boxes.last().text.contains("«-1»"));
        QCOMPARE(stoppedAtBox, (QList<bool>{true, true, true}));
        QTest::qWait(1200);
        QCOMPARE(b.sim.commandBytes(), QList<QByteArray>{"$002\r"});
        QCOMPARE(b.boxes.count(), 3);
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
    }
};

QTEST_MAIN(TestBusDcon)
#include "test_bus_dcon.moc"
