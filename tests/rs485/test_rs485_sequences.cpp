// Reading the module on connect and writing it into its working mode, end to
// end against a simulated module: the bytes on the line, their pacing, the
// lamps, the status lines and the boxes; a silent module, a late reply, a
// reply handed over in pieces, and a flood. What each single reply does (a
// refusal, an unknown value, a reply of the wrong kind) is the steps test's.

#include "rs485_bench.h"

using Bytes = QList<QByteArray>;

class Rs485SequencesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }

    void readOnConnect();
    void writeToWorkingMode();
    void silentModule();
    void lateReplyWhileTimeOutBoxIsOpen();
    void replyInTwoReads();
    void unexpectedReplyEndsSequence();
};

#define VERIFY_MS(v, lo, hi) QVERIFY2((v) >= (lo) && (v) < (hi), qPrintable(QString::number(v)))

void Rs485SequencesTest::readOnConnect()
{
    Rs485Bench b;
    b.module.speed = "115200";
    b.module.stopBits = "2";
    b.module.parity = "even";
    // The bar counts the commands answered, of the read's four.
    QProgressBar *bar = b.window->findChild<QProgressBar *>();
    QList<int> answeredAtSend;
    QObject::connect(&b.module, &PtyDevice::frameReceived, [&] { answeredAtSend << bar->value(); });
    const qint64 clicked = b.module.elapsedMs();
    b.connectModule();
    QVERIFY(bar->isVisible() && bar->maximum() == 4);
    QTRY_VERIFY_WITH_TIMEOUT(Probe::readDone(*b.window), 10000);
    QCOMPARE(answeredAtSend, (QList<int>{0, 1, 2, 3}));
    QVERIFY(!bar->isVisible());

    QCOMPARE(b.module.frameBytes(), (Bytes{"-h", "-baudrate", "-stop bits", "-parity"}));
    // 100 ms to the first command, 300 ms after the unrecognised answer to
    // "-h", 500 ms after each report; plus the reply's own way.
    VERIFY_MS(b.module.frames().at(0).ms - clicked, 80, 1000);
    VERIFY_MS(gap(b.module, 1), 300, 1000);
    VERIFY_MS(gap(b.module, 2), 500, 1200);
    VERIFY_MS(gap(b.module, 3), 500, 1200);

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
}

void Rs485SequencesTest::writeToWorkingMode()
{
    Rs485Bench b;
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(Probe::readDone(*b.window), 10000);
    b.module.clear();
    b.takeStatusLines();

    // Each list is red while its command is on the line.
    QStringList lampsAtCommand;
    QObject::connect(&b.module, &PtyDevice::frameReceived, [&] {
        QString red;
        for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
            red += list->styleSheet() == redSS ? 'R' : '-';
        lampsAtCommand << red;
    });
    b.ui->CB_ST_Speed->setCurrentText("19200");
    b.ui->CB_ST_Stop_bit->setCurrentText("2");
    b.ui->CB_ST_Parity->setCurrentText("odd");
    b.ui->BT_Write_values->click();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 12000);

    QCOMPARE(b.module.frameBytes(), (Bytes{"-baudrate:19200", "-stop bits:2", "-parity:odd", "-st"}));
    QCOMPARE(lampsAtCommand, (QStringList{"R--", "-R-", "--R", "---"}));
    for (int i : {1, 2, 3}) // 1500 ms after each confirmation
        VERIFY_MS(gap(b.module, i), 1500, 2300);
    QCOMPARE(b.module.parity, QStringLiteral("odd"));

    const ModalCatcher::Box box = b.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.title, QStringLiteral("Результат"));
    QCOMPARE(box.text, QStringLiteral("Новые настройки записаны!\n\rМодуль переведен в режим работы!"));
    QCOMPARE(box.buttons, QStringList{"OK"});
    QCOMPARE(PtyDevice::openCountInThisProcess(b.module.slavePath()), 0);
    QCOMPARE(b.ui->BT_Open_Connect->text(), kDisconnect);
    QCOMPARE(b.takeStatusLines(),
             (QStringList{"Передано :-baudrate:19200", "Получено :Ok\r\n", "Передано :-stop bits:2", "Получено :Ok\r\n",
                          "Передано :-parity:odd", "Получено :Ok\r\n", "Передано :-st",
                          "Получено :module is working\r\n"}));
    for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
        QCOMPARE(list->styleSheet(), greenSS);
}

void Rs485SequencesTest::silentModule()
{
    Rs485Bench b;
    b.module.answers["-h"] = "";
    qint64 boxAt = -1;
    b.boxes.setInspector([&](const ModalCatcher::Box &) { boxAt = b.module.elapsedMs(); });
    b.connectModule();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 6000);
    VERIFY_MS(boxAt - b.module.frames().at(0).ms, 2700, 4500);
    QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
    QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка соединения"));
    QCOMPARE(b.window->statusBar()->currentMessage(), QStringLiteral("Ошибка"));
    QVERIFY(!b.window->findChild<QProgressBar *>()->isVisible()); // the read rests
    QTest::qWait(1000);
    QCOMPARE(b.module.frameBytes(), Bytes{"-h"});
    QCOMPARE(b.boxes.count(), 1);
    QVERIFY(PtyDevice::openCountInThisProcess(b.module.slavePath()) > 0); // the link stays
}

// The answer to "-h" comes while the time-out box is still open: it moves the
// read on, and the next command, left unanswered, gets its own time-out.
void Rs485SequencesTest::lateReplyWhileTimeOutBoxIsOpen()
{
    Rs485Bench b;
    b.module.delays["-h"] = 3400;
    b.module.answers["-baudrate"] = "";
    b.boxes.setHoldMs(1500);
    b.connectModule();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 2, 12000);
    QCOMPARE(b.module.frameBytes(), (Bytes{"-h", "-baudrate"}));
    QCOMPARE(Probe::lastReply(*b.window), QStringLiteral("Vesk-RS485-ST\r\n"));
}

// The adapter hands each reply over in two reads 10 ms apart ("parity " and
// "even\r\n"): it is decoded once, whole.
void Rs485SequencesTest::replyInTwoReads()
{
    Rs485Bench b;
    b.module.stopBits = "2";
    b.module.parity = "even";
    b.module.splitAt = 7;
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(Probe::readDone(*b.window), 10000);
    QCOMPARE(b.module.frames().size(), 4);
    QCOMPARE(b.ui->CB_ST_Speed->currentIndex(), 4);
    QCOMPARE(b.ui->CB_ST_Stop_bit->currentIndex(), 2);
    QCOMPARE(b.ui->CB_ST_Parity->currentIndex(), 3);
    for (QComboBox *list : {b.ui->CB_ST_Speed, b.ui->CB_ST_Stop_bit, b.ui->CB_ST_Parity})
        QCOMPARE(list->styleSheet(), greenSS);
    QCOMPARE(b.takeStatusLines().filter("Получено :"),
             (QStringList{"Получено :Vesk-RS485-ST\r\n", "Получено :baudrate 9600\r\n", "Получено :stop bits 2\r\n",
                          "Получено :parity even\r\n"}));
}

// A line that never falls quiet is judged as soon as the reply runs past its
// bound: the sequence ends with a box, before which every sequence timer is
// stopped, and the rest of the flood is nobody's reply.
void Rs485SequencesTest::unexpectedReplyEndsSequence()
{
    Rs485Bench b;
    QList<bool> idleAtBox;
    b.boxes.setInspector([&](const ModalCatcher::Box &) {
        idleAtBox << (!Probe::timers(*b.window).at(1)->isActive() && !Probe::timers(*b.window).at(2)->isActive());
    });
    // 1 MiB without a quiet moment, an "Ok" far past the bound.
    QByteArray flood(1 << 20, '~');
    flood.replace(1 << 19, 2, "Ok");
    b.module.answers = {{"-h", flood}};
    b.connectModule();
    QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 5000);
    QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
    QCOMPARE(b.boxes.last().text, QStringLiteral("Неожиданный ответ модуля: ") + QString(64, '~'));
    QCOMPARE(idleAtBox.last(), true);
    for (QTimer *t : Probe::timers(*b.window))
        QVERIFY(!t->isActive());
    QTest::qWait(1000); // the rest of the flood is taken in as nobody's reply
    QCOMPARE(b.boxes.count(), 1);
    QCOMPARE(b.module.frameBytes(), QList<QByteArray>{"-h"});
}

QTEST_MAIN(Rs485SequencesTest)
#include "test_rs485_sequences.moc"
