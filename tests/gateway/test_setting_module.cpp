// The settings file of the converter configurator: what setting_module writes
// (read back both through the class and as raw INI text), what it makes of
// incomplete or broken files, the report of a save that did not reach the disk,
// and the two dialog-driven slots.

#include "ini_text.h"
#include "setting_module.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// A complete set with no empty value; the varying three come from the case.
void fill(setting_module &m, const QString &name, const QString &slaveId, int speed)
{
    m.modul_name = name;
    m.ip_address = "192.168.0.7";
    m.mask = "255.255.0.0";
    m.gateway = "192.168.0.254";
    m.port_tcp = "10502";
    m.speed_rs485 = speed;
    m.stop_bit = 2;
    m.parity = 3;
    m.mode_tcp = 2;
    m.timeout_response = "1500";
    m.ip_server_tcp = "10.0.0.9";
    m.timeout_tcp = "240";
    m.rtu_virtual_id = "247";
    m.tcp_slave_id = slaveId;
}

// The fourteen values in file order, the integers as decimal text.
QStringList values(const setting_module &m)
{
    return {m.modul_name, m.ip_address, m.mask, m.gateway, m.port_tcp,
            QString::number(m.speed_rs485), QString::number(m.stop_bit),
            QString::number(m.parity), QString::number(m.mode_tcp), m.timeout_response,
            m.ip_server_tcp, m.timeout_tcp, m.rtu_virtual_id, m.tcp_slave_id};
}

// The empty set (texts empty, list indices 0) with some values replaced.
QStringList emptySetWith(const QMap<int, QString> &changes = {})
{
    QStringList set{"", "", "", "", "", "0", "0", "0", "0", "", "", "", "", ""};
    for (auto it = changes.begin(); it != changes.end(); ++it)
        set[it.key()] = it.value();
    return set;
}

// Runs `action` on the file dialog once it is on screen; the static dialog
// functions block, so the dialog is looked for from a timer.
void onFileDialog(std::function<void(QFileDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(15);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            if (dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(dialog);
                return;
            }
        }
    });
    timer->start();
}

// Picks `file` in the dialog and accepts it; a dialog that refuses the choice
// is cancelled, so that the case fails instead of hanging. selectFile() leaves
// the name field alone while it has the focus, so the focus goes first.
void choose(QFileDialog *dialog, const QString &file)
{
    if (QWidget *focused = dialog->focusWidget())
        focused->clearFocus();
    dialog->selectFile(file);
    static_cast<QDialog *>(dialog)->accept();
    if (dialog->isVisible())
        dialog->reject();
}

} // namespace

class TestSettingModule : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
    }

    void roundTrip_data();
    void roundTrip();
    void fileLayout();
    void loadIncompleteFiles_data();
    void loadIncompleteFiles();
    void settingsObjectFreed();
    void saveFailure();
    void saveFailureReadOnlyFolder();
    void dialogs();
    void serializedValuesAreRefused_data();
    void serializedValuesAreRefused();
    void filesThatAreNotRead();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir; // a fresh folder for each case
};

void TestSettingModule::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("slaveId");
    QTest::addColumn<int>("speed");
    QTest::newRow("universal, off") << "Modbus universal " << "off" << 4;
    QTest::newRow("tcp-rtu, 17") << "Modbus TCP-RTU " << "17" << 10;
    QTest::newRow("rtu-tcp, empty") << "Modbus RTU-TCP" << "" << 0;
    // QSettings writes a text with a NUL character as "@String(...)".
    QTest::newRow("NUL and control characters")
        << "Modbus universal " << QString(QStringLiteral("1") + QChar(0) + QStringLiteral("7\x01\x1f")) << 4;
}

void TestSettingModule::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, slaveId);
    QFETCH(int, speed);
    setting_module out(nullptr);
    fill(out, name, slaveId, speed);
    out.SaveNTSetting(path("round.TRset"));
    QVERIFY(!out.lastSaveFailed());

    setting_module in(nullptr);
    in.LoadNTSetting(path("round.TRset"));
    QCOMPARE(values(in), values(out)); // blanks, "off" and numbers unchanged
    QCOMPARE(in.file_name, QString()); // only the dialogs set it
}

void TestSettingModule::fileLayout()
{
    // Written by hand: a key QSettings has to keep in each section, and one
    // section of its own.
    const QString file = path("layout.TRset");
    writeText(file, "[General]\nNOTE=bench unit\nMASK=1.1.1.1\n"
                    "[MODUL]\nName=old\nSerial=A17\n[Extra]\nkey=kept\n");
    setting_module m(nullptr);
    fill(m, "Modbus TCP-RTU ", "off", 4);
    m.SaveNTSetting(file);

    // Complete on disk when the slot returns, the object still alive.
    const Ini expected{
        {"General", {{"IP_ADRESS", "192.168.0.7"}, {"MASK", "255.255.0.0"},
                     {"GATEWAY", "192.168.0.254"}, {"PORT_TCP", "10502"},
                     {"SPEED_RS485", "4"}, {"STOP_BIT", "2"}, {"PARITY", "3"},
                     {"MODE_TCP", "2"}, {"TIMEOUT_RESPONSE", "1500"},
                     {"NOTE", "bench unit"}}},
        {"MODUL", {{"Name", "Modbus TCP-RTU "}, {"Serial", "A17"}}},
        {"Client_TCP", {{"IP_SERVER_TCP", "10.0.0.9"}, {"TIMEOUT_TCP", "240"},
                        {"RTU_VIRTUAL_ID", "247"}, {"TCP_SLAVE_ID", "off"}}},
        {"Extra", {{"key", "kept"}}}};
    QCOMPARE(parseIni(file), expected);
}

void TestSettingModule::loadIncompleteFiles_data()
{
    QTest::addColumn<QByteArray>("text"); // "<missing>": no file at all
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("only MODUL") << QByteArray("[MODUL]\nName=Modbus RTU-TCP\n")
                                << emptySetWith({{0, "Modbus RTU-TCP"}});
    QTest::newRow("only MODUL, quoted blank")
        << QByteArray("[MODUL]\nName=\"Modbus universal \"\n")
        << emptySetWith({{0, "Modbus universal "}});
    QTest::newRow("integers by hand") << QByteArray("[General]\nSPEED_RS485=4\nMODE_TCP=2\n")
                                      << emptySetWith({{5, "4"}, {8, "2"}});
    QTest::newRow("garbage integers")
        << QByteArray("[General]\nSPEED_RS485=fast\nSTOP_BIT=\nPARITY=3x\n"
                      "MODE_TCP=@@Invalid()\nMASK=255.0.0.0\n")
        << emptySetWith({{2, "255.0.0.0"}});
    QTest::newRow("not an ini file") << QByteArray("\x01\x02\xff garbage\n=\n[\n") << emptySetWith();
    QTest::newRow("empty file") << QByteArray() << emptySetWith();
    QTest::newRow("missing file") << QByteArray("<missing>") << emptySetWith();
}

void TestSettingModule::loadIncompleteFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    const QString file = path("load.TRset");
    if (text != "<missing>")
        writeText(file, text);

    setting_module m(nullptr);
    fill(m, "stale", "stale", 9); // every field is overwritten by a load
    m.LoadNTSetting(file);
    QCOMPARE(values(m), expected);
    QCOMPARE(QFile::exists(file), text != "<missing>"); // reading creates nothing
}

void TestSettingModule::settingsObjectFreed()
{
    const QString file = path("owned.TRset");
    auto *m = new setting_module(nullptr);
    m->SaveNTSetting(file);
    QPointer<QSettings> first = m->settings;
    QVERIFY(first);
    m->LoadNTSetting(file);
    QVERIFY(!first);              // replaced object is freed
    QPointer<QSettings> second = m->settings;
    QVERIFY(second);
    m->LoadNTSetting(QString());  // no path: no object kept
    QVERIFY(!second);
    QVERIFY(!m->settings);
    m->SaveNTSetting(file);
    QPointer<QSettings> last = m->settings;
    delete m;
    QVERIFY(!last);               // freed with the module
}

void TestSettingModule::saveFailure()
{
    setting_module m(nullptr);
    QVERIFY(!m.lastSaveFailed());

    writeText(path("plainfile"), "x");
    m.SaveNTSetting(path("plainfile/under_a_file.TRset"));
    QVERIFY(m.lastSaveFailed());
    QVERIFY(m.settings && m.settings->status() != QSettings::NoError);

    m.SaveNTSetting(path("ok.TRset"));
    QVERIFY(!m.lastSaveFailed());
    QVERIFY(QFile::exists(path("ok.TRset")));

    // QSettings creates missing folders; the file is then on disk and the save
    // is no failure. Below a regular file no folder can be made.
    m.SaveNTSetting(path("new_dir/a.TRset"));
    QVERIFY(!m.lastSaveFailed());
    QVERIFY(QFile::exists(path("new_dir/a.TRset")));
    m.SaveNTSetting(path("plainfile/no_such_dir/a.TRset"));
    QVERIFY(m.lastSaveFailed());

    m.LoadNTSetting(path("ok.TRset")); // loading neither sets nor clears it
    QVERIFY(m.lastSaveFailed());

    m.SaveNTSetting(QString());        // nothing to write is no failure
    QVERIFY(!m.lastSaveFailed());
    QVERIFY(!m.settings);
}

void TestSettingModule::saveFailureReadOnlyFolder()
{
    if (geteuid() == 0)
        QSKIP("root writes into read-only folders");
    setting_module m(nullptr);
    QVERIFY(QDir(dir->path()).mkdir("ro"));
    QVERIFY(QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner));
    m.SaveNTSetting(path("ro/a.TRset"));
    const bool failed = m.lastSaveFailed();
    QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(failed);
}

void TestSettingModule::dialogs()
{
    setting_module m(nullptr);
    fill(m, "Modbus universal ", "off", 4);

    // A failed save first, so that the cancelled one is seen to clear it.
    writeText(path("plainfile"), "x");
    m.SaveNTSetting(path("plainfile/a.TRset"));
    QVERIFY(m.lastSaveFailed());

    QString title;
    QStringList filters;
    onFileDialog([&](QFileDialog *d) {
        title = d->windowTitle();
        filters = d->nameFilters();
        d->reject();
    });
    m.SaveNTSetting();
    QCOMPARE(title, QString("Настройки"));
    QCOMPARE(filters, QStringList{"TCP_RTU settings (*.TRset);"});
    QCOMPARE(m.file_name, QString());
    QVERIFY(!m.lastSaveFailed());
    QVERIFY(!m.settings);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"plainfile"});

    const QString chosen = path("chosen"); // used as given: no extension added
    onFileDialog([&](QFileDialog *d) { choose(d, chosen); });
    m.SaveNTSetting();
    QCOMPARE(m.file_name, chosen);
    QVERIFY(!m.lastSaveFailed());
    QCOMPARE(parseIni(chosen)["MODUL"].value("Name"), QString("Modbus universal "));

    setting_module in(nullptr);
    onFileDialog([&](QFileDialog *d) { choose(d, chosen); });
    in.LoadNTSetting();
    QCOMPARE(in.file_name, chosen);
    QCOMPARE(values(in), values(m));

    onFileDialog([](QFileDialog *d) { d->reject(); });
    in.LoadNTSetting();
    QCOMPARE(in.file_name, QString());
    QCOMPARE(values(in), emptySetWith());
    QVERIFY(!in.settings);
}

// Whatever way a value is spelled, a file is refused exactly when QSettings
// would decode one of its values as a serialized type. "@Size(...)" is such a
// value and harmless to decode, so QSettings itself is the reference here.
void TestSettingModule::serializedValuesAreRefused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("plain") << QByteArray("IP_ADRESS=@Size(1 2)\n") << true;
    QTest::newRow("quoted") << QByteArray("IP_ADRESS=\"@Size(1 2)\"\n") << true;
    QTest::newRow("after blanks and empty quotes") << QByteArray("IP_ADRESS=  \"\" @Size(1 2)\n") << true;
    QTest::newRow("hex escape") << QByteArray("IP_ADRESS=\\x40Size(1 2)\n") << true;
    QTest::newRow("hex escape past 16 bits") << QByteArray("IP_ADRESS=\\x10040Size(1 2)\n") << true;
    QTest::newRow("octal escape") << QByteArray("IP_ADRESS=\\100Size(1 2)\n") << true;
    QTest::newRow("list element") << QByteArray("MASK=a, @Size(1 2)\n") << true;
    QTest::newRow("line break inside quotes") << QByteArray("MASK=\"a\nb\", @Size(1 2)\n") << true;
    QTest::newRow("key never read") << QByteArray("[Other]\nx=@Size(1 2)\n") << true;
    QTest::newRow("escaped at sign") << QByteArray("IP_ADRESS=@@Size(1 2)\n") << false;
    QTest::newRow("at sign inside") << QByteArray("IP_ADRESS=a@b, c@Size(1 2)\n") << false;
    QTest::newRow("escaped comma") << QByteArray("IP_ADRESS=a\\, @Size(1 2)\n") << false;
    QTest::newRow("text with a NUL") << QByteArray("IP_ADRESS=@String(1\\0\\x32)\n") << false;
    QTest::newRow("text with a NUL in a list") << QByteArray("MASK=a,\"@String(b, c)\"\n") << true;
    QTest::newRow("comment line") << QByteArray("; x=@Size(1 2)\nIP_ADRESS=1\n") << false;
    QTest::newRow("comment after value") << QByteArray("IP_ADRESS=1 ;=@Size(1 2)\n") << false;
}

void TestSettingModule::serializedValuesAreRefused()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, decoded);
    const QString file = path("crafted.TRset");
    writeText(file, text);

    bool qtDecodes = false;
    {
        QSettings reference(file, QSettings::IniFormat);
        for (const QString &key : reference.allKeys()) {
            const int type = reference.value(key).userType();
            qtDecodes = qtDecodes || (type != QMetaType::QString && type != QMetaType::QStringList);
        }
    }
    QCOMPARE(qtDecodes, decoded); // the row is what it claims to be

    setting_module m(nullptr);
    fill(m, "stale", "stale", 9);
    m.LoadNTSetting(file);
    QCOMPARE(m.lastLoadFailed(), decoded);
    if (decoded) {
        QCOMPARE(values(m), emptySetWith());
        QVERIFY(!m.settings);
    }
}

// Refused before anything is read: not a regular file, too large, or gone
// (the FIFO is tried through the window). Saving over a refused file leaves it
// alone: QSettings would read it first.
void TestSettingModule::filesThatAreNotRead()
{
    QVERIFY(QDir(dir->path()).mkdir("folder.TRset"));
    const QByteArray line = "IP_ADRESS=10.0.0.1\n";
    const QByteArray comment = ";" + QByteArray(64 * 1024 - line.size() - 2, ' ') + "\n";
    writeText(path("largest.TRset"), comment + line);
    writeText(path("too_large.TRset"), " " + comment + line);
    QCOMPARE(QFileInfo(path("largest.TRset")).size(), 64 * 1024);
    writeText(path("crafted.TRset"), "MASK=@Variant(\\0\\0\\0\\x7f)\n");

    setting_module m(nullptr);
    m.LoadNTSetting(path("largest.TRset"));
    QVERIFY(!m.lastLoadFailed());
    QCOMPARE(m.ip_address, QStringLiteral("10.0.0.1"));
    for (const char *name : {"folder.TRset", "too_large.TRset", "missing.TRset"}) {
        fill(m, "stale", "stale", 9);
        m.LoadNTSetting(path(name));
        QVERIFY2(m.lastLoadFailed(), name);
        QCOMPARE(values(m), emptySetWith());
    }
    m.LoadNTSetting(QString()); // a cancelled dialog is no failure
    QVERIFY(!m.lastLoadFailed());

    m.SaveNTSetting(path("crafted.TRset"));
    QVERIFY(m.lastSaveFailed());
    QFile crafted(path("crafted.TRset"));
    QVERIFY(crafted.open(QIODevice::ReadOnly));
    QCOMPARE(crafted.readAll(), QByteArray("MASK=@Variant(\\0\\0\\0\\x7f)\n"));
}

QTEST_MAIN(TestSettingModule)
#include "test_setting_module.moc"
