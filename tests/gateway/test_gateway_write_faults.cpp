// Writes that must not go through: a value the converter refuses, a click at
// the wrong moment, and a write stopped half way. (A silent converter:
// test_gateway_write_silence.)

#include "gateway_bench.h"

Q_DECLARE_METATYPE(ConverterSim::Variant)

class GatewayWriteFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void refusedValue_data();
    void refusedValue();
    void clicksThatMustNotStartAWrite();
    void stoppedWriteStartsOver();
};

void GatewayWriteFaultsTest::refusedValue_data()
{
    QTest::addColumn<ConverterSim::Variant>("variant");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("text");
    const QString wide = "<FONT COLOR='#800000'> Ошибка записи </FONT>";
    // The TCP-RTU gateway, the RTU-TCP port (tight text) and the universal "?"
    // refusals are rows of test_gateway_steps (reply).
    QTest::newRow("TCP-RTU takes only upper-case OK")
        << ConverterSim::TcpRtu << QByteArray("CHANGE IP:") << QByteArray("ok") << "lineEdit_ip" << 1 << wide;
    QTest::newRow("universal mode refused") << ConverterSim::Universal << QByteArray("CHANGE MODE TCP:")
                                            << QByteArray("OK") << "comboBox_mode" << 1 << wide;
}

void GatewayWriteFaultsTest::refusedValue()
{
    QFETCH(ConverterSim::Variant, variant);
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, reply);
    QFETCH(QString, field);
    QFETCH(int, sent);
    QFETCH(QString, text);

    GatewayBench bench(variant);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    bench.sim.rejectCommand(prefix, reply);
    QWidget *refused = bench.window->findChild<QWidget *>(field);
    QVERIFY(refused);

    // While the box is up: the refused field is red and the write no longer
    // ticks nor shows its progress.
    QString styleWhileOpen;
    bool tickingWhileOpen = true;
    bench.boxes.setInspector([&](const ModalCatcher::Box &) {
        styleWhileOpen = refused->styleSheet();
        tickingWhileOpen = Probe::anyTimerActive(*bench.window)
                           || bench.window->findChild<QProgressBar *>()->isVisible();
    });
    bench.boxes.setHoldMs(1200);

    // A mark of a value a scan did not recognise goes when the write starts.
    ui->lineEdit_version->setStyleSheet(kRed);
    ui->applyButton->click();
    QCOMPARE(ui->lineEdit_version->styleSheet(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 25000);
    const ModalCatcher::Box box = bench.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QStringLiteral("Ошибка"));
    QCOMPARE(box.text, text);
    QCOMPARE(styleWhileOpen, kRed);
    QVERIFY(!tickingWhileOpen);

    QTRY_COMPARE(ui->applyButton->text(), kWrite);
    for (QWidget *f : paramFields(ui))
        QVERIFY2(f->styleSheet().isEmpty(), qPrintable(f->objectName()));
    // Nothing after the refused command, and no restart.
    QCOMPARE(bench.sim.commands().size(), sent);
    QVERIFY(bench.sim.commands().last().startsWith(QString::fromLatin1(prefix)));
    QTest::qWait(2200);
    QCOMPARE(bench.sim.commands().size(), sent);
    QVERIFY(!Probe::rebootExpected(*bench.window));
    QVERIFY(Probe::serial(*bench.window).isOpen());
    QCOMPARE(bench.boxes.count(), 1);
}

void GatewayWriteFaultsTest::clicksThatMustNotStartAWrite()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());

    // Before any scan the button still has the form's text and does nothing.
    QCOMPARE(ui->applyButton->text(), QStringLiteral("Записать параметры"));
    ui->applyButton->click();
    QCOMPARE(ui->applyButton->text(), QStringLiteral("Записать параметры"));
    QVERIFY(!Probe::anyTimerActive(*bench.window));

    // While a scan runs the button does nothing either.
    ui->scan_parameters->click();
    QCOMPARE(ui->applyButton->text(), kWrite);
    ui->applyButton->click();
    QCOMPARE(ui->applyButton->text(), kWrite);
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 2, 4000);
    QCOMPARE(bench.sim.commands(), QStringList({"MAC", "ip"}));
    QVERIFY(!Probe::timers(*bench.window)[1]->isActive());
    ui->scan_parameters->click();
    QCOMPARE(bench.boxes.count(), 0);
}

void GatewayWriteFaultsTest::stoppedWriteStartsOver()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    ui->lineEdit_ip->setText("10.0.0.5");
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 4, 10000);
    ui->applyButton->click();
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    for (QWidget *f : paramFields(ui))
        QVERIFY2(f->styleSheet().isEmpty(), qPrintable(f->objectName()));

    bench.sim.clear();
    ui->applyButton->click();
    QCOMPARE(ui->applyButton->text(), kStopWrite);
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 1, 3000);
    QCOMPARE(bench.sim.commands().first(), QStringLiteral("CHANGE IP:10.0.0.5"));
    ui->applyButton->click();
    QCOMPARE(bench.boxes.count(), 0);
}

QTEST_MAIN(GatewayWriteFaultsTest)
#include "test_gateway_write_faults.moc"
