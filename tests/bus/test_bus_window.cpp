// The bus configurator's window: start state, views and their sizes, whole
// texts, port list, connecting both links, and a lost adapter.

#include "bus_bench.h"
#include "text_fit.h"

#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

class TestBusWindow : public QObject
{
    Q_OBJECT

    // Whole texts with every port name and both connect texts.
    QStringList cutWithBothConnectTexts(BusBench &b)
    {
        QCoreApplication::processEvents();
        QStringList cut;
        const QString text = b.ui->pushButton_Connect->text();
        for (const QString &t : {kConnect, kDisconnect}) {
            b.ui->pushButton_Connect->setText(t);
            QCoreApplication::processEvents();
            cut << cutTexts(b.window.get());
        }
        b.ui->pushButton_Connect->setText(text);
        cut.removeDuplicates();
        return cut;
    }

private slots:
    void startStateViewsAndSizes()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        QCOMPARE(b.window->windowTitle(), QStringLiteral("ZornConfig RSB"));
        QVERIFY(!b.window->windowIcon().isNull());
        QCOMPARE(b.window->size(), QSize(580, 330));
        QCOMPARE(b.window->minimumSize(), b.window->maximumSize());
        QVERIFY(!b.window->menuWidget() && !b.window->findChild<QStatusBar *>());
        QCOMPARE(ui->comboBox_protocol->currentText(), QStringLiteral("DCON"));
        QCOMPARE(ui->comboBox_pro->currentText(), QStringLiteral("Modbus"));
        QCOMPARE(ui->comboBox_speed->currentText(), QStringLiteral("1200"));
        QCOMPARE(ui->comboBox_speed_can->currentText(), QStringLiteral("10"));
        QCOMPARE(ui->lineEdit_ID->text(), QStringLiteral("00"));
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(ui->pushButton_changeParameters->text(), kWrite);
        QCOMPARE(ui->comboBox_ports->count(), 0); // listed only on "Обновить"
        for (QWidget *w : b.window->findChildren<QWidget *>(QRegularExpression("^(?!qt_).+")))
            if (!qobject_cast<QComboBox *>(w->parentWidget()) && w->window() == b.window.get())
                QVERIFY2(w->isVisibleTo(b.window.get()), qPrintable(w->objectName()));
        for (QTimer *t : Probe::timers(*b.window)) {
            QVERIFY(!t->isActive());
            QCOMPARE(t->interval(), 1000);
        }

        listPorts({"ttyUSB0", "ttyACM0", "ttyS0", "/dev/pts/12"});
        ui->pushButton_scan->click();
        { const QStringList cut = cutWithBothConnectTexts(b); QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n'))); }

        ui->comboBox_protocol->setCurrentIndex(0);
        ui->pushButton_selectPorotocol->click();
        QCOMPARE(b.window->size(), QSize(580, 320));
        QVERIFY(ui->label_canOpen->isHidden() && ui->comboBox_speed_can->isHidden());
        QVERIFY(!ui->groupBox_4->isHidden() && !ui->comboBox_pro->isHidden());
        { const QStringList cut = cutWithBothConnectTexts(b); QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n'))); }
        QVERIFY(b.sudo.lines().isEmpty());

        ui->comboBox_protocol->setCurrentIndex(1);
        ui->pushButton_selectPorotocol->click();
        QCOMPARE(b.window->size(), QSize(354, 300));
        QCOMPARE(b.window->minimumSize(), b.window->maximumSize());
        QVERIFY(!ui->label_canOpen->isHidden() && !ui->comboBox_speed_can->isHidden());
        for (QWidget *w : QList<QWidget *>{ui->label_speed, ui->comboBox_speed, ui->label_pro, ui->comboBox_pro, ui->groupBox_4})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        { const QStringList cut = cutWithBothConnectTexts(b); QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n'))); }
        QCOMPARE(b.sudo.lines(), QStringList{"ip link set can0 up type can bitrate 125000"});
        QCOMPARE(b.boxes.count(), 0);
    }

    void portListAndSerialLink()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        // No port listed: the open fails and says so.
        listPorts({});
        ui->pushButton_Connect->click();
        QTRY_COMPARE(b.boxes.count(), 1);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Отказано в доступе"));
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт отказано в доступе "));

        listPorts({"ttyUSB0", b.sim.slavePath()});
        ui->comboBox_ports->addItem("stale");
        ui->pushButton_scan->click();
        QCOMPARE(ui->comboBox_ports->count(), 2);
        QCOMPARE(ui->comboBox_ports->itemText(1), b.sim.slavePath());

        QVERIFY(b.connectPort());
        const QSerialPort &port = Probe::serial(*b.window);
        QCOMPARE(port.baudRate(), 9600);
        QCOMPARE(port.dataBits(), QSerialPort::Data8);
        QCOMPARE(port.parity(), QSerialPort::NoParity);
        QCOMPARE(port.stopBits(), QSerialPort::OneStop);
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт открыт"));
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QVERIFY(!port.isOpen());
        QCOMPARE(logLines(ui).last(), QStringLiteral("Порт Закрыт"));
        QCOMPARE(PtyDevice::openCountInThisProcess(b.sim.slavePath()), 0);

        // "Сканировать" in CAN mode does nothing; the CAN list has no can0 here
        // and replaces the serial one.
        ui->comboBox_protocol->setCurrentIndex(1);
        ui->pushButton_3->click();
        QVERIFY(!Probe::anyTimerActive(*b.window));
        ui->pushButton_scan->click();
        QCOMPARE(ui->comboBox_ports->count(), 0);
        QVERIFY(b.sudo.lines().isEmpty());
        QCOMPARE(b.boxes.count(), 1);
    }

    void canLinkConnectAndDisconnect()
    {
        BusBench b;
        Ui_MainWindow *ui = b.ui;
        qputenv("FAKE_SUDO_STDOUT", "interface ready");
        ui->comboBox_protocol->setCurrentIndex(1);
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kDisconnect);
        QCOMPARE(ui->lineEdit_ID->text(), QStringLiteral("01"));
        QCOMPARE(ui->comboBox_speed_can->currentText(), QStringLiteral("125"));
        QVERIFY(logLines(ui).contains(QStringLiteral("interface ready")));
        ui->pushButton_Connect->click();
        QCOMPARE(ui->pushButton_Connect->text(), kConnect);
        QCOMPARE(b.sudo.lines(), (QStringList{"ip link set can0 up type can bitrate 125000",
                                              "ip link set can0 down"}));
        for (const FakeSudo::Call &c : b.sudo.calls())
            QCOMPARE(c.dir, QDir::homePath());
        QCOMPARE(b.boxes.count(), 0);
    }

    // A pulled adapter: the port is closed at once, the sequences stop, and
    // the user hears about it once.
    void lostAdapter()
    {
        BusBench b;
        QVERIFY(b.connectPort());
        b.ui->pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.sim.commands().size(), 1, 3000);
        b.ui->pushButton_changeParameters->click();
        b.sim.unplug();
        QTRY_COMPARE(b.boxes.count(), 1);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Critical Error"));
        QCOMPARE(b.boxes.last().text, QStringLiteral("Ошибка соединения"));
        QVERIFY(!Probe::serial(*b.window).isOpen());
        QCOMPARE(PtyDevice::openCountInThisProcess(b.sim.slavePath()), 0);
        QVERIFY(!Probe::anyTimerActive(*b.window));
        QCOMPARE(Probe::steps(*b.window), (QList<int>{0, 0, 0}));
        QCOMPARE(b.ui->pushButton_Connect->text(), kConnect);
        QVERIFY(logLines(b.ui).contains(QStringLiteral("Порт Закрыт")));
        QTest::qWait(1500);
        QCOMPARE(b.boxes.count(), 1);
    }
};

QTEST_MAIN(TestBusWindow)
#include "test_bus_window.moc"
