// The RS-485 module window as the engineer first meets it, connecting and
// disconnecting, and the ways a link fails: a port that cannot be opened, an
// adapter pulled out, a link closed while a reply was awaited.

#include "rs485_bench.h"
#include "text_fit.h"
#include "window_reach.h"

#include <QPointer>


class Rs485WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { listPorts({}); }
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }

    void startState();
    void connectAndDisconnect();
    void openFailureReportedOnce();
    void pulledAdapter();
    void newLinkWaitsForNothingOfTheOld();
    void smallScreens_data() { addRoomRows(); }
    void smallScreens();
    void tabOrder();
};

void Rs485WindowTest::startState()
{
    listPorts({"ttyUSB0", "ttyACM0", "ttyS0"});
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Ui_MainWindow *ui = Probe::ui(w);

    QCOMPARE(w.windowTitle(), QStringLiteral("Конфигуратор Vesk-RS485-ST v1.0"));
    QCOMPARE(w.size(), QSize(537, 299));
    QVERIFY(w.minimumSize() != w.maximumSize()); // resizable
    QVERIFY(w.statusBar() != ui->statusbar);     // its own status bar

    QCOMPARE(ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(ui->BT_find->isEnabled() && ui->BT_Open_Connect->isEnabled() && ui->BT_Open_Connect_2->isEnabled());
    QVERIFY(!ui->BT_Read_values->isEnabled() && !ui->BT_Write_values->isEnabled());
    QTRY_COMPARE(Probe::ports(w), (QStringList{"ttyUSB0", "ttyACM0", "ttyS0"})); // listed once painted
    QCOMPARE(ui->cbPorts->count(), 3);
    QCOMPARE(ui->cbPorts->itemText(2), QStringLiteral("ttyS0"));
    for (QComboBox *list : {ui->CB_ST_Speed, ui->CB_ST_Stop_bit, ui->CB_ST_Parity})
        QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(ui->CB_ST_Speed->itemText(10), QStringLiteral("256000"));
    QCOMPARE(ui->CB_ST_Parity->itemText(3), QStringLiteral("even"));

    for (QTimer *t : Probe::timers(w))
        QVERIFY(!t->isActive());
    QVERIFY(!Probe::serial(w));

    // The lamps: templates with a border radius of 5.
    QCOMPARE(greenSS, QStringLiteral("color: black;border-radius: 5;background-color: qlineargradient(spread:pad, "
                                     "x1:0.145, y1:0.16, x2:1, y2:1, stop:0 rgba(138, 240, 87, 255), stop:1 "
                                     "rgba(32, 152, 15, 255));"));
    for (const QString &ss : {graySS, gray2SS, redSS})
        QVERIFY(ss.contains("border-radius: 5;"));

    // Every text shows whole, every item of every list included, and the
    // longest status lines beside the progress bar.
    w.findChild<QProgressBar *>()->show();
    QStringList cut;
    for (const char *line : {"Передано :-baudrate:256000", "Получено :module is working\r\n"}) {
        w.statusBar()->showMessage(QString::fromUtf8(line));
        QTest::qWait(50);
        cut << cutTexts(&w);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));

    // "Обновить" takes the list as it is now, an empty one too.
    listPorts({});
    ui->BT_Open_Connect_2->click();
    QCOMPARE(ui->cbPorts->count(), 0);
    QVERIFY(Probe::ports(w).isEmpty());
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Порты обновлены"));
}

void Rs485WindowTest::connectAndDisconnect()
{
    Rs485Bench b;
    const QString path = b.module.slavePath();

    // A click while the search runs changes nothing.
    b.ui->BT_find->click();
    b.ui->BT_Open_Connect->click();
    QCOMPARE(b.ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(!Probe::serial(*b.window));
    b.ui->BT_find->click();

    b.connectModule();
    QCOMPARE(b.ui->BT_Open_Connect->text(), kDisconnect);
    QVERIFY(!b.ui->BT_find->isEnabled());
    QVERIFY(b.ui->BT_Read_values->isEnabled() && b.ui->BT_Write_values->isEnabled());
    QVERIFY(PtyDevice::openCountInThisProcess(path) > 0);
    const QSerialPort *port = Probe::serial(*b.window);
    QCOMPARE(port->baudRate(), 9600);
    QCOMPARE(port->dataBits(), QSerialPort::Data8);
    QCOMPARE(port->parity(), QSerialPort::NoParity);
    QCOMPARE(port->stopBits(), QSerialPort::OneStop);
    QCOMPARE(port->flowControl(), QSerialPort::NoFlowControl);
    b.module.answers["-parity"] = "";
    QTRY_COMPARE(b.module.frames().size(), 4); // the read ran, its last reply awaited

    b.ui->BT_Open_Connect->click();
    QCOMPARE(b.ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(b.ui->BT_find->isEnabled());
    QVERIFY(!b.ui->BT_Read_values->isEnabled() && !b.ui->BT_Write_values->isEnabled());
    QCOMPARE(PtyDevice::openCountInThisProcess(path), 0);
    for (QTimer *t : Probe::timers(*b.window)) // the reply time-out too
        QVERIFY(!t->isActive());
    b.module.answers.clear();

    // The next link gets a port object of its own; the old one goes.
    QPointer<QSerialPort> old = Probe::serial(*b.window);
    b.connectModule();
    QVERIFY(Probe::serial(*b.window) != old.data());
    QTRY_VERIFY(old.isNull());
    QTRY_COMPARE(b.module.frames().size(), 8);
    QCOMPARE(b.boxes.count(), 0);
}

// Reported once, at once: no command goes out on it and no time-out follows.
void Rs485WindowTest::openFailureReportedOnce()
{
    MainWindow w; // no serial port present: the list is empty
    w.show();
    ModalCatcher boxes;
    Ui_MainWindow *ui = Probe::ui(w);
    ui->BT_Open_Connect->click();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().title, QStringLiteral("Critical Error"));
    QCOMPARE(boxes.last().text, QStringLiteral("Ошибка соединения"));
    QCOMPARE(ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(ui->BT_find->isEnabled());
    QVERIFY(!ui->BT_Read_values->isEnabled() && !ui->BT_Write_values->isEnabled());
    QTest::qWait(3600); // past the reply time-out
    QCOMPARE(boxes.count(), 1);
    QVERIFY(!Probe::timers(w).at(3)->isActive() && !Probe::timers(w).at(1)->isActive());
}

// The port of a pulled-out adapter is closed before anything else (a dead
// port left open can report its error over and over), and the loss is
// reported once: the command it cut off gets no time-out box of its own.
void Rs485WindowTest::pulledAdapter()
{
    Rs485Bench b;
    const QString path = b.module.slavePath();
    b.module.answers["-parity"] = "";
    b.connectModule();
    QTRY_COMPARE(b.module.frames().size(), 4);

    b.module.unplug();
    QTRY_COMPARE(b.boxes.count(), 1);
    QCOMPARE(b.boxes.last().title, QStringLiteral("Critical Error"));
    QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка соединения"));
    QCOMPARE(PtyDevice::openCountInThisProcess(path), 0);
    QCOMPARE(b.ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(b.ui->BT_find->isEnabled() && !b.ui->BT_Read_values->isEnabled());

    QTest::qWait(3500);
    QCOMPARE(b.boxes.count(), 1);
}

// A link closed while a reply was still awaited: the bytes the module sends
// before the next link asks it anything are nobody's reply.
void Rs485WindowTest::newLinkWaitsForNothingOfTheOld()
{
    Rs485Bench b;
    b.module.answers["-baudrate"] = "";
    b.connectModule();
    QTRY_COMPARE(b.module.frames().size(), 2);
    b.ui->BT_Open_Connect->click();
    b.module.answers.clear();
    b.module.clear();
    b.module.send("Ok"); // waits in the line until the port is opened again
    b.connectModule();
    QTRY_VERIFY_WITH_TIMEOUT(Probe::readDone(*b.window), 10000);
    QCOMPARE(b.module.frameBytes(), (QList<QByteArray>{"-h", "-baudrate", "-stop bits", "-parity"}));
    QCOMPARE(b.boxes.count(), 0);
}

// The resizable window on each screen: its size and smallest size where the
// screen holds them, every widget within reach where it does not; the window
// follows its screen.
void Rs485WindowTest::smallScreens()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    const window_fit::Room room{available, frame}, small{QRect(0, 0, 400, 240), frame};
    RoomOverride screen(room);
    MainWindow plain, w; // as the form leaves it, and fitted
    plain.show();
    window_fit::fitResizable(w);
    w.findChild<QProgressBar *>()->show(); // in reach as the rest
    w.show();
    VERIFY_FITS(w, room, QSize(537, 299), false);
    QCOMPARE(w.minimumSize(), plain.minimumSize()); // every room here holds it
    screen.set(small);
    VERIFY_FITS(w, small, QSize(537, 299), false);
    QVERIFY(w.minimumSize() != w.maximumSize());
}

// Tab goes row by row.
void Rs485WindowTest::tabOrder()
{
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Ui_MainWindow *ui = Probe::ui(w);
    ui->BT_Read_values->setEnabled(true); // as with the link open
    ui->BT_Write_values->setEnabled(true);
    QCOMPARE(tabWalk(ui->cbPorts), QString("cbPorts BT_Open_Connect_2 BT_find BT_Open_Connect CB_ST_Speed CB_ST_Stop_bit "
                                           "CB_ST_Parity BT_Read_values BT_Write_values")
                                       .split(' '));
}

QTEST_MAIN(Rs485WindowTest)
#include "test_rs485_window.moc"
