// The converter window as the engineer first meets it: its size and the
// views of the three converter variants, the port list, connecting and
// disconnecting, a port that cannot be opened and a port that goes away.

#include "gateway_bench.h"
#include "text_fit.h"
#include "window_reach.h"

#include <QtMath>

class GatewayWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { listPorts({}); }
    void cleanupTestCase() { serial_port_list::setSource(nullptr); }

    void sizeAndVariantViews();
    void startState();
    void connectAndDisconnect();
    void connectTextMustMatchExactly();
    void openFailures();
    void lostPortWhileScanning();
    void lostPortAfterRestartOrder();
    void closingWindowClosesPort();
    void styleclearAndOffBox();
    void textsFitEveryView_data();
    void textsFitEveryView();
    void displayOnlyFieldsReadable();
    void smallScreens_data() { addRoomRows(); }
    void smallScreens();
    void tabOrder();
};

namespace {

struct ViewState
{
    QMap<QString, bool> shown;
    QSize size;
    bool operator==(const ViewState &o) const { return shown == o.shown && size == o.size; }
};

ViewState viewState(MainWindow &w)
{
    ViewState s;
    for (QWidget *child : w.findChildren<QWidget *>())
        if (!child->objectName().isEmpty())
            s.shown[child->objectName()] = !child->isHidden();
    s.size = w.size();
    return s;
}

bool shown(QWidget *w) { return !w->isHidden(); }

// WCAG relative luminance and contrast ratio.
double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : qPow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace

void GatewayWindowTest::sizeAndVariantViews()
{
    MainWindow w;
    prepareMainWindow(w);
    w.show();
    QCOMPARE(w.size(), QSize(754, 550));
    QCOMPARE(w.minimumSize(), QSize(754, 550));
    QCOMPARE(w.maximumSize(), QSize(754, 550));
    Ui_MainWindow *ui = Probe::ui(w);

    // The variant-dependent rows, by variant: shown for TCP-RTU, RTU-TCP, universal.
    struct Row { QList<QWidget *> widgets; bool v0, v1, v2; };
    const QList<Row> table{
        {{ui->comboBox_mode, ui->label_modeTcp}, false, false, true},
        {{ui->lineEdit_version, ui->label_version}, false, false, true},
        {{ui->lineEdit_timewait, ui->label_timewait}, false, false, true},
        {{ui->groupBox_client}, false, true, true},
        {{ui->lineEdit_ipservertcp, ui->label_ipserver, ui->lineEdit_timeout, ui->label_timeout}, false, true, true},
        {{ui->reset_allparameters}, false, false, true},
        // Rows shown for every variant.
        {{ui->lineEdit_MAC, ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_portTCP,
          ui->comboBox, ui->comboBox_speed, ui->comboBox_2, ui->Reset, ui->applyButton},
         true, true, true},
    };
    const QList<QWidget *> universalOnlyInGroup{ui->lineEdit_rtu_virtual_id, ui->label_id_rtu, ui->lineEdit_tcp_id,
                                                ui->label_idtcp, ui->checkBox};

    // Universal first, then RTU-TCP: the universal-only rows go away again.
    for (int index : {2, 1, 0, 2}) {
        const QMap<QWidget *, bool> groupBefore = [&] {
            QMap<QWidget *, bool> m;
            for (QWidget *x : universalOnlyInGroup) m[x] = shown(x);
            return m;
        }();
        w.universal_show(index);
        for (const Row &row : table)
            for (QWidget *x : row.widgets)
                QVERIFY2(shown(x) == (index == 0 ? row.v0 : index == 1 ? row.v1 : row.v2),
                         qPrintable(QString("%1 for variant %2").arg(x->objectName()).arg(index)));
        for (QWidget *x : universalOnlyInGroup) {
            if (index == 0)
                QCOMPARE(shown(x), groupBefore[x]); // left alone: their group is hidden
            else
                QCOMPARE(shown(x), index == 2);
        }
        QCOMPARE(w.size(), index == 2 ? QSize(750, 550) : QSize(750, 450));
        QCOMPARE(w.minimumSize(), w.maximumSize());
    }

    // The variant list drives the view.
    ui->conbox0->setCurrentIndex(1);
    QVERIFY(!shown(ui->reset_allparameters));
    QVERIFY(shown(ui->groupBox_client));
    QCOMPARE(w.size(), QSize(750, 450));

    // Indexes outside the list change nothing at all.
    w.universal_show(2);
    const ViewState before = viewState(w);
    w.universal_show(3);
    QVERIFY(viewState(w) == before);
    w.universal_show(-1);
    QVERIFY(viewState(w) == before);
}

void GatewayWindowTest::startState()
{
    listPorts({"/dev/ttyUSB0", "/dev/ttyS3"});
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    QCOMPARE(w.windowTitle(), QStringLiteral("Конфигуратор Modbus TCP-RTU"));
    QVERIFY(!w.windowIcon().isNull());
    for (QWidget *x : {static_cast<QWidget *>(ui->scan_parameters), static_cast<QWidget *>(ui->applyButton),
                       static_cast<QWidget *>(ui->Reset), static_cast<QWidget *>(ui->reset_allparameters),
                       static_cast<QWidget *>(ui->lineEdit_MAC), static_cast<QWidget *>(ui->lineEdit_version)})
        QVERIFY2(!x->isEnabled(), qPrintable(x->objectName()));
    QVERIFY(ui->conbox0->isEnabled());
    QVERIFY(ui->serialPortInfoListBox->isEnabled());
    QVERIFY(ui->scanport->isEnabled());
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->applyButton->text(), QStringLiteral("Записать параметры"));

    QCOMPARE(ui->serialPortInfoListBox->count(), 2);
    QCOMPARE(ui->serialPortInfoListBox->itemText(0), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(ui->serialPortInfoListBox->itemText(1), QStringLiteral("/dev/ttyS3"));

    // "Обновить" reads the list again.
    listPorts({"/dev/ttyACM0"});
    ui->scanport->click();
    QCOMPARE(ui->serialPortInfoListBox->count(), 1);
    QCOMPARE(ui->serialPortInfoListBox->currentText(), QStringLiteral("/dev/ttyACM0"));

    // No timer runs and nothing is open before the user connects.
    QVERIFY(!Probe::anyTimerActive(w));
    for (QTimer *t : Probe::timers(w)) {
        QCOMPARE(t->interval(), 1000);
        QVERIFY(!t->isSingleShot());
    }
    QVERIFY(!Probe::serial(w).isOpen());
}

void GatewayWindowTest::connectAndDisconnect()
{
    GatewayBench bench(ConverterSim::RtuTcp);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());

    const QSerialPort &port = Probe::serial(*bench.window);
    QCOMPARE(port.openMode(), QIODevice::ReadWrite);
    QCOMPARE(port.baudRate(), 9600);
    QCOMPARE(port.dataBits(), QSerialPort::Data8);
    QCOMPARE(port.parity(), QSerialPort::NoParity);
    QCOMPARE(port.stopBits(), QSerialPort::OneStop);
    QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
    QVERIFY(bench.portOpenInProcess());

    for (QWidget *x : QList<QWidget *>{ui->scan_parameters, ui->applyButton, ui->Reset, ui->reset_allparameters})
        QVERIFY2(x->isEnabled(), qPrintable(x->objectName()));
    for (QWidget *x : QList<QWidget *>{ui->conbox0, ui->serialPortInfoListBox, ui->scanport})
        QVERIFY2(!x->isEnabled(), qPrintable(x->objectName()));
    QCOMPARE(ui->statusbar->currentMessage(), QStringLiteral("Connected"));
    QCOMPARE(ui->connect->text(), kDisconnect);
    // Opening shows the chosen variant's view.
    QCOMPARE(bench.window->size(), QSize(750, 450));
    QVERIFY(!ui->groupBox_client->isHidden());

    // Disconnect in the middle of a scan.
    ui->scan_parameters->click();
    QCOMPARE(ui->scan_parameters->text(), kStopScan);
    ui->connect->click();
    QVERIFY(!port.isOpen());
    QVERIFY(!bench.portOpenInProcess());
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->statusbar->currentMessage(), QStringLiteral("Disconnected"));
    QCOMPARE(ui->scan_parameters->text(), kScan);
    QCOMPARE(ui->applyButton->text(), kWrite);
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    for (QWidget *x : QList<QWidget *>{ui->scan_parameters, ui->applyButton, ui->Reset, ui->reset_allparameters})
        QVERIFY2(!x->isEnabled(), qPrintable(x->objectName()));
    for (QWidget *x : QList<QWidget *>{ui->conbox0, ui->serialPortInfoListBox, ui->scanport})
        QVERIFY2(x->isEnabled(), qPrintable(x->objectName()));
    QCOMPARE(bench.boxes.count(), 0);

    // And connect again.
    QVERIFY(bench.connectPort());
    QCOMPARE(bench.boxes.count(), 0);
}

void GatewayWindowTest::connectTextMustMatchExactly()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    // The same word with a Cyrillic first letter is not the connect text.
    const QString cyrillic = QStringLiteral("Соединиться");
    QVERIFY(cyrillic != kConnect);
    bench.ui->connect->setText(cyrillic);
    bench.ui->connect->click();
    QVERIFY(!Probe::serial(*bench.window).isOpen());
    QCOMPARE(bench.ui->connect->text(), cyrillic);
    QCOMPARE(bench.boxes.count(), 0);
}

void GatewayWindowTest::openFailures()
{
    for (const QStringList &ports : {QStringList(), QStringList{"/dev/pts/no-such-terminal"}}) {
        listPorts(ports);
        ModalCatcher boxes;
        MainWindow w;
        Ui_MainWindow *ui = Probe::ui(w);
        QCOMPARE(ui->serialPortInfoListBox->count(), ports.size());
        ui->connect->click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(boxes.last().title, QStringLiteral("Отказано в доступе"));
        QCOMPARE(boxes.last().text, QStringLiteral("Ошибка соединения"));
        QCOMPARE(ui->statusbar->currentMessage(), QStringLiteral("Порт отказано в доступе"));
        QCOMPARE(ui->connect->text(), kConnect);
        QVERIFY(!ui->scan_parameters->isEnabled());
        QVERIFY(ui->conbox0->isEnabled());
    }
}

void GatewayWindowTest::lostPortWhileScanning()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    Ui_MainWindow *ui = bench.ui;
    QVERIFY(bench.connectPort());
    bench.armWrite();
    ui->scan_parameters->click();
    // Wait for the converter to fill a couple of fields.
    QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_ip->styleSheet(), kGreen, 5000);
    QVERIFY(!ui->lineEdit_MAC->styleSheet().isEmpty());

    bench.sim.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(bench.boxes.count(), 1, 5000);
    const ModalCatcher::Box box = bench.boxes.last();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QStringLiteral("Critical Error"));
    QCOMPARE(box.text, QStringLiteral("Ошибка соединения"));

    QVERIFY(!Probe::serial(*bench.window).isOpen());
    QVERIFY(!Probe::anyTimerActive(*bench.window));
    QVERIFY(!bench.window->findChild<QProgressBar *>()->isVisible());
    QCOMPARE(Probe::steps(*bench.window), QList<int>({0, 0, 0, 0}));
    QCOMPARE(ui->connect->text(), kConnect);
    QCOMPARE(ui->scan_parameters->text(), kScan);
    QCOMPARE(ui->applyButton->text(), kWrite);
    QCOMPARE(ui->statusbar->currentMessage(), QStringLiteral("Disconnected"));
    for (QWidget *field : paramFields(ui))
        QVERIFY2(field->styleSheet().isEmpty(), qPrintable(field->objectName()));
    // The dead port is closed, so it does not keep reporting.
    QTest::qWait(1500);
    QCOMPARE(bench.boxes.count(), 1);
}

void GatewayWindowTest::lostPortAfterRestartOrder()
{
    GatewayBench bench(ConverterSim::TcpRtu);
    QVERIFY(bench.connectPort());
    QVERIFY(!Probe::rebootExpected(*bench.window));
    bench.ui->Reset->click(); // the converter restarts and its port goes away
    QVERIFY(Probe::rebootExpected(*bench.window));
    QTRY_VERIFY_WITH_TIMEOUT(!Probe::serial(*bench.window).isOpen(), 5000);
    QCOMPARE(bench.ui->connect->text(), kConnect);
    QCOMPARE(bench.ui->statusbar->currentMessage(), QStringLiteral("Disconnected"));
    QVERIFY(!bench.portOpenInProcess());
    QTest::qWait(500);
    QCOMPARE(bench.boxes.count(), 0);
}

void GatewayWindowTest::closingWindowClosesPort()
{
    GatewayBench bench(ConverterSim::Universal);
    QVERIFY(bench.connectPort());
    bench.ui->scan_parameters->click();
    QVERIFY(bench.portOpenInProcess());
    bench.window.reset();
    QVERIFY(!bench.portOpenInProcess());
}

void GatewayWindowTest::styleclearAndOffBox()
{
    MainWindow w;
    Ui_MainWindow *ui = Probe::ui(w);
    for (QWidget *field : paramFields(ui))
        field->setStyleSheet(kRed);
    ui->lineEdit_version->setStyleSheet(kGreen);
    w.styleclear();
    for (QWidget *field : paramFields(ui))
        QVERIFY2(field->styleSheet().isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(ui->lineEdit_version->styleSheet(), kGreen);

    // "off" switches the TCP server address off, and back on empty.
    w.universal_show(2);
    w.show();
    ui->lineEdit_tcp_id->setText("17");
    QTest::mouseClick(ui->checkBox, Qt::LeftButton);
    QVERIFY(ui->checkBox->isChecked());
    QVERIFY(!ui->lineEdit_tcp_id->isEnabled());
    QCOMPARE(ui->lineEdit_tcp_id->styleSheet(), kLavender);
    QCOMPARE(ui->lineEdit_tcp_id->text(), QString());
    QTest::mouseClick(ui->checkBox, Qt::LeftButton);
    QVERIFY(!ui->checkBox->isChecked());
    QVERIFY(ui->lineEdit_tcp_id->isEnabled());
    QCOMPARE(ui->lineEdit_tcp_id->styleSheet(), QString());
    QCOMPARE(ui->lineEdit_tcp_id->text(), QString());
}

void GatewayWindowTest::textsFitEveryView_data()
{
    QTest::addColumn<int>("variant"); // -1: the window as it starts
    QTest::newRow("start") << -1;
    QTest::newRow("TCP-RTU") << 0;
    QTest::newRow("RTU-TCP") << 1;
    QTest::newRow("universal") << 2;
}

// Every text whole, in each view, with the widest values the fields take,
// painted green as after a scan, and the buttons in each of their states.
void GatewayWindowTest::textsFitEveryView()
{
    QFETCH(int, variant);
    MainWindow w;
    prepareMainWindow(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Ui_MainWindow *ui = Probe::ui(w);
    QVERIFY(!ui->statusbar->isSizeGripEnabled()); // the window cannot be resized
    if (variant >= 0)
        w.universal_show(variant);

    const QList<QPair<QLineEdit *, const char *>> widest{
        {ui->lineEdit_ip, "255.255.255.255"},      {ui->lineEdit_mask, "255.255.255.255"},
        {ui->lineEdit_gateway, "255.255.255.255"}, {ui->lineEdit_ipservertcp, "255.255.255.255"},
        {ui->lineEdit_MAC, "FF:FF:FF:FF:FF:FF"},   {ui->lineEdit_portTCP, "65535"},
        {ui->lineEdit_timewait, "60000"},          {ui->lineEdit_timeout, "240"},
        {ui->lineEdit_rtu_virtual_id, "247"},      {ui->lineEdit_tcp_id, "255"},
        {ui->lineEdit_version, "2.04"}};
    for (const auto &f : widest)
        f.first->setText(QString::fromLatin1(f.second));
    QList<QWidget *> fields = paramFields(ui);
    fields << ui->lineEdit_version;
    for (QWidget *field : fields)
        field->setStyleSheet(kGreen);
    // The longest status line, beside the progress bar.
    w.findChild<QProgressBar *>()->show();
    ui->statusbar->showMessage(QStringLiteral("Порт отказано в доступе"));

    const QList<QStringList> buttonStates{{QStringLiteral("Cоединиться"), kScan, QStringLiteral("Записать параметры")},
                                          {kDisconnect, kStopScan, kWrite},
                                          {kDisconnect, kScan, kStopWrite}};
    for (const QStringList &texts : buttonStates) {
        ui->connect->setText(texts[0]);
        ui->scan_parameters->setText(texts[1]);
        ui->applyButton->setText(texts[2]);
        QCoreApplication::processEvents();
        const QStringList cut = cutTexts(&w);
        QVERIFY2(cut.isEmpty(), qPrintable(QString::number(w.width()) + "x" + QString::number(w.height()) + "\n"
                                           + cut.join('\n')));
    }
}

// The display-only fields stay disabled, and their text stays readable on
// every look they get.
void GatewayWindowTest::displayOnlyFieldsReadable()
{
    MainWindow w;
    prepareMainWindow(w);
    w.universal_show(2);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Ui_MainWindow *ui = Probe::ui(w);
    for (QLineEdit *edit : {ui->lineEdit_MAC, ui->lineEdit_version}) {
        QVERIFY(!edit->isEnabled());
        for (const QString &look : {QString(), kGreen, kLavender}) {
            edit->setStyleSheet(look);
            edit->clear();
            QCoreApplication::processEvents();
            // The background as painted, in the middle of the empty field.
            const QImage image = edit->grab().toImage();
            const QColor background = image.pixelColor(image.width() / 2, image.height() / 2);
            const QColor text = edit->palette().color(QPalette::Disabled, QPalette::Text);
            const double ratio = contrast(text, background);
            QVERIFY2(ratio >= 4.5, qPrintable(QString("%1 '%2': %3 on %4 is %5:1")
                                                  .arg(edit->objectName(), look, text.name(), background.name())
                                                  .arg(ratio, 0, 'f', 2)));
        }
    }
}

// Each view on each screen: the working size where the screen holds it, and
// every widget within reach where it does not; the window follows its screen.
void GatewayWindowTest::smallScreens()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    const window_fit::Room room{available, frame}, large{QRect(0, 0, 1920, 1080), frame};
    RoomOverride screen(room);
    MainWindow w;
    prepareMainWindow(w);
    w.findChild<QProgressBar *>()->show(); // in reach as the rest
    w.show();
    VERIFY_FITS(w, room, QSize(754, 550), true);
    for (int variant : {0, 1, 2}) {
        w.universal_show(variant);
        VERIFY_FITS(w, room, QSize(750, variant == 2 ? 550 : 450), true);
    }
    screen.set(large);
    VERIFY_FITS(w, large, QSize(750, 550), true);
    screen.set(room);
    VERIFY_FITS(w, room, QSize(750, 550), true);
}

// Tab goes down the connection area, then the parameter fields, then the
// buttons on the right.
void GatewayWindowTest::tabOrder()
{
    MainWindow w;
    prepareMainWindow(w);
    w.universal_show(2);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Ui_MainWindow *ui = Probe::ui(w);
    for (QWidget *button : {ui->scan_parameters, ui->applyButton, ui->reset_allparameters, ui->Reset})
        button->setEnabled(true); // as with the port open
    QCOMPARE(tabWalk(ui->serialPortInfoListBox),
             QString("serialPortInfoListBox scanport connect conbox0 scan_parameters comboBox_mode lineEdit_ip "
                     "lineEdit_mask lineEdit_gateway lineEdit_portTCP comboBox comboBox_speed comboBox_2 "
                     "lineEdit_timewait lineEdit_ipservertcp lineEdit_timeout lineEdit_rtu_virtual_id lineEdit_tcp_id "
                     "checkBox applyButton reset_allparameters Reset")
                 .split(' '));
}

QTEST_MAIN(GatewayWindowTest)
#include "test_gateway_window.moc"
