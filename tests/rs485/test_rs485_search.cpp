// The module search: a port that shows up is taken for the module, opened
// and read; stopping and restarting; the give-up after 1200 ticks; two ports
// that show up in one tick.

#include "rs485_bench.h"

class Rs485SearchTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { listPorts({}); }
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }

    void pluggedInPortIsFoundAndRead();
    void stopAndRestart();
    void givesUpOnTick1201();
    void twoPortsInOneTick();
};

namespace {

void tick(MainWindow &w)
{
    QVERIFY(QMetaObject::invokeMethod(&w, "onfindTimerST5", Qt::DirectConnection));
}

} // namespace

void Rs485SearchTest::pluggedInPortIsFoundAndRead()
{
    ModuleSim module;
    MainWindow w;
    w.show();
    ModalCatcher boxes;
    Ui_MainWindow *ui = Probe::ui(w);
    ui->BT_find->click();
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Поиск начат"));
    QProgressBar *bar = w.findChild<QProgressBar *>();
    QVERIFY(bar->isVisible() && bar->maximum() == 0); // busy: no end
    QTRY_VERIFY(Probe::findTicks(w) >= 3);

    const QString path = module.slavePath();
    listPorts({path}); // plugged in
    const qint64 plugged = module.elapsedMs();
    QTRY_COMPARE_WITH_TIMEOUT(ui->cbPorts->currentText(), path, 2000);
    QVERIFY(module.elapsedMs() - plugged < 1000); // the next tick, give or take a loaded machine
    QCOMPARE(ui->cbPorts->count(), 1);
    QCOMPARE(ui->BT_Open_Connect->text(), kDisconnect);
    QCOMPARE(ui->BT_find->styleSheet(), greenSS);
    QCOMPARE(bar->maximum(), 4); // the read's
    QVERIFY(!Probe::timers(w).at(0)->isActive());
    QVERIFY(!ui->BT_Read_values->isEnabled()); // until the parity report
    QVERIFY(PtyDevice::openCountInThisProcess(path) > 0);

    QTRY_COMPARE_WITH_TIMEOUT(module.frames().size(), 1, 5000);
    const qint64 wait = module.frames().at(0).ms - plugged;
    QVERIFY2(wait >= 2700 && wait < 4500, qPrintable(QString::number(wait)));
    QTRY_VERIFY_WITH_TIMEOUT(ui->BT_Read_values->isEnabled() && ui->BT_Write_values->isEnabled(), 5000);
    QCOMPARE(module.frameBytes(), (QList<QByteArray>{"-h", "-baudrate", "-stop bits", "-parity"}));
    QCOMPARE(boxes.count(), 0);
}

void Rs485SearchTest::stopAndRestart()
{
    MainWindow w;
    w.show();
    Ui_MainWindow *ui = Probe::ui(w);
    QStringList looks; // BT_find after each tick
    QObject::connect(Probe::timers(w).at(0), &QTimer::timeout, [&] { looks << ui->BT_find->styleSheet(); });

    ui->BT_find->click();
    QCOMPARE(ui->BT_find->styleSheet(), graySS);
    QTRY_VERIFY(looks.size() >= 4);
    for (int i = 0; i < looks.size(); ++i)
        QCOMPARE(looks.at(i), i % 2 ? graySS : gray2SS);
    QCOMPARE(Probe::findTicks(w), looks.size());

    ui->BT_find->click();
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Поиск остановлен"));
    QVERIFY(!w.findChild<QProgressBar *>()->isVisible());
    QCOMPARE(ui->BT_find->styleSheet(), graySS);
    QVERIFY(!Probe::timers(w).at(0)->isActive());
    QCOMPARE(ui->BT_Open_Connect->text(), kConnect);

    ui->BT_find->click(); // counts from zero again
    QCOMPARE(Probe::findTicks(w), 0);
    QVERIFY(Probe::timers(w).at(0)->isActive());
    QCOMPARE(Probe::timers(w).at(0)->interval(), 100);
}

// The ticks go through the search's own tick slot; the count is the window's.
void Rs485SearchTest::givesUpOnTick1201()
{
    MainWindow w;
    w.show();
    Ui_MainWindow *ui = Probe::ui(w);
    ui->BT_find->click();
    while (Probe::findTicks(w) < 1200)
        tick(w);
    QVERIFY(Probe::timers(w).at(0)->isActive());
    QVERIFY(ui->BT_find->styleSheet() != redSS);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Поиск начат"));

    tick(w);
    QCOMPARE(Probe::findTicks(w), 1201);
    QVERIFY(!Probe::timers(w).at(0)->isActive());
    QCOMPARE(ui->BT_find->styleSheet(), redSS);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Модуль не найден"));
    QCOMPARE(ui->BT_Open_Connect->text(), kConnect);
    QVERIFY(!Probe::serial(w));
}

// Both are opened in turn and the link ends on the second; the first must be
// closed, not left open feeding its bytes into the decoder.
void Rs485SearchTest::twoPortsInOneTick()
{
    ModuleSim first, second;
    listPorts({"ttyS0"}); // there at start: not a new port
    MainWindow w;
    w.show();
    Ui_MainWindow *ui = Probe::ui(w);
    QTRY_COMPARE(ui->cbPorts->count(), 1);
    ui->BT_find->click();
    listPorts({"ttyS0", first.slavePath(), second.slavePath()});
    QTRY_COMPARE(ui->cbPorts->count(), 3);
    QCOMPARE(ui->cbPorts->currentText(), second.slavePath());
    QCOMPARE(PtyDevice::openCountInThisProcess(first.slavePath()), 0);
    QVERIFY(PtyDevice::openCountInThisProcess(second.slavePath()) > 0);

    // The read's first tick at once: its pause is the steps test's.
    QVERIFY(Probe::timers(w).at(1)->isActive());
    QCOMPARE(Probe::timers(w).at(1)->interval(), 3000);
    first.send("parity odd"); // goes nowhere
    QVERIFY(QMetaObject::invokeMethod(&w, "onTimerST5", Qt::DirectConnection));
    QTRY_COMPARE_WITH_TIMEOUT(second.frames().size(), 1, 5000);
    QVERIFY(first.frames().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(ui->BT_Read_values->isEnabled(), 5000);
    QCOMPARE(ui->CB_ST_Parity->currentIndex(), 1); // the second module's "none"
}

QTEST_MAIN(Rs485SearchTest)
#include "test_rs485_search.moc"
