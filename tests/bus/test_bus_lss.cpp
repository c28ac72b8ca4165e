// The CANopen LSS write and read: the requests (cansend lines, can0 frames),
// the modules' answers heard on can0, the pacing, the boxes, a failed cansend.

#include "bus_bench.h"
#include "can_commands.h"

#include <QCanBusDevice>

// can0 as the window gets it here, with modules behind it that answer each
// 8-byte LSS request 1 ms after it went out on the device or through the
// stand-in sudo's cansend (switch state global: no answer; identity 1A2,
// C35, 10002, 12345678).
class FakeCan0 : public QCanBusDevice
{
public:
    static inline int modules, silentAt, created, connected;
    static inline QString openError; // it does not connect
    static inline QStringList heard; // requests' first two bytes

    static void install(int modulesOnBus, int silentAtCommand = 0, const QString &error = {})
    {
        modules = modulesOnBus, silentAt = silentAtCommand, openError = error, heard.clear(), created = connected = 0;
        can_link::setDeviceSource([](QString *) -> QCanBusDevice * { return ++created, new FakeCan0; });
    }

    FakeCan0()
    {
        setConfigurationParameter(BitRateKey, 500000); // as socketcan does
        connect(&m_cansend, &QTimer::timeout, this, [this] {
            QFile log(qEnvironmentVariable("FAKE_SUDO_LOG"));
            const QList<QByteArray> lines = log.open(QIODevice::ReadOnly) ? log.readAll().split('#') : QList<QByteArray>();
            for (; m_lines < lines.size() - 1; ++m_lines)
                answer(QByteArray::fromHex(lines[m_lines + 1].left(16)));
        });
        m_cansend.start(20);
    }
    bool writeFrame(const QCanBusFrame &frame) override
    {
        if (state() == ConnectedState && frame.frameId() == 0x7E5)
            answer(frame.payload());
        return state() == ConnectedState;
    }
    QString interpretErrorFrame(const QCanBusFrame &) override { return {}; }

protected:
    bool open() override
    {
        const auto filters = configurationParameter(RawFilterKey).value<QList<Filter>>();
        if (configurationKeys().contains(BitRateKey) || filters.size() != 1 || filters[0].frameId != 0x7E4)
            setError("wrong settings", ConfigurationError);
        else if (!openError.isEmpty())
            setError(openError, ConnectionError);
        else
            setState(ConnectedState), ++connected;
        return state() == ConnectedState;
    }
    void close() override { setState(UnconnectedState), --connected; }

private:
    void answer(const QByteArray &request)
    {
        heard << request.left(2).toHex().toUpper();
        const int command = quint8(request.at(0));
        const QMap<int, QByteArray> values{{0x5E, "05"}, {0x5A, "A2010000"}, {0x5B, "350C0000"}, {0x5C, "02000100"}, {0x5D, "78563412"}};
        const QByteArray data = (request.left(1) + QByteArray::fromHex(values.value(command, "00"))).leftJustified(8, '\0');
        if (request.size() == 8 && command != 0x04 && command != silentAt)
            QTimer::singleShot(1, this, [this, data] { enqueueReceivedFrames(QVector<QCanBusFrame>(modules, QCanBusFrame(0x7E4, data))); });
    }
    QTimer m_cansend;
    int m_lines = 0;
};

class TestBusLss : public QObject
{
    Q_OBJECT

    static void selectCanOpen(BusBench &b, const QString &id)
    {
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->pushButton_selectPorotocol->click();
        QCOMPARE(b.sudo.lines(), QStringList{"ip link set can0 up type can bitrate 125000"});
        b.ui->lineEdit_ID->setText(id);
    }

private slots:
    // ID 1 at 125 kbit/s (other IDs and speeds: test_bus_steps); each answer
    // judged before the next request, can0 closed at the end.
    void lssWrite_data()
    {
        QTest::addColumn<int>("modules");
        QTest::addColumn<int>("silentAt");
        QTest::addColumn<int>("sent"); // cansend lines
        QTest::addColumn<QString>("box");
        QTest::newRow("answers") << 1 << 0 << 4 << "Сообщение/<FONT COLOR='#001e80'>Команды записи отправлены</FONT>";
        QTest::newRow("silent at the store") << 1 << 0x17 << 4 << "Ошибка/Модуль не ответил на запрос: сохранение параметров";
        QTest::newRow("two modules") << 2 << 0 << 2
                                     << "Ошибка/Ответили несколько модулей на запрос: смена ID. Оставьте на шине один модуль.";
    }
    void lssWrite()
    {
        QFETCH(int, modules);
        QFETCH(int, silentAt);
        QFETCH(int, sent);
        SKIP_IF_NO_PROCESSES();
        BusBench b;
        FakeCan0::install(modules, silentAt);
        selectCanOpen(b, "1");
        b.ui->comboBox_speed_can->setCurrentText("125");
        qint64 boxAt = 0;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { boxAt = QDateTime::currentMSecsSinceEpoch(); });
        const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
        b.ui->pushButton_changeParameters->click();
        b.ui->pushButton_Connect->setText(kDisconnect);
        b.ui->pushButton_readCan->click(); // nothing while the write runs
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 9000);
        QTRY_VERIFY(Probe::idle(*b.window));
        QTEST(b.boxes.last().title + "/" + b.boxes.last().text, "box");
        QCOMPARE(FakeCan0::created - FakeCan0::connected, 1);
        QCOMPARE(logLines(b.ui).filter(QRegularExpression("^7E4#1[137]00000000000000$")).size(), modules * (sent - 1) - !!silentAt);
        VERIFY_MS(boxAt - pressed, sent * 1000 + 300, sent * 1000 + 2700);

        // Switch state global (configuration), configure node-ID, configure
        // bit timing (table selector 0), store configuration.
        const QStringList requests{"0401000000000000", "1101000000000000", "1300040000000000", "1700000000000000"};
        const QList<FakeSudo::Call> calls = b.sudo.calls().mid(1);
        QCOMPARE(calls.size(), sent);
        for (int i = 0; i < sent; ++i) {
            QCOMPARE(calls[i].line, "cansend can0 7E5#" + requests[i]);
            QCOMPARE(calls[i].dir, QDir::homePath());
            VERIFY_MS(calls[i].ms - (i ? calls[i - 1].ms : pressed), i ? 600 : 800, 1700);
        }
        QTest::qWait(1200);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), sent + 1);
    }

    // The read, 200 ms a request, and what sends nothing: the link down, a
    // second press, the write beside the read, no can0 (no modules).
    void canRead_data()
    {
        QTest::addColumn<int>("modules");
        QTest::addColumn<QString>("presses"); // r: read, w: write, c: the link connected
        QTest::addColumn<QString>("heard");
        QTest::addColumn<QString>("box");
        QTest::newRow("one module") << 1 << "rcrrw" << "0401 5E00 5A00 5B00 5C00 5D00 0400"
            << "Модуль CANopen/ID: 5\nПроизводитель: 0x000001A2\nИзделие: 0x00000C35\nВерсия: 0x00010002\nСерийный номер: 0x12345678";
        QTest::newRow("two") << 2 << "cr" << "0401 5E00 0400"
                             << "Ошибка/Ответили несколько модулей на запрос: чтение ID. Оставьте на шине один модуль.";
        QTest::newRow("no can0") << 0 << "cr" << "" << "Ошибка/Нет доступа к can0: No such device";
    }
    void canRead()
    {
        QFETCH(int, modules);
        QFETCH(QString, presses);
        BusBench b;
        FakeCan0::install(modules, 0, modules ? "" : "No such device");
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->lineEdit_ID->setText("01");
        for (QChar press : presses)
            (press == 'c' ? b.ui->pushButton_Connect->setText(kDisconnect)
                          : (press == 'r' ? b.ui->pushButton_readCan : b.ui->pushButton_changeParameters)->click());
        QTRY_COMPARE(b.boxes.count(), 1);
        QTEST(b.boxes.last().title + "/" + b.boxes.last().text, "box");
        QVERIFY(b.boxes.last().ms >= 200 * (FakeCan0::heard.size() - 2));
        QVERIFY(Probe::idle(*b.window));
        QCOMPARE(FakeCan0::created - FakeCan0::connected, 1);
        QTEST(FakeCan0::heard.join(' '), "heard");
        QCOMPARE(b.ui->lineEdit_ID->text() + b.ui->lineEdit_ID->styleSheet(), modules == 1 ? "05" + kGreen : "01");
    }

    // A cansend that fails ends the write there, stopped before the box that
    // names the failed line and why, can0 closed; no closing box. (A refused
    // node-ID frame, the same box: test_bus_steps.)
    void failedCansend_data()
    {
        QTest::addColumn<bool>("noSudo");
        QTest::addColumn<QString>("failedLine");
        QTest::addColumn<QString>("why");
        QTest::newRow("no sudo") << true << "sudo cansend can0 7E5#0401000000000000" << "";
    }
    void failedCansend()
    {
        QFETCH(bool, noSudo);
        QFETCH(QString, failedLine);
        QFETCH(QString, why);
        SKIP_IF_NO_PROCESSES();
        BusBench b;
        FakeCan0::install(1);
        selectCanOpen(b, "1");
        if (noSudo)
            b.sudo.remove();
        else
            b.sudo.failOn("7E5#11", why.toUtf8());
        bool stoppedAtBox = false;
        b.boxes.setInspector([&](const ModalCatcher::Box &) { stoppedAtBox = Probe::idle(*b.window) && !FakeCan0::connected; });
        b.ui->pushButton_changeParameters->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 5000);
        QCOMPARE(b.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(b.boxes.last().title, QStringLiteral("Ошибка"));
        QVERIFY2(b.boxes.last().text.contains(failedLine) && b.boxes.last().text.contains(why),
                 qPrintable(b.boxes.last().text));
        QVERIFY(stoppedAtBox);
        QTest::qWait(2300);
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.sudo.calls().size(), noSudo ? 1 : 3);
    }
};

QTEST_MAIN(TestBusLss)
#include "test_bus_lss.moc"
