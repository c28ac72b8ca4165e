// A scan against a converter that does not answer, answers only line ends,
// answers in pieces, or talks while nothing asked it.

#include "gateway_bench.h"

Q_DECLARE_METATYPE(ConverterSim::Variant)

class GatewayScanFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void silentConverter_data();
    void silentConverter();
    void converterFallsSilentAfterEarlierExchange();
    void fallsSilentMidScan_data();
    void fallsSilentMidScan();
    void onlyLineEnds();
    void replySplitOverTwoReads();
    void replyWhileIdleIsIgnored();
};

void GatewayScanFaultsTest::silentConverter_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstCommand");
    QTest::newRow("TCP-RTU") << ConverterSim::TcpRtu << "нет соединения с модулем Modbus TCP-RTU" << "MAC";
    QTest::newRow("RTU-TCP") << ConverterSim::RtuTcp << "нет соединения с модулем Modbus RTU-TCP" << "MAC";
    QTest::newRow("universal") << ConverterSim::Universal << "нет соединения с модулем Modbus universal"
                               << "MODE TCP";
}

void GatewayScanFaultsTest::silentConverter()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QString, text);
    QFETCH(QString, firstCommand);
    GatewayBench bench(variant);
    bench.sim.setSilent(true);
    QVERIFY(bench.connectPort());

    QElapsedTimer clock;
    clock.start();
    bench.ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 5000);
    // The check runs at the second tick.
    QVERIFY2(clock.elapsed() >= 1800, qPrintable(QString::number(clock.elapsed())));
    const ModalCatcher::Box box = bench.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(box.text, text);

    QTRY_VERIFY(!Probe::serial(*bench.window).isOpen());
    QVERIFY(!bench.portOpenInProcess());
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QCOMPARE(bench.ui->connect->text(), kConnect);
    QCOMPARE(bench.ui->scan_parameters->text(), kScan);
    QCOMPARE(bench.ui->statusbar->currentMessage(), QStringLiteral("Disconnected"));
    QCOMPARE(bench.sim.commands(), QStringList{firstCommand});
}

// The presence check judges the scan it belongs to: a converter that answered
// an earlier scan and has gone quiet since is reported, not read as an empty form.
void GatewayScanFaultsTest::converterFallsSilentAfterEarlierExchange()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MAC->styleSheet(), kGreen, 4000);
    ui->scan_parameters->click(); // stop
    QCOMPARE(ui->scan_parameters->text(), kScan);

    bench.sim.setSilent(true);
    // Something was received before: a check that only looked at the last
    // reply ever received would find the converter present.
    QVERIFY(!Probe::lastReply(*bench.window).isEmpty());
    ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 5000);
    QCOMPARE(bench.boxes.last().title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(bench.boxes.last().text, QStringLiteral("нет соединения с модулем Modbus TCP-RTU"));
    QTRY_VERIFY(!Probe::serial(*bench.window).isOpen());
    QCOMPARE(ui->connect->text(), kConnect);
}

void GatewayScanFaultsTest::fallsSilentMidScan_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QByteArray>("unanswered");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("text");
    QTest::newRow("TCP-RTU") << ConverterSim::TcpRtu << QByteArray("MASK") << QStringList{"MAC", "ip", "MASK"}
                             << "нет соединения с модулем Modbus TCP-RTU";
    QTest::newRow("universal") << ConverterSim::Universal << QByteArray("MAC")
                               << QStringList{"MODE TCP", "version", "MAC"}
                               << "нет соединения с модулем Modbus universal";
}

// A converter that answered the first commands and then stops answering ends
// the scan at the next step, the way the first check does: box, port closed.
// A reply that is judged counts whatever it says (the version row here).
void GatewayScanFaultsTest::fallsSilentMidScan()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QByteArray, unanswered);
    QFETCH(QStringList, sent);
    QFETCH(QString, text);
    GatewayBench bench(variant);
    bench.sim.setValue("version", QStringLiteral("\x01"));
    bench.sim.rejectCommand(unanswered, QByteArray()); // no answer at all
    QVERIFY(bench.connectPort());
    bench.ui->scan_parameters->click();

    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 7000);
    QCOMPARE(bench.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(bench.boxes.last().title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(bench.boxes.last().text, text);
    QTRY_VERIFY(!Probe::serial(*bench.window).isOpen());
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QCOMPARE(bench.ui->connect->text(), kConnect);
    QCOMPARE(bench.ui->scan_parameters->text(), kScan);
    QCOMPARE(bench.sim.commands(), sent); // nothing more went out
}

void GatewayScanFaultsTest::onlyLineEnds()
{
    GatewayBench bench(ConverterSim::RtuTcp);
    bench.sim.setOnlyLineEnds(true);
    QVERIFY(bench.connectPort());
    bench.ui->scan_parameters->click();
    // The reply to "MAC" is empty once its line ends are gone; the scan then
    // finds nothing received at its check.
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 2, 6000);
    const auto boxes = bench.boxes.boxes();
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QStringLiteral("нет соединения с модуля"));
    QCOMPARE(boxes[0].text, QStringLiteral("Ошибка соединения"));
    QCOMPARE(boxes[1].title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(boxes[1].text, QStringLiteral("нет соединения с модулем Modbus RTU-TCP"));
    QTRY_VERIFY(!Probe::serial(*bench.window).isOpen());
    QCOMPARE(bench.ui->lineEdit_MAC->styleSheet(), QString());
}

// A reply that reaches the port in two reads is judged once, whole.
void GatewayScanFaultsTest::replySplitOverTwoReads()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    bench.sim.setSilent(true); // the test answers by hand
    QVERIFY(bench.connectPort());
    QStringList shown;
    connect(ui->lineEdit_MAC, &QLineEdit::textChanged, [&](const QString &t) { shown << t; });
    ui->scan_parameters->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 1, 3000);

    bench.sim.send("MAC:02:00:4C");
    bench.sim.sendAfter(10, ":0A:21:7E\r\n");
    QTRY_COMPARE(ui->lineEdit_MAC->styleSheet(), kGreen);
    QCOMPARE(shown, QStringList{"02:00:4C:0A:21:7E"});
    QCOMPARE(Probe::lastReply(*bench.window), QStringLiteral("MAC:02:00:4C:0A:21:7E"));
    ui->scan_parameters->click();
    QCOMPARE(bench.boxes.count(), 0);
}

void GatewayScanFaultsTest::replyWhileIdleIsIgnored()
{
    GatewayBench bench(ConverterSim::Universal);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    ui->lineEdit_ip->setText("10.9.9.9");
    bench.sim.send("ip:1.2.3.4\r\n");
    QTRY_COMPARE(Probe::lastReply(*bench.window), QStringLiteral("ip:1.2.3.4"));
    bench.sim.send("MODE TCP:client\r\n");
    QTRY_COMPARE(Probe::lastReply(*bench.window), QStringLiteral("MODE TCP:client"));
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.9.9.9"));
    for (QWidget *field : paramFields(ui))
        QVERIFY2(field->styleSheet().isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(ui->comboBox_mode->currentIndex(), 0);
    QCOMPARE(bench.boxes.count(), 0);
}

QTEST_MAIN(GatewayScanFaultsTest)
#include "test_gateway_scan_faults.moc"
