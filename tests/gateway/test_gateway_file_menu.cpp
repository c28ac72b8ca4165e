// The menu "Файл настройки" through the window: saving the form, choosing and
// loading a file, loading it again, and the reports when no file is chosen or
// the file cannot be written. File dialogs are answered by the test.

#include "gateway_bench.h"
#include "ini_text.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class GatewayFileMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void saveEmptyFormWritesDefaults();
    void switchedOffAddressRoundTrip();
    void loadSwitchesViewThenFillsEveryField();
    void noFileChosen();
    void loadAgainReadsTheFileAgain();
    void emptyFileGivesEmptyForm();
    void unwritableFileIsReported();
    void cancelledSaveWritesNothing();
    void unreadableFileLeavesTheForm();
};

namespace {

QAction *menuAction(MainWindow &w, const char *name)
{
    return w.findChild<QAction *>(name);
}

const QByteArray kUniversalFile = "[General]\n"
                                  "IP_ADRESS=10.2.3.4\n"
                                  "MASK=255.255.255.128\n"
                                  "GATEWAY=10.2.3.1\n"
                                  "PORT_TCP=10503\n"
                                  "SPEED_RS485=8\n"
                                  "STOP_BIT=2\n"
                                  "PARITY=3\n"
                                  "MODE_TCP=2\n"
                                  "TIMEOUT_RESPONSE=250\n"
                                  "\n[MODUL]\n"
                                  "Name=\"Modbus universal \"\n"
                                  "\n[Client_TCP]\n"
                                  "IP_SERVER_TCP=10.2.3.99\n"
                                  "TIMEOUT_TCP=45\n"
                                  "RTU_VIRTUAL_ID=9\n"
                                  "TCP_SLAVE_ID=21\n";

} // namespace

void GatewayFileMenuTest::saveEmptyFormWritesDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.TRset");
    ModalCatcher boxes;
    MainWindow w;
    boxes.enqueueFile(path);
    menuAction(w, "action_save")->trigger();
    QCOMPARE(boxes.fileDialogs(), 1);
    QCOMPARE(boxes.count(), 0);

    const Ini ini = parseIni(path);
    const QMap<QString, QString> general{{"IP_ADRESS", "192.168.0.1"}, {"MASK", "255.255.255.0"},
                                         {"GATEWAY", "0.0.0.0"},       {"PORT_TCP", "502"},
                                         {"SPEED_RS485", "4"},         {"STOP_BIT", "1"},
                                         {"PARITY", "1"},              {"MODE_TCP", "1"},
                                         {"TIMEOUT_RESPONSE", "1000"}};
    QCOMPARE(ini.value("General"), general);
    QCOMPARE(ini.value("MODUL"), (QMap<QString, QString>{{"Name", "Modbus TCP-RTU "}}));
    const QMap<QString, QString> client{{"IP_SERVER_TCP", "192.168.0.10"}, {"TIMEOUT_TCP", "180"},
                                        {"RTU_VIRTUAL_ID", "1"}, {"TCP_SLAVE_ID", "off"}};
    QCOMPARE(ini.value("Client_TCP"), client);
    // Saving does not make it the current file.
    QCOMPARE(Probe::settingsFileName(w), QString());
    QCOMPARE(menuAction(w, "action")->text(), QStringLiteral("Текущий файл"));
}

void GatewayFileMenuTest::switchedOffAddressRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("off.TRset");
    ModalCatcher boxes;
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    ui->conbox0->setCurrentIndex(2);
    ui->checkBox->click();
    ui->lineEdit_tcp_id->setText("42"); // a number in the field does not count while "off" is ticked
    boxes.enqueueFile(path);
    menuAction(w, "action_save")->trigger();
    QCOMPARE(parseIni(path)["Client_TCP"]["TCP_SLAVE_ID"], QStringLiteral("off"));
    QCOMPARE(parseIni(path)["MODUL"]["Name"], QStringLiteral("Modbus universal "));

    MainWindow other;
    Ui_MainWindow *oui = Probe::ui(other);
    oui->lineEdit_tcp_id->setText("5");
    boxes.enqueueFile(path);
    menuAction(other, "action_open_2")->trigger();
    QCOMPARE(oui->conbox0->currentIndex(), 2);
    QVERIFY(oui->checkBox->isChecked());
    QVERIFY(!oui->lineEdit_tcp_id->isEnabled());
    QCOMPARE(oui->lineEdit_tcp_id->text(), QString());
    QCOMPARE(oui->lineEdit_tcp_id->styleSheet(), QStringLiteral("background-color: #f5edff;"));
    QCOMPARE(boxes.count(), 0);
}

void GatewayFileMenuTest::loadSwitchesViewThenFillsEveryField()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("universal.TRset");
    writeText(path, kUniversalFile);
    ModalCatcher boxes;
    MainWindow w;
    prepareMainWindow(w);
    w.show();
    Ui_MainWindow *ui = Probe::ui(w);
    ui->lineEdit_ip->setText("before");
    ui->checkBox->click(); // ticked before; the file's number unticks it
    // Marks of values a scan did not recognise go with the load.
    ui->lineEdit_rtu_virtual_id->setStyleSheet(kRed);
    ui->comboBox_speed->setStyleSheet(kRed);

    // When the variant changes, the fields must not have been filled yet.
    QString ipWhenViewSwitched;
    connect(ui->conbox0, QOverload<int>::of(&QComboBox::currentIndexChanged), &w,
            [&] { ipWhenViewSwitched = ui->lineEdit_ip->text(); });

    boxes.enqueueFile(path);
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(ipWhenViewSwitched, QStringLiteral("before"));
    QCOMPARE(w.size(), QSize(750, 550)); // the universal view
    QVERIFY(!ui->lineEdit_timewait->isHidden());

    QCOMPARE(ui->conbox0->currentIndex(), 2);
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.2.3.4"));
    QCOMPARE(ui->lineEdit_mask->text(), QStringLiteral("255.255.255.128"));
    QCOMPARE(ui->lineEdit_gateway->text(), QStringLiteral("10.2.3.1"));
    QCOMPARE(ui->lineEdit_portTCP->text(), QStringLiteral("10503"));
    QCOMPARE(ui->comboBox->currentIndex(), 3);
    QCOMPARE(ui->comboBox_speed->currentIndex(), 8);
    QCOMPARE(ui->comboBox_2->currentIndex(), 2);
    QCOMPARE(ui->comboBox_mode->currentIndex(), 2);
    QCOMPARE(ui->lineEdit_timewait->text(), QStringLiteral("250"));
    QCOMPARE(ui->lineEdit_ipservertcp->text(), QStringLiteral("10.2.3.99"));
    QCOMPARE(ui->lineEdit_timeout->text(), QStringLiteral("45"));
    QCOMPARE(ui->lineEdit_rtu_virtual_id->text(), QStringLiteral("9"));
    QCOMPARE(ui->lineEdit_tcp_id->text(), QStringLiteral("21"));
    QVERIFY(ui->lineEdit_tcp_id->isEnabled());
    QVERIFY(!ui->checkBox->isChecked());
    QCOMPARE(ui->lineEdit_tcp_id->styleSheet(), QString());
    QCOMPARE(ui->lineEdit_version->styleSheet(), kLavender);
    QCOMPARE(ui->lineEdit_MAC->styleSheet(), QStringLiteral("background-color: #f5edff;"));
    QCOMPARE(ui->lineEdit_rtu_virtual_id->styleSheet(), QString());
    QCOMPARE(ui->comboBox_speed->styleSheet(), QString());

    QCOMPARE(Probe::settingsFileName(w), path);
    QCOMPARE(menuAction(w, "action")->text(), QStringLiteral("Текущий файл (") + path + ")");
}

void GatewayFileMenuTest::noFileChosen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.TRset");
    writeText(path, kUniversalFile);
    ModalCatcher boxes;
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);

    // "Текущий файл" before any file was chosen.
    ui->lineEdit_ip->setText("keep");
    menuAction(w, "action")->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().title, QStringLiteral("Ошибка"));
    QCOMPARE(boxes.last().text, QStringLiteral("Файл конфигурации не выбран"));
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("keep"));

    // A file chosen, then the next open dialog cancelled.
    boxes.enqueueFile(path);
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(boxes.count(), 1);
    ui->lineEdit_ip->setText("keep");
    boxes.enqueueFile(QString());
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(Probe::settingsFileName(w), QString());
    QCOMPARE(menuAction(w, "action")->text(), QStringLiteral("Текущий файл ()"));
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.last().text, QStringLiteral("Файл конфигурации не выбран"));
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("keep"));
    menuAction(w, "action")->trigger();
    QCOMPARE(boxes.count(), 3);
    QCOMPARE(boxes.last().text, QStringLiteral("Файл конфигурации не выбран"));
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("keep"));
}

void GatewayFileMenuTest::loadAgainReadsTheFileAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("b.TRset");
    writeText(path, kUniversalFile);
    ModalCatcher boxes;
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    boxes.enqueueFile(path);
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.2.3.4"));

    // Another converter type and other values in the same file.
    writeText(path, "[General]\nIP_ADRESS=10.9.9.9\nSPEED_RS485=2\n[MODUL]\nName=Modbus RTU-TCP\n"
                    "[Client_TCP]\nTCP_SLAVE_ID=off\n");
    ui->lineEdit_ip->setText("edited");
    menuAction(w, "action")->trigger();
    QCOMPARE(boxes.fileDialogs(), 1); // no dialog for loading again
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(ui->conbox0->currentIndex(), 1);
    QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.9.9.9"));
    QCOMPARE(ui->comboBox_speed->currentIndex(), 2);
    QCOMPARE(ui->lineEdit_mask->text(), QString());
    QCOMPARE(ui->comboBox->currentIndex(), 0);
    QVERIFY(ui->checkBox->isChecked());
}

void GatewayFileMenuTest::emptyFileGivesEmptyForm()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.TRset");
    writeText(path, "");
    ModalCatcher boxes;
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    ui->conbox0->setCurrentIndex(1);
    ui->lineEdit_ip->setText("old");
    ui->comboBox_speed->setCurrentIndex(3);
    ui->checkBox->click();
    boxes.enqueueFile(path);
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(ui->conbox0->currentIndex(), 1); // no name in the file: the type stays
    QCOMPARE(ui->lineEdit_ip->text(), QString());
    QCOMPARE(ui->comboBox_speed->currentIndex(), 0);
    // No address in the file is not "off": the field is enabled and empty.
    QVERIFY(!ui->checkBox->isChecked());
    QVERIFY(ui->lineEdit_tcp_id->isEnabled());
    QCOMPARE(ui->lineEdit_tcp_id->text(), QString());
}

void GatewayFileMenuTest::unwritableFileIsReported()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath("not-a-folder");
    writeText(blocker, "x");
    const QString path = blocker + "/settings.TRset"; // its folder cannot exist
    ModalCatcher boxes;
    MainWindow w;
    boxes.enqueueFile(path);
    menuAction(w, "action_save")->trigger();
    QCOMPARE(boxes.fileDialogs(), 1);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().title, QStringLiteral("Ошибка"));
    QCOMPARE(boxes.last().text, QStringLiteral("Не удалось сохранить файл настройки"));
    QVERIFY(!QFile::exists(path));
}

void GatewayFileMenuTest::cancelledSaveWritesNothing()
{
    QTemporaryDir dir;
    ModalCatcher boxes;
    MainWindow w;
    boxes.enqueueFile(QString());
    menuAction(w, "action_save")->trigger();
    QCOMPARE(boxes.fileDialogs(), 1);
    QCOMPARE(boxes.count(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(QDir::current().entryList({"*.TRset"}), QStringList());
}

// A crafted file (its value would make QSettings decode a polygon with a huge
// point count), a FIFO and a file gone since it was chosen: one box each, and
// the form, the current file and its menu entry stay as they were.
void GatewayFileMenuTest::unreadableFileLeavesTheForm()
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.TRset");
    writeText(good, kUniversalFile);
    const QString crafted = dir.filePath("crafted.TRset");
    writeText(crafted, "IP_ADRESS=@Variant(\\0\\0\\0\\xb7\\x10\\0\\0\\0)\n");
    QCOMPARE(QFileInfo(crafted).size(), 41);
    const QString fifo = dir.filePath("fifo.TRset");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    ModalCatcher boxes;
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    boxes.enqueueFile(good);
    menuAction(w, "action_open_2")->trigger();
    QCOMPARE(boxes.count(), 0);
    ui->lineEdit_mask->setText("edited");
    const QString entry = menuAction(w, "action")->text();

    auto expectRefused = [&](int boxCount) {
        QCOMPARE(boxes.count(), boxCount);
        QCOMPARE(boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(boxes.last().title, QStringLiteral("Ошибка"));
        QCOMPARE(boxes.last().text, QStringLiteral("Не удалось прочитать файл настройки"));
        QCOMPARE(ui->lineEdit_ip->text(), QStringLiteral("10.2.3.4"));
        QCOMPARE(ui->lineEdit_mask->text(), QStringLiteral("edited"));
        QCOMPARE(ui->comboBox_speed->currentIndex(), 8);
        QCOMPARE(ui->lineEdit_tcp_id->text(), QStringLiteral("21"));
        QCOMPARE(Probe::settingsFileName(w), good);
        QCOMPARE(menuAction(w, "action")->text(), entry);
    };

    boxes.enqueueFile(crafted);
    menuAction(w, "action_open_2")->trigger();
    expectRefused(1);

    // Whoever opens the FIFO for reading blocks until a writer comes; a writer
    // that finds a reader waiting lets it go on, so a regression fails here
    // instead of hanging.
    std::atomic<bool> done{false}, readerWaited{false};
    std::thread writer([&] {
        for (int i = 0; i < 150 && !done; ++i) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                readerWaited = true;
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    boxes.enqueueFile(fifo);
    menuAction(w, "action_open_2")->trigger();
    done = true;
    writer.join();
    QVERIFY(!readerWaited);
    expectRefused(2);

    // "Текущий файл" after the chosen file was deleted.
    QVERIFY(QFile::remove(good));
    menuAction(w, "action")->trigger();
    expectRefused(3);
}

QTEST_MAIN(GatewayFileMenuTest)
#include "test_gateway_file_menu.moc"
