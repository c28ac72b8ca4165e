// The CANopen LSS write: cansend lines read back as CiA 305 requests, the
// modules' answers heard on can0, the pacing, the boxes, a failed cansend.

#include "bus_bench.h"
#include "can_commands.h"

#include <QCanBusDevice>

// can0 as the window gets it here, with modules behind it that answer each
// 8-byte LSS request 1 ms after the stand-in sudo's cansend put it out
// (switch state global: no answer).
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
    bool writeFrame(const QCanBusFrame &) override { return false; }
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
        const QByteArray data = request.left(1).leftJustified(8, '\0');
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
        QTRY_COMPARE_WITH_TIMEOUT(b.boxes.count(), 1, 9000);
        QTRY_VERIFY(Probe::idle(*b.window));
        QTEST(b.boxes.last().title + "/" + b.boxes.last().text, "box");
        QCOMPARE(FakeCan0::connected, 0);
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

    // No can0: one box at the press, and nothing goes out.
    void noCan0()
    {
        BusBench b;
        FakeCan0::install(0, 0, "No such device");
        b.ui->comboBox_protocol->setCurrentIndex(1);
        b.ui->lineEdit_ID->setText("5");
        b.ui->pushButton_changeParameters->click();
        QCOMPARE(b.boxes.count(), 1);
        QCOMPARE(b.boxes.last().title + "/" + b.boxes.last().text, "Ошибка/Нет доступа к can0: No such device");
        QVERIFY(Probe::idle(*b.window));
        QCOMPARE(FakeCan0::created - FakeCan0::connected, 1);
        QVERIFY(b.sudo.lines().isEmpty());
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
