// Writing the form into a converter of each variant: the exact commands, one
// every second tick, the restart command last, the success report, and the
// converter restarting quietly afterwards.

#include "filled_form_write.h"
#include "gateway_bench.h"
#include "tick_pace.h"

Q_DECLARE_METATYPE(ConverterSim::Variant)

class GatewayWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void fullWrite_data();
    void fullWrite();
    void writeThenScanReadsBack();
};

namespace {

void fillForm(Ui_MainWindow *ui)
{
    ui->lineEdit_ip->setText("10.1.2.3");
    ui->lineEdit_mask->setText("255.255.0.0");
    ui->lineEdit_gateway->setText("10.1.2.254");
    ui->lineEdit_portTCP->setText("10502");
    ui->comboBox->setCurrentIndex(2);       // odd parity
    ui->comboBox_speed->setCurrentIndex(7); // 57600
    ui->comboBox_2->setCurrentIndex(2);     // two stop bits
    ui->lineEdit_ipservertcp->setText("10.1.2.9");
    ui->lineEdit_timeout->setText("30");
    ui->comboBox_mode->setCurrentIndex(2);  // client
    ui->lineEdit_timewait->setText("700");
    ui->lineEdit_rtu_virtual_id->setText("5");
}

} // namespace

void GatewayWriteTest::fullWrite_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("message");
    QTest::newRow("TCP-RTU") << ConverterSim::TcpRtu << filled_form::writeCommands(gateway::Variant::TcpRtu)
                             << filled_form::writeReport("TCP-RTU");
    // The RTU-TCP and universal lists, their reports and the verdicts on their
    // replies are checked step by step, without timers (test_gateway_steps:
    // wholeWrite, reply); one paced run of the write is enough here.
}

void GatewayWriteTest::fullWrite()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QStringList, commands);
    QFETCH(QString, message);
    const bool universal = variant == ConverterSim::Universal;

    GatewayBench bench(variant);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    bench.sim.clear();
    fillForm(ui);
    if (universal) {
        ui->checkBox->click();              // "off" goes out, whatever the field holds
        ui->lineEdit_tcp_id->setText("77");
        // The last five universal rows may answer something else than "ok":
        // no verdict, the write goes on.
        bench.sim.rejectCommand("CHANGE IP SERVER TCP:", "done");
    }

    // The field colours at the moment the success report is up.
    QMap<QString, QString> stylesAtReport;
    QProgressBar *bar = bench.window->findChild<QProgressBar *>();
    bool barAtReport = true;
    bench.boxes.setInspector([&](const ModalCatcher::Box &) {
        for (QWidget *field : paramFields(ui))
            stylesAtReport[field->objectName()] = field->styleSheet();
        barAtReport = bar->isVisible();
    });

    const qint64 pressed = bench.sim.elapsedMs();
    int fired = 0;
    QObject::connect(Probe::timers(*bench.window)[universal ? 3 : 1], &QTimer::timeout, [&] { ++fired; });
    ui->applyButton->click();
    QCOMPARE(ui->applyButton->text(), kStopWrite);
    QCOMPARE(bar->maximum(), commands.size()); // the restart command included

    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 35000);
    const ModalCatcher::Box box = bench.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.title, QStringLiteral("Результы изменения"));
    QCOMPARE(box.text, message);

    // The restart command goes out just before the report opens.
    QTRY_COMPARE(bench.sim.commands(), commands);
    QCOMPARE(bench.sim.received(), commands.join("").toLatin1()); // no terminators
    // One command every second tick: the restart goes out at tick 15, 19 or 27.
    QList<qint64> sinceClick;
    QList<int> ticks;
    for (qint64 ms : bench.sim.commandTimes()) {
        sinceClick << ms - pressed;
        ticks << 2 * ticks.size() + 1;
    }
    const QString off = offPace(sinceClick, ticks);
    QVERIFY2(off.isEmpty(), qPrintable(off));
    QCOMPARE(fired, ticks.last());

    // Confirmed fields were green while the report was up; the ignored one was not.
    QCOMPARE(stylesAtReport.value("lineEdit_ip"), kGreen);
    QCOMPARE(stylesAtReport.value("lineEdit_mask"), kGreen);
    QCOMPARE(stylesAtReport.value("comboBox_2"), kGreen);
    QVERIFY(!barAtReport); // the write is over
    if (universal) {
        QCOMPARE(stylesAtReport.value("comboBox_mode"), kGreen);
        QCOMPARE(stylesAtReport.value("lineEdit_timewait"), kGreen);
        QCOMPARE(stylesAtReport.value("lineEdit_ipservertcp"), QString());
        QCOMPARE(stylesAtReport.value("lineEdit_rtu_virtual_id"), kGreen);
    } else if (variant == ConverterSim::RtuTcp) {
        QCOMPARE(stylesAtReport.value("lineEdit_timeout"), kGreen);
    }

    QVERIFY(Probe::rebootExpected(*bench.window));
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    for (QWidget *field : paramFields(ui)) {
        // After the report the colours go; the switched-off address keeps its look on TCP writes.
        if (!universal && field == ui->lineEdit_tcp_id)
            continue;
        QVERIFY2(field->styleSheet().isEmpty(), qPrintable(field->objectName()));
    }

    // The converter restarts and its line drops: taken quietly.
    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 3000);
    QCOMPARE(ui->connect->text(), kConnect);
    QTest::qWait(300);
    QCOMPARE(bench.boxes.count(), 1);
}

void GatewayWriteTest::writeThenScanReadsBack()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    bench.sim.setDropAfterRestart(false);
    QVERIFY(bench.connectPort());
    bench.armWrite();
    fillForm(ui);
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 25000);
    QCOMPARE(bench.boxes.last().icon, QMessageBox::Information);

    // Whatever is in the form now is overwritten by what the converter reports.
    ui->lineEdit_ip->setText("x");
    ui->comboBox_speed->setCurrentIndex(1);
    ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(ui->scan_parameters->text(), kScan, 15000);
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(ui->lineEdit_mask->text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(ui->lineEdit_gateway->text(), QStringLiteral("10.1.2.254"));
    QCOMPARE(ui->lineEdit_portTCP->text(), QStringLiteral("10502"));
    QCOMPARE(ui->comboBox->currentIndex(), 2);
    QCOMPARE(ui->comboBox_speed->currentIndex(), 7); // 57600 reads back as "57200"
    QCOMPARE(ui->comboBox_2->currentIndex(), 2);
    QCOMPARE(bench.boxes.count(), 1);
}

QTEST_MAIN(GatewayWriteTest)
#include "test_gateway_write.moc"
