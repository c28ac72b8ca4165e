// Reading the module on connect and writing it into its working mode, end to
// end against a simulated module: the bytes on the line, their pacing, the
// lamps, the status lines and the boxes; a refused write, a silent module, a
// late reply and a reply handed over in pieces.

#include "rs485_bench.h"

class Rs485SequencesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }

    void readOnConnect();
    void writeToWorkingMode();
    void refusedFirstWrite();
    void silentModule();
    void lateReplyWhileTimeOutBoxIsOpen();
    void replyInTwoReads();
};

namespace {

bool readDone(const Rs485Bench &b)
{
    return Probe::readStep(*b.window) == 4 && !Probe::readTimer(*b.window)->isActive()
        && !Probe::awaitingReply(*b.window);
}

// Pause between command i-1 and command i, ms.
qint64 gap(const ModuleSim &m, int i)
{
    return m.commandTimes().at(i) - m.commandTimes().at(i - 1);
}

} // namespace

void Rs485SequencesTest::readOnConnect()
{
    Rs485Bench b;
    b.module.speed = "115200";
    b.module.stopBits = "2";
    b.module.parity = "even";
    const qint64 clicked = b.module.elapsedMs();
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(readDone(b), 10000);

    QCOMPARE(b.module.frameBytes(), (QList<QByteArray>{"-h", "-baudrate", "-stop bits", "-parity"}));
    // 100 ms to the first command; 300 ms after the unrecognised answer to
    // "-h", 500 ms after each report, plus the reply's own way.
    const qint64 first = b.module.commandTimes().at(0) - clicked;
    QVERIFY2(first >= 80 && first < 700, qPrintable(QString::number(first)));
    QVERIFY2(gap(b.module, 1) >= 300 && gap(b.module, 1) < 1000, qPrintable(QString::number(gap(b.module, 1))));
    for (int i : {2, 3})
        QVERIFY2(gap(b.module, i) >= 500 && gap(b.module, i) < 1200, qPrintable(QString::number(gap(b.module, i))));

    QCOMPARE(b.ui->CB_ST_Speed->currentIndex(), 8);
    QCOMPARE(b.ui->CB_ST_Stop_bit->currentIndex(), 2);
    QCOMPARE(b.ui->CB_ST_Parity->currentIndex(), 3);
    for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
        QCOMPARE(list->styleSheet(), greenSS);
    QCOMPARE(b.takeStatusLines(),
             (QStringList{"Чтение начато", "Передано :-h", "Получено :Vesk-RS485-ST\r\n", "Передано :-baudrate",
                          "Получено :baudrate 115200\r\n", "Передано :-stop bits", "Получено :stop bits 2\r\n",
                          "Передано :-parity", "Получено :parity even\r\n"}));
    QCOMPARE(b.boxes.count(), 0);

    // A rate the list does not know: red, entry kept, and the read goes on.
    b.module.clear();
    b.module.speed = "1234";
    b.ui->BT_Read_values->click();
    QTRY_VERIFY_WITH_TIMEOUT(readDone(b) && b.module.commands().size() == 4, 10000);
    QCOMPARE(b.ui->CB_ST_Speed->styleSheet(), redSS);
    QCOMPARE(b.ui->CB_ST_Speed->currentIndex(), 8);
    QVERIFY(gap(b.module, 2) >= 500);
}

void Rs485SequencesTest::writeToWorkingMode()
{
    Rs485Bench b;
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(readDone(b), 10000);
    b.module.clear();
    b.takeStatusLines();

    // Each list is red while its command is on the line.
    QStringList lampsAtCommand;
    QObject::connect(&b.module, &PtyDevice::frameReceived, [&] {
        lampsAtCommand << QString("%1%2%3")
                              .arg(b.ui->CB_ST_Speed->styleSheet() == redSS ? 'R' : '-')
                              .arg(b.ui->CB_ST_Stop_bit->styleSheet() == redSS ? 'R' : '-')
                              .arg(b.ui->CB_ST_Parity->styleSheet() == redSS ? 'R' : '-');
    });
    b.ui->CB_ST_Speed->setCurrentText("19200");
    b.ui->CB_ST_Stop_bit->setCurrentText("2");
    b.ui->CB_ST_Parity->setCurrentText("odd");
    b.ui->BT_Write_values->click();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 12000);

    QCOMPARE(b.module.frameBytes(), (QList<QByteArray>{"-baudrate:19200", "-stop bits:2", "-parity:odd", "-st"}));
    QCOMPARE(lampsAtCommand, (QStringList{"R--", "-R-", "--R", "---"}));
    for (int i : {1, 2, 3}) // 1500 ms after each confirmation
        QVERIFY2(gap(b.module, i) >= 1500 && gap(b.module, i) < 2300, qPrintable(QString::number(gap(b.module, i))));
    QCOMPARE(b.module.speed, QStringLiteral("19200"));
    QCOMPARE(b.module.parity, QStringLiteral("odd"));

    const ModalCatcher::Box box = b.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.title, QStringLiteral("Результат"));
    QCOMPARE(box.text, kWorkingBox);
    QCOMPARE(box.buttons, QStringList{"OK"});
    QCOMPARE(PtyDevice::openCountInThisProcess(b.module.slavePath()), 0); // closed before the box
    QCOMPARE(b.ui->BT_Open_Connect->text(), kDisconnect);
    QCOMPARE(b.takeStatusLines(),
             (QStringList{"Передано :-baudrate:19200", "Получено :Ok\r\n", "Передано :-stop bits:2", "Получено :Ok\r\n",
                          "Передано :-parity:odd", "Получено :Ok\r\n", "Передано :-st",
                          "Получено :module is working\r\n"}));
    for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
        QCOMPARE(list->styleSheet(), greenSS);
    QVERIFY(!Probe::writeTimer(*b.window)->isActive());
}

void Rs485SequencesTest::refusedFirstWrite()
{
    Rs485Bench b;
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(readDone(b), 10000);
    b.module.clear();
    b.ui->CB_ST_Speed->setCurrentIndex(0); // sent as it stands: ends at the colon
    b.ui->BT_Write_values->click();
    QTRY_VERIFY(!Probe::awaitingReply(*b.window) && b.module.commands().size() == 1);
    QTest::qWait(2200); // longer than the pause after a confirmation
    QCOMPARE(b.module.frameBytes(), QList<QByteArray>{"-baudrate:"});
    QCOMPARE(b.ui->CB_ST_Speed->styleSheet(), redSS);
    QCOMPARE(b.ui->CB_ST_Speed->currentIndex(), 0);
    QCOMPARE(b.ui->CB_ST_Stop_bit->styleSheet(), greenSS); // untouched since the read
    QVERIFY(!Probe::writeTimer(*b.window)->isActive());
    QCOMPARE(b.boxes.count(), 0);
}

void Rs485SequencesTest::silentModule()
{
    Rs485Bench b;
    b.module.answer("-h", QByteArray());
    qint64 boxAt = -1;
    b.boxes.setInspector([&](const ModalCatcher::Box &) { boxAt = b.module.elapsedMs(); });
    b.connectModule();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 6000);
    const qint64 wait = boxAt - b.module.commandTimes().at(0);
    QVERIFY2(wait >= 2700 && wait < 4500, qPrintable(QString::number(wait)));
    QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
    QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка соединения"));
    QCOMPARE(b.window->statusBar()->currentMessage(), QStringLiteral("Ошибка"));
    QTest::qWait(1000);
    QCOMPARE(b.module.commands(), QStringList{"-h"});
    QCOMPARE(b.boxes.count(), 1);
    QVERIFY(PtyDevice::openCountInThisProcess(b.module.slavePath()) > 0); // the link stays
}

// The answer to "-h" comes while the time-out box is still open: it moves the
// read on, and the next command, left unanswered, gets its own time-out.
void Rs485SequencesTest::lateReplyWhileTimeOutBoxIsOpen()
{
    Rs485Bench b;
    b.module.setReplyDelayMs("-h", 3400);
    b.module.answer("-baudrate", QByteArray());
    b.boxes.setHoldMs(1500);
    b.connectModule();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 2, 12000);
    QCOMPARE(b.module.commands(), (QStringList{"-h", "-baudrate"}));
    QCOMPARE(Probe::lastReply(*b.window), QStringLiteral("Vesk-RS485-ST\r\n"));
    QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка соединения"));
}

// The adapter hands a report over in two reads 10 ms apart: it is decoded
// once, whole.
void Rs485SequencesTest::replyInTwoReads()
{
    Rs485Bench b;
    b.module.stopBits = "2";
    b.module.parity = "even";
    b.module.setSplit(7, 10); // "parity " + "even\r\n", "baudrat" + "e 9600\r\n", ...
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(readDone(b), 10000);
    QCOMPARE(b.module.commands().size(), 4);
    QCOMPARE(b.ui->CB_ST_Speed->currentIndex(), 4);
    QCOMPARE(b.ui->CB_ST_Stop_bit->currentIndex(), 2);
    QCOMPARE(b.ui->CB_ST_Parity->currentIndex(), 3);
    for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
        QCOMPARE(list->styleSheet(), greenSS);
    const QStringList received = b.takeStatusLines().filter("Получено :");
    QCOMPARE(received, (QStringList{"Получено :Vesk-RS485-ST\r\n", "Получено :baudrate 9600\r\n",
                                    "Получено :stop bits 2\r\n", "Получено :parity even\r\n"}));
}

QTEST_MAIN(Rs485SequencesTest)
#include "test_rs485_sequences.moc"
