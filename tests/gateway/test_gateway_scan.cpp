// Reading back a whole converter of each variant: the exact commands, one per
// second, the fields filled and coloured as the replies come in, and the form
// left with the values and without the colours at the end.

#include "gateway_bench.h"

Q_DECLARE_METATYPE(ConverterSim::Variant)

class GatewayScanTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void fullScan_data();
    void fullScan();
    void stopScanAtOnce();
    void universalServerAddressAndCase();
};

namespace {

// The gaps must show one command per 1000 ms tick: never two in one tick, never
// a faster timer. A late tick shortens the next gap (the timer keeps its
// schedule), so the lower bound leaves room for a loaded machine.
void verifyOnePerTick(const QList<qint64> &times)
{
    for (int i = 1; i < times.size(); ++i) {
        const qint64 gap = times[i] - times[i - 1];
        QVERIFY2(gap >= 600 && gap <= 3000, qPrintable(QString("gap %1 ms before command %2").arg(gap).arg(i)));
    }
}

} // namespace

void GatewayScanTest::fullScan_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QStringList>("commands");
    const QStringList common{"MAC", "ip", "MASK", "GATEWAY", "PORT TCP", "parity", "SPEED RS485", "STOP BIT"};
    // The TCP-RTU and RTU-TCP lists, their end and the values they read are
    // checked step by step, without timers (test_gateway_steps: wholeScan,
    // reply); one paced run of the scan is enough here.
    QTest::newRow("universal") << ConverterSim::Universal
                               << QStringList{"MODE TCP", "version"} + common
                                      + QStringList{"timeout response", "IP SERVER TCP", "TIMEOUT TCP",
                                                    "rtu virtual id", "tcp slave id"};
}

void GatewayScanTest::fullScan()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QStringList, commands);
    const bool universal = variant == ConverterSim::Universal;

    GatewayBench bench(variant);
    Ui_MainWindow *ui = bench.ui;
    ConverterSim &sim = bench.sim;
    sim.setValue("MAC", "00:1A:2B:3C:4D:5E");
    sim.setValue("ip", "10.0.0.7");
    sim.setValue("MASK", "255.255.0.0");
    sim.setValue("GATEWAY", "10.0.0.1");
    sim.setValue("PORT TCP", "10502");
    sim.setValue("parity", universal ? "even" : variant == ConverterSim::TcpRtu ? "1" : "none");
    sim.setValue("SPEED RS485", universal ? "115200" : "57200"); // 57600 bit/s reads "57200"
    sim.setValue("STOP BIT", "2");
    if (variant != ConverterSim::TcpRtu) {
        sim.setValue("IP SERVER TCP", "10.0.0.20");
        sim.setValue("TIMEOUT TCP", "60");
    }
    if (universal) {
        sim.setValue("MODE TCP", "client");
        sim.setValue("version", "v2.1");
        sim.setValue("timeout response", "60000"); // the longest the converter takes
        sim.setValue("rtu virtual id", "17");
        sim.setValue("tcp slave id", "off");
    }

    QVERIFY(bench.connectPort());
    // Leftovers from before the scan are cleared when it starts.
    ui->lineEdit_ip->setText("stale");
    ui->lineEdit_ip->setStyleSheet(kRed);
    ui->comboBox_speed->setCurrentIndex(3);

    QElapsedTimer clock;
    clock.start();
    ui->scan_parameters->click();
    QCOMPARE(ui->scan_parameters->text(), kStopScan);
    QCOMPARE(ui->applyButton->text(), kWrite);
    QCOMPARE(ui->lineEdit_ip->text(), QString());
    QCOMPARE(ui->lineEdit_ip->styleSheet(), QString());
    QCOMPARE(ui->comboBox_speed->currentIndex(), 0);
    // The bar counts the commands sent, of all the scan's.
    QProgressBar *bar = bench.window->findChild<QProgressBar *>();
    QVERIFY(bar->isVisible() && bar->width() <= 120 && !bar->isTextVisible());
    QCOMPARE(QList<int>({bar->value(), bar->maximum()}), QList<int>({0, int(commands.size())}));

    // The first command goes out one tick after the click.
    QTRY_COMPARE_WITH_TIMEOUT(sim.commands().size(), 1, 3000);
    QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 8, 12000);

    // While the last reply is in, every field read shows green.
    QWidget *lastField = universal ? static_cast<QWidget *>(ui->lineEdit_tcp_id)
                         : variant == ConverterSim::RtuTcp ? static_cast<QWidget *>(ui->lineEdit_timeout)
                                                           : static_cast<QWidget *>(ui->comboBox_2);
    QTRY_COMPARE_WITH_TIMEOUT(lastField->styleSheet(), kGreen, 20000);
    QList<QWidget *> read{ui->lineEdit_MAC, ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway,
                          ui->lineEdit_portTCP, ui->comboBox, ui->comboBox_speed, ui->comboBox_2};
    if (variant != ConverterSim::TcpRtu)
        read << ui->lineEdit_ipservertcp << ui->lineEdit_timeout;
    if (universal)
        read << ui->comboBox_mode << ui->lineEdit_version << ui->lineEdit_timewait << ui->lineEdit_rtu_virtual_id
             << ui->lineEdit_tcp_id;
    for (QWidget *field : read)
        QVERIFY2(field->styleSheet() == kGreen, qPrintable(field->objectName()));
    QCOMPARE(ui->scan_parameters->text(), kStopScan);
    QCOMPARE(bar->value(), bar->maximum());

    // One tick later the scan ends by itself.
    QTRY_COMPARE_WITH_TIMEOUT(ui->scan_parameters->text(), kScan, 3000);
    QVERIFY(!bar->isVisible());
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QCOMPARE(sim.commands(), commands);
    verifyOnePerTick(sim.commandTimes());
    QCOMPARE(sim.received(), commands.join("").toLatin1()); // no terminators, nothing else

    // Values stay; colours go (lavender for the display-only fields of the universal converter).
    QCOMPARE(ui->lineEdit_MAC->text(), QStringLiteral("00:1A:2B:3C:4D:5E"));
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.0.0.7"));
    QCOMPARE(ui->lineEdit_mask->text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(ui->lineEdit_gateway->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(ui->lineEdit_portTCP->text(), QStringLiteral("10502"));
    QCOMPARE(ui->comboBox->currentIndex(), universal ? 3 : variant == ConverterSim::TcpRtu ? 2 : 1);
    QCOMPARE(ui->comboBox_speed->currentText(), universal ? QStringLiteral("115200") : QStringLiteral("57600"));
    QCOMPARE(ui->comboBox_2->currentIndex(), 2);
    if (variant != ConverterSim::TcpRtu) {
        QCOMPARE(ui->lineEdit_ipservertcp->text(), QStringLiteral("10.0.0.20"));
        QCOMPARE(ui->lineEdit_timeout->text(), QStringLiteral("60"));
    }
    if (universal) {
        QCOMPARE(ui->comboBox_mode->currentIndex(), 2);
        QCOMPARE(ui->lineEdit_version->text(), QStringLiteral("v2.1"));
        QCOMPARE(ui->lineEdit_timewait->text(), QStringLiteral("60000"));
        QCOMPARE(ui->lineEdit_rtu_virtual_id->text(), QStringLiteral("17"));
        // "off": the box is ticked, the address field empty and switched off.
        QVERIFY(ui->checkBox->isChecked());
        QCOMPARE(ui->lineEdit_tcp_id->text(), QString());
        QVERIFY(!ui->lineEdit_tcp_id->isEnabled());
    }
    for (QWidget *field : paramFields(ui)) {
        QString expected;
        if (universal && (field == ui->lineEdit_MAC || field == ui->lineEdit_tcp_id))
            expected = kLavender;
        QVERIFY2(field->styleSheet() == expected, qPrintable(field->objectName()));
    }
    QCOMPARE(ui->lineEdit_version->styleSheet(), universal ? kLavender : QString());
    QCOMPARE(bench.boxes.count(), 0);
    QVERIFY(Probe::serial(*bench.window).isOpen());
}

void GatewayScanTest::stopScanAtOnce()
{
    GatewayBench bench(ConverterSim::RtuTcp);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_mask->styleSheet(), kGreen, 6000);
    ui->scan_parameters->click();
    QCOMPARE(ui->scan_parameters->text(), kScan);
    QVERIFY(!bench.window->findChild<QProgressBar *>()->isVisible());
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    const int sent = bench.sim.commands().size();
    QTest::qWait(1600);
    QCOMPARE(bench.sim.commands().size(), sent);
    // What was read stays, colours included.
    QCOMPARE(ui->lineEdit_MAC->text(), bench.sim.value("MAC"));
    QCOMPARE(ui->lineEdit_ip->styleSheet(), kGreen);
    QCOMPARE(ui->lineEdit_mask->text(), bench.sim.value("MASK"));
    QCOMPARE(ui->lineEdit_mask->styleSheet(), kGreen);
}

void GatewayScanTest::universalServerAddressAndCase()
{
    GatewayBench bench(ConverterSim::Universal);
    Ui_MainWindow *ui = bench.ui;
    bench.sim.setValue("MODE TCP", "Server"); // comparisons are case-sensitive
    bench.sim.setValue("tcp slave id", "12");
    bench.sim.setValue("rtu virtual id", "1x"); // not digits: shown, but not as read
    ui->checkBox->click();
    QVERIFY(ui->checkBox->isChecked());
    QVERIFY(bench.connectPort());
    ui->scan_parameters->click();

    QTRY_COMPARE_WITH_TIMEOUT(ui->comboBox_mode->styleSheet(), kRed, 4000);
    QCOMPARE(ui->comboBox_mode->currentIndex(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_tcp_id->styleSheet(), kGreen, 20000);
    QCOMPARE(ui->lineEdit_tcp_id->text(), QStringLiteral("12"));
    QVERIFY(ui->lineEdit_tcp_id->isEnabled());
    QVERIFY(!ui->checkBox->isChecked());

    QCOMPARE(ui->lineEdit_rtu_virtual_id->text(), QStringLiteral("1x"));
    QCOMPARE(ui->lineEdit_rtu_virtual_id->styleSheet(), kRed);

    // The end of the scan takes the green marks away; the red ones stay
    // until the next scan starts.
    QTRY_COMPARE_WITH_TIMEOUT(ui->scan_parameters->text(), kScan, 3000);
    QCOMPARE(ui->lineEdit_tcp_id->styleSheet(), QString()); // box not ticked: neutral
    QCOMPARE(ui->lineEdit_ip->styleSheet(), QString());
    QCOMPARE(ui->comboBox_mode->styleSheet(), kRed);
    QCOMPARE(ui->lineEdit_rtu_virtual_id->styleSheet(), kRed);
    ui->scan_parameters->click();
    QCOMPARE(ui->comboBox_mode->styleSheet(), QString());
    QCOMPARE(ui->lineEdit_rtu_virtual_id->styleSheet(), QString());
    ui->scan_parameters->click();
}

QTEST_MAIN(GatewayScanTest)
#include "test_gateway_scan.moc"
