// The window: start state, views, sizes and whole texts, the port list, both
// links, and a lost adapter.

#include "bus_bench.h"
#include "can_commands.h"
#include "text_fit.h"
#include "window_reach.h"

#include <QStatusBar>

class TestBusWindow : public QObject
{
    Q_OBJECT

    // Texts that do not fit, with either connect text on the button.
    static QStringList cut(BusBench &b)
    {
        QStringList out;
        for (const QString &t : {kDisconnect, kConnect}) {
            b.ui->pushButton_Connect->setText(t);
            QCoreApplication::processEvents();
            out << cutTexts(b.window.get());
        }
        return out;
    }

private slots:
    void startStateViewsAndSizes()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        QCOMPARE(b.window->windowTitle(), QStringLiteral("ZornConfig RSB"));
        QVERIFY(!b.window->windowIcon().isNull());
        QVERIFY(!b.window->menuWidget() && !b.window->findChild<QStatusBar *>());
        QCOMPARE((QStringList{ui->comboBox_protocol->currentText(), ui->comboBox_pro->currentText(),
                              ui->comboBox_speed->currentText(), ui->comboBox_speed_can->currentText(),
                              ui->lineEdit_ID->text(), ui->pushButton_Connect->text(),
                              ui->pushButton_changeParameters->text()}),
                 (QStringList{"DCON", "Modbus", "1200", "10", "00", kConnect, "Запи" + QStringLiteral("c") + "ать параметры"}));
        QCOMPARE(ui->comboBox_ports->count(), 0); // listed only on "Обновить"
        for (QTimer *t : Probe::timers(*b.window))
            QVERIFY(!t->isActive() && t->interval() == 1000);

        // Every view at its fixed size, with every port name a list may show.
        const QList<QWidget *> canOnly{ui->label_canOpen, ui->comboBox_speed_can, ui->pushButton_readCan};
        const QList<QWidget *> dconOnly{ui->label_speed, ui->comboBox_speed, ui->label_pro, ui->comboBox_pro, ui->groupBox_4};
        listPorts({"ttyUSB0", "ttyACM0", "/dev/pts/12"});
        ui->pushButton_scan->click();
        for (int view : {-1, 0, 1}) {
            if (view == 1)
                SKIP_IF_NO_PROCESSES(); // selecting CANOpen brings can0 up
            if (view >= 0) {
                ui->comboBox_protocol->setCurrentIndex(view);
                ui->pushButton_selectPorotocol->click();
            }
            const QSize size = view < 0 ? QSize(580, 330) : view == 0 ? QSize(580, 320) : QSize(354, 300);
            QCOMPARE(b.window->minimumSize(), size);
            QCOMPARE(b.window->maximumSize(), size);
            QTRY_COMPARE(b.window->size(), size);
            for (QWidget *w : canOnly)
                QCOMPARE(w->isVisible(), view != 0);
            for (QWidget *w : dconOnly)
                QCOMPARE(w->isVisible(), view != 1);
            QVERIFY2(cut(b).isEmpty(), qPrintable(cut(b).join('\n')));
        }
        QCOMPARE(b.sudo.lines(), QStringList{"ip link set can0 up type can bitrate 125000"});
        QCOMPARE(b.boxes.count(), 0);
    }

    void links()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        ui->pushButton_Connect->click(); // nothing listed yet: the open fails
        QTRY_COMPARE(b.boxes.count(), 1);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Отказано в доступе"));
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт отказано в доступе "));
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);

        QVERIFY(b.connectPort());
        const QSerialPort &port = Probe::serial(*b.window);
        QVERIFY(port.baudRate() == 9600 && port.dataBits() == QSerialPort::Data8
                && port.parity() == QSerialPort::NoParity && port.stopBits() == QSerialPort::OneStop);
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт открыт"));
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт Закрыт"));
        QCOMPARE(PtyDevice::openCountInThisProcess(b.sim.slavePath()), 0);

        // CAN: "Сканировать" does nothing, the list (no can0 here) replaces
        // the serial one, and the button brings can0 up and down.
        ui->comboBox_protocol->setCurrentIndex(1);
        ui->pushButton_3->click();
        QVERIFY(Probe::idle(*b.window));
        ui->pushButton_scan->click();
        QCOMPARE(ui->comboBox_ports->count(), 0);
        SKIP_IF_NO_PROCESSES();
        qputenv("FAKE_SUDO_STDOUT", "interface ready");
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kDisconnect);
        QCOMPARE(ui->lineEdit_ID->text() + "/" + ui->comboBox_speed_can->currentText(), QStringLiteral("01/125"));
        QVERIFY(logLines(ui).contains("interface ready"));
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(b.sudo.lines(), (QStringList{"ip link set can0 up type can bitrate 125000", "ip link set can0 down"}));
        QCOMPARE(b.sudo.calls().last().dir, QDir::homePath());
        QCOMPARE(b.boxes.count(), 1);
    }

    // can0 that does not come up (there is none here): one box per press,
    // naming the command and its error, and the link stays down.
    void can0NotUp()
    {
        SKIP_IF_NO_PROCESSES();
        if (can_link::interfaceUp(QString::fromLatin1(can_link::kCan0SysfsDir)))
            QSKIP("can0 is up on this machine");
        BusBench b;
        b.sudo.failOn("can0 up", "Cannot find device \"can0\"");
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->pushButton_selectPorotocol->click();
        b.ui->pushButton_Connect->click();
        QCOMPARE(b.boxes.count(), 2);
        for (const ModalCatcher::Box &box : b.boxes.boxes())
            QVERIFY2(box.icon == QMessageBox::Critical && box.title == QStringLiteral("Ошибка")
                         && box.text.contains("sudo ip link set can0 up type can bitrate 125000")
                         && box.text.contains("Cannot find device \"can0\""), qPrintable(box.text));
        QCOMPARE(b.ui->pushButton_Connect->text() + "/" + b.ui->lineEdit_ID->text(), kConnect + "/00");
        QCOMPARE(b.sudo.lines().size(), 2);
    }

    // A pulled adapter: the port is closed, the sequences stop, one box.
    void lostAdapter()
    {
        BusBench b;
        QVERIFY(b.connectPort());
        b.ui->pushButton_3->click();
        b.ui->pushButton_changeParameters->click();
        b.sim.unplug();
        QTRY_COMPARE(b.boxes.count(), 1);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title + "/" + b.boxes.last().text, QStringLiteral("Critical Error/Ошибка соединения"));
        QVERIFY(!Probe::serial(*b.window).isOpen());
        QVERIFY(Probe::idle(*b.window));
        QCOMPARE(b.ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(logLines(b.ui).last(), QStringLiteral("Порт Закрыт"));
        QTest::qWait(1500);
        QCOMPARE(b.boxes.count(), 1);
    }

    // Each view on each screen: the working size where the screen holds it,
    // every widget within reach where it does not; the window follows its
    // screen.
    void smallScreens_data() { addRoomRows(); }
    void smallScreens()
    {
        QFETCH(QRect, available);
        QFETCH(QMargins, frame);
        const window_fit::Room room{available, frame}, narrow{QRect(0, 0, 560, 400), frame};
        RoomOverride screen(narrow);
        BusBench b;
        VERIFY_FITS(*b.window, narrow, QSize(580, 330), true);
        screen.set(room);
        for (int view : {-1, 0, 1}) {
            if (view == 1)
                SKIP_IF_NO_PROCESSES(); // selecting CANOpen brings can0 up
            if (view >= 0) {
                b.ui->comboBox_protocol->setCurrentIndex(view);
                b.ui->pushButton_selectPorotocol->click();
            }
            VERIFY_FITS(*b.window, room, view < 0 ? QSize(580, 330) : view == 0 ? QSize(580, 320) : QSize(354, 300), true);
        }
    }

    // Tab reads the left column's groups top to bottom, then the log.
    void tabOrder()
    {
        BusBench b;
        QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
        const QStringList top{"comboBox_protocol", "pushButton_selectPorotocol", "comboBox_ports",
                              "pushButton_scan",   "pushButton_Connect",         "lineEdit_ID"};
        const QStringList log{"pushButton_3", "pushButton_clear", "textBrowser"};
        const QStringList start = top + QStringList{"comboBox_speed_can", "comboBox_speed", "comboBox_pro",
                                                    "pushButton_changeParameters", "pushButton_readCan"} + log;
        const QStringList dcon = top + QStringList{"comboBox_speed", "comboBox_pro", "pushButton_changeParameters"} + log;
        const QStringList can = top + QStringList{"comboBox_speed_can", "pushButton_changeParameters", "pushButton_readCan"};
        QCOMPARE(tabWalk(b.ui->comboBox_protocol), start);
        b.ui->pushButton_selectPorotocol->click(); // DCON
        QCOMPARE(tabWalk(b.ui->comboBox_protocol), dcon);
        SKIP_IF_NO_PROCESSES();
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->pushButton_selectPorotocol->click();
        QCOMPARE(tabWalk(b.ui->comboBox_protocol), can);
    }
};

QTEST_MAIN(TestBusWindow)
#include "test_bus_window.moc"
