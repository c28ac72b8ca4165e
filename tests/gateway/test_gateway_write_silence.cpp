// Writes to a converter that does not answer: not at all, no longer after an
// earlier write, or no longer half way through the write.

#include "gateway_bench.h"

Q_DECLARE_METATYPE(ConverterSim::Variant)

class GatewayWriteSilenceTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void silentConverter_data();
    void silentConverter();
    void silentAfterAnEarlierConfirmedWrite();
    void fallsSilentHalfWay_data();
    void fallsSilentHalfWay();
};

void GatewayWriteSilenceTest::silentConverter_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("text");
    // The TCP-RTU and RTU-TCP checks at step 3 are rows of test_gateway_steps (write).
    QTest::newRow("universal") << ConverterSim::Universal << QStringList{"CHANGE MODE TCP:SERVER", "CHANGE IP:10.0.0.5"}
                               << "нет соединения с модулем Modbus universal";
}

void GatewayWriteSilenceTest::silentConverter()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QStringList, sent);
    QFETCH(QString, text);
    GatewayBench bench(variant);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    bench.sim.setSilent(true);
    bench.sim.clear();
    ui->lineEdit_ip->setText("10.0.0.5");
    ui->lineEdit_mask->setText("255.0.0.0");
    ui->comboBox_mode->setCurrentIndex(1);

    // The box stays up a while: nothing more may go out meanwhile.
    int sentWhileOpen = -1;
    bench.boxes.setHoldMs(2500);
    bench.boxes.setInspector([&](const ModalCatcher::Box &) { sentWhileOpen = bench.sim.commands().size(); });

    QElapsedTimer clock;
    clock.start();
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 8000);
    QVERIFY2(clock.elapsed() >= 3800, qPrintable(QString::number(clock.elapsed()))); // the check at step 3
    QCOMPARE(bench.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(bench.boxes.last().title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(bench.boxes.last().text, text);
    QCOMPARE(sentWhileOpen, 2);

    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 5000);
    QCOMPARE(bench.sim.commands(), sent);
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->scan_parameters->text(), kScan);
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QVERIFY(!Probe::rebootExpected(*bench.window));
}

// Each write's presence check judges that write: a converter that confirmed
// an earlier write and has since gone quiet is reported, not "written".
void GatewayWriteSilenceTest::silentAfterAnEarlierConfirmedWrite()
{
    GatewayBench bench(ConverterSim::RtuTcp);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 3, 8000); // past the check
    ui->applyButton->click(); // stop
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(Probe::writeConfirmed(*bench.window)); // an unchecked flag would pass the next check

    bench.sim.setSilent(true);
    bench.sim.clear();
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 8000);
    QCOMPARE(bench.boxes.last().title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(bench.boxes.last().text, QStringLiteral("нет соединения с модулем Modbus RTU-TCP"));
    QTRY_VERIFY(!Probe::serial(*bench.window).isOpen());
    QCOMPARE(bench.sim.commands().size(), 2);
    QVERIFY(!Probe::rebootExpected(*bench.window));
}

void GatewayWriteSilenceTest::fallsSilentHalfWay_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QByteArray>("unanswered");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sent");
    // Silent to the last command, the restart not sent: a row of
    // test_gateway_steps (write, "TCP-RTU silent before the restart").
    // An ignored reply is still an answer; silence after it ends the write.
    QTest::newRow("universal") << ConverterSim::Universal << QByteArray("CHANGE IP SERVER TCP:")
                               << "нет соединения с модулем Modbus universal" << 10;
}

// A converter that answered the first commands and then falls silent ends the
// write as a missing converter does: no success report, nothing more sent.
void GatewayWriteSilenceTest::fallsSilentHalfWay()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QByteArray, unanswered);
    QFETCH(QString, text);
    QFETCH(int, sent);
    GatewayBench bench(variant);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    bench.sim.clear();
    bench.sim.rejectCommand("change timeout response:", "done");
    bench.sim.rejectCommand(unanswered, QByteArray()); // no answer at all

    int sentWhileOpen = -1;
    bench.boxes.setHoldMs(1500);
    bench.boxes.setInspector([&](const ModalCatcher::Box &) { sentWhileOpen = bench.sim.commands().size(); });
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 2000 * sent + 6000);
    QCOMPARE(bench.boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(bench.boxes.last().title, QStringLiteral("Ошибка соединения"));
    QCOMPARE(bench.boxes.last().text, text);
    QCOMPARE(sentWhileOpen, sent);
    QVERIFY(bench.sim.commands().last().startsWith(QString::fromLatin1(unanswered)));

    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 4000);
    QCOMPARE(bench.sim.commands().size(), sent);
    QCOMPARE(bench.sim.restarts(), 0);
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->scan_parameters->text(), kScan);
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QVERIFY(!Probe::rebootExpected(*bench.window));
    QCOMPARE(bench.boxes.count(), 1);
}

QTEST_MAIN(GatewayWriteSilenceTest)
#include "test_gateway_write_silence.moc"
