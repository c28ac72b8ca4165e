// Restarting the converter and resetting it to its factory settings: the exact
// bytes, the confirmation, and the quiet loss of the line that follows.

#include "gateway_bench.h"

class GatewayResetTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }
    void restartAtOnce();
    void factoryReset_data();
    void factoryReset();
    void factoryResetOnlyForUniversal();
    void lineLostQuietlyEndsUniversalWrite();
};

void GatewayResetTest::restartAtOnce()
{
    GatewayBench bench(ConverterSim::RtuTcp);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    ui->lineEdit_ip->setText("10.7.7.7");
    ui->Reset->click();
    QTRY_COMPARE(bench.sim.received(), QByteArray("RESET"));
    QVERIFY(Probe::rebootExpected(*bench.window));
    // The converter drops off the line while restarting: closed without a word.
    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 3000);
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.7.7.7"));
    QTest::qWait(300);
    QCOMPARE(bench.boxes.count(), 0);
    QCOMPARE(bench.sim.received(), QByteArray("RESET"));
}

void GatewayResetTest::factoryReset_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("sent");
    QTest::newRow("yes") << "Да" << true;
    QTest::newRow("no") << "Нет" << false;
    QTest::newRow("closed") << "" << false;
    QTest::newRow("Enter") << "Enter" << false; // the default button is "Нет"
}

void GatewayResetTest::factoryReset()
{
    QFETCH(QString, answer);
    QFETCH(bool, sent);
    GatewayBench bench(ConverterSim::Universal);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    ui->lineEdit_ip->setText("10.7.7.7");
    ui->comboBox_speed->setCurrentIndex(5);
    if (answer == QLatin1String("Enter")) {
        // Pressed on the box while it is open; the catcher holds its own answer back.
        bench.boxes.setHoldMs(5000);
        bench.boxes.setInspector([](const ModalCatcher::Box &) {
            QTimer::singleShot(0, [] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    QTest::keyClick(box, Qt::Key_Return);
            });
        });
    } else {
        bench.boxes.enqueue(answer);
    }
    ui->reset_allparameters->click();

    QCOMPARE(bench.boxes.count(), 1);
    const ModalCatcher::Box box = bench.boxes.last();
    QCOMPARE(box.title, QStringLiteral("Сброс"));
    QCOMPARE(box.text, QStringLiteral("Вы действительно хотите cбросить к заводским настройкам?"));
    QCOMPARE(box.buttons, QStringList({"Да", "Нет"}));

    if (sent) {
        QTRY_COMPARE(bench.sim.received(), QByteArray("LOAD SETTING:DEFAULT"));
        QVERIFY(Probe::rebootExpected(*bench.window));
        QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 3000);
        QCOMPARE(ui->connect->text(), kConnect);
    } else {
        QTest::qWait(400);
        QCOMPARE(bench.sim.received(), QByteArray());
        QVERIFY(!Probe::rebootExpected(*bench.window));
        QVERIFY(Probe::serial(*bench.window).isOpen());
    }
    // The form keeps what it showed; only a new scan shows the factory values.
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.7.7.7"));
    QCOMPARE(ui->comboBox_speed->currentIndex(), 5);
    QCOMPARE(bench.boxes.count(), 1);
}

void GatewayResetTest::factoryResetOnlyForUniversal()
{
    for (auto variant : {ConverterSim::TcpRtu, ConverterSim::RtuTcp}) {
        GatewayBench bench(variant);
        QVERIFY(bench.connectPort());
        QVERIFY(bench.ui->reset_allparameters->isHidden());
        QVERIFY(!bench.ui->Reset->isHidden());
    }
}

// Once a restart was ordered, a lost line is taken quietly; a universal write
// that was under way must end with it, not run on and report success.
void GatewayResetTest::lineLostQuietlyEndsUniversalWrite()
{
    GatewayBench bench(ConverterSim::Universal);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    ui->applyButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(bench.sim.commands().size(), 3, 8000); // past the presence check
    ui->Reset->click(); // the converter restarts and drops off the line
    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 3000);
    QCOMPARE(ui->connect->text(), kConnect);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QCOMPARE(ui->applyButton->text(), kWrite);
    QTest::qWait(2500);
    QCOMPARE(bench.boxes.count(), 0);
}

QTEST_MAIN(GatewayResetTest)
#include "test_gateway_reset.moc"
