#include "mainwindow.h"

#include "gateway_protocol.h"
#include "serial_port_list.h"
#include "setting_module.h"
#include "ui_mainwindow.h"
#include "window_fit.h"

#include <QAbstractButton>
#include <QDebug>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

using gateway::Field;
using gateway::ScanRow;
using gateway::ValueKind;
using gateway::Variant;
using gateway::WriteRow;

namespace {

// Field looks.
const char kGreen[] = "background-color:  #90ee90;";
const char kRed[] = "background-color: #FF2400";
const char kLavender[] = "background-color:  #f5edff;";

// Texts that double as state: the slots compare the button texts exactly.
// The connect text starts with a Latin C.
const char kConnectText[] = "Cоединиться";
const char kDisconnectText[] = "Отсоединиться";
const char kScanText[] = "Сканировать";
const char kStopScanText[] = "Стоп сканирования";
const char kWriteText[] = "Запись параметры";
const char kStopWriteText[] = "Остановить запись";

// A reply is complete once the line has been quiet this long (about 48
// characters at 9600 bit/s, well inside a 1000 ms step).
constexpr int kReplyQuietMs = 50;
constexpr int kMaxReplyBytes = 4096;

const char kIconPath[] = ":/images/QuillonRTUTCP.ico";
const char kFileCaption[] = "Настройки";
const char kFileFilter[] = "TCP_RTU settings (*.TRset);";

void paintField(QWidget *widget, const char *style)
{
    widget->setStyleSheet(QString::fromUtf8(style));
}

QString noConverterText(Variant variant)
{
    switch (variant) {
    case Variant::TcpRtu: return MainWindow::tr("нет соединения с модулем Modbus TCP-RTU");
    case Variant::RtuTcp: return MainWindow::tr("нет соединения с модулем Modbus RTU-TCP");
    case Variant::Universal: break;
    }
    return MainWindow::tr("нет соединения с модулем Modbus universal");
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);

    scanTimer = new QTimer(this);
    connect(scanTimer, SIGNAL(timeout()), this, SLOT(timerforScan()));
    scanTimer->setInterval(1000);
    scanStep = 0;

    writeTimer = new QTimer(this);
    connect(writeTimer, SIGNAL(timeout()), this, SLOT(change_parametersofmodbus()));
    writeTimer->setInterval(1000);
    writeStep = 0;

    universalScanTimer = new QTimer(this);
    connect(universalScanTimer, SIGNAL(timeout()), this, SLOT(scan_pa_modbus_all()));
    universalScanTimer->setInterval(1000);
    universalScanStep = 0;

    universalWriteTimer = new QTimer(this);
    connect(universalWriteTimer, SIGNAL(timeout()), this, SLOT(change_mode_TCP()));
    universalWriteTimer->setInterval(1000);
    universalWriteStep = 0;

    replyQuietTimer = new QTimer(this);
    replyQuietTimer->setSingleShot(true);
    replyQuietTimer->setInterval(kReplyQuietMs);
    connect(replyQuietTimer, &QTimer::timeout, this, &MainWindow::judgeReply);

    // The window has a fixed size: no grip that invites a resize.
    ui->statusbar->setSizeGripEnabled(false);

    setWindowTitle(tr("Конфигуратор Modbus TCP-RTU"));
    setWindowIcon(QIcon(QString::fromLatin1(kIconPath)));

    ui->scan_parameters->setEnabled(false);
    ui->applyButton->setEnabled(false);
    ui->Reset->setEnabled(false);
    ui->lineEdit_MAC->setEnabled(false);
    ui->lineEdit_version->setEnabled(false);
    // These two only show what the converter reports; their text is read off
    // the screen, so it keeps a dark colour instead of the faint disabled one
    // (readable on the neutral, green and lavender looks alike).
    for (QLineEdit *edit : {ui->lineEdit_MAC, ui->lineEdit_version}) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x30, 0x30, 0x30));
        edit->setPalette(palette);
    }
    ui->reset_allparameters->setEnabled(false);
    ui->conbox0->setEnabled(true);
    ui->serialPortInfoListBox->setEnabled(true);

    connect(ui->conbox0, SIGNAL(currentIndexChanged(int)), this, SLOT(universal_show(int)));

    checkCustomDevicePathPolicy();

    connect(&serial, &QSerialPort::readyRead, this, &MainWindow::readData);
    connect(&serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);
}

MainWindow::~MainWindow()
{
    // The form is gone from here on: no port signal may reach a slot that
    // touches it while the port closes.
    disconnect(&serial, nullptr, this, nullptr);
    delete ui;
    ui = nullptr;
    if (serial.isOpen()) {
        serial.close();
        scanTimer->stop();
        writeTimer->stop();
        universalWriteTimer->stop();
    }
}

// ---------------------------------------------------------------- form views

void MainWindow::universal_show(int index)
{
    if (index < 0 || index > 2)
        return;
    const bool universal = index == 2;
    const bool client = index != 0;

    ui->comboBox_mode->setVisible(universal);
    ui->label_modeTcp->setVisible(universal);
    ui->lineEdit_version->setVisible(universal);
    ui->label_version->setVisible(universal);
    ui->lineEdit_timewait->setVisible(universal);
    ui->label_timewait->setVisible(universal);
    ui->groupBox_client->setVisible(client);
    ui->lineEdit_ipservertcp->setVisible(client);
    ui->label_ipserver->setVisible(client);
    ui->lineEdit_timeout->setVisible(client);
    ui->label_timeout->setVisible(client);
    if (client) {
        // The TCP-RTU converter hides the whole client group, these rows with it.
        ui->lineEdit_rtu_virtual_id->setVisible(universal);
        ui->label_id_rtu->setVisible(universal);
        ui->lineEdit_tcp_id->setVisible(universal);
        ui->label_idtcp->setVisible(universal);
        ui->checkBox->setVisible(universal);
    }
    ui->reset_allparameters->setVisible(universal);

    window_fit::setFixedSize(*this, QSize(750, universal ? 550 : 450));
}

void MainWindow::styleclear()
{
    clearFieldStyles({Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                      Field::PortTcp, Field::TcpTimeout, Field::Mac, Field::Gateway, Field::Mode, Field::RtuId,
                      Field::TcpSlaveId, Field::ResponseTimeout});
}

void MainWindow::on_checkBox_clicked(bool)
{
    if (ui->checkBox->isChecked()) {
        ui->lineEdit_tcp_id->setEnabled(false);
        paintField(ui->lineEdit_tcp_id, kLavender);
        ui->lineEdit_tcp_id->clear();
    } else {
        ui->lineEdit_tcp_id->setEnabled(true);
        ui->lineEdit_tcp_id->setStyleSheet(QString());
    }
}

QWidget *MainWindow::fieldWidget(Field field) const
{
    switch (field) {
    case Field::Mode: return ui->comboBox_mode;
    case Field::Version: return ui->lineEdit_version;
    case Field::Mac: return ui->lineEdit_MAC;
    case Field::Ip: return ui->lineEdit_ip;
    case Field::Mask: return ui->lineEdit_mask;
    case Field::Gateway: return ui->lineEdit_gateway;
    case Field::PortTcp: return ui->lineEdit_portTCP;
    case Field::Parity: return ui->comboBox;
    case Field::Speed: return ui->comboBox_speed;
    case Field::StopBits: return ui->comboBox_2;
    case Field::ResponseTimeout: return ui->lineEdit_timewait;
    case Field::ServerIp: return ui->lineEdit_ipservertcp;
    case Field::TcpTimeout: return ui->lineEdit_timeout;
    case Field::RtuId: return ui->lineEdit_rtu_virtual_id;
    case Field::TcpSlaveId: return ui->lineEdit_tcp_id;
    }
    return nullptr;
}

void MainWindow::clearFieldStyles(std::initializer_list<Field> fields)
{
    for (Field field : fields)
        fieldWidget(field)->setStyleSheet(QString());
}

// The end of a scan takes away the marks of values read; a value that was not
// recognised keeps its red mark until the next scan, write or file load.
void MainWindow::paintUnlessRed(QWidget *widget, const char *style)
{
    if (widget->styleSheet() != QLatin1String(kRed))
        paintField(widget, style);
}

void MainWindow::clearReadMarks(std::initializer_list<Field> fields)
{
    for (Field field : fields)
        paintUnlessRed(fieldWidget(field), "");
}

void MainWindow::clearRedMarks()
{
    for (Field field : {Field::Mode, Field::Version, Field::Mac, Field::Ip, Field::Mask, Field::Gateway,
                        Field::PortTcp, Field::Parity, Field::Speed, Field::StopBits, Field::ResponseTimeout,
                        Field::ServerIp, Field::TcpTimeout, Field::RtuId, Field::TcpSlaveId}) {
        QWidget *widget = fieldWidget(field);
        if (widget->styleSheet() == QLatin1String(kRed))
            widget->setStyleSheet(QString());
    }
}

// --------------------------------------------------------------- serial link

void MainWindow::checkCustomDevicePathPolicy()
{
    ui->serialPortInfoListBox->clear();
    const QStringList names = serial_port_list::names();
    for (const QString &name : names) {
        ui->serialPortInfoListBox->addItem(name);
        ui->serialPortInfoListBox->clearEditText();
    }
}

void MainWindow::on_scanport_clicked()
{
    checkCustomDevicePathPolicy();
}

void MainWindow::on_connect_clicked()
{
    const QString text = ui->connect->text();
    if (text == tr(kConnectText)) {
        openport();
        if (serial.isOpen())
            ui->connect->setText(tr(kDisconnectText));
    } else if (text == tr(kDisconnectText)) {
        ui->connect->setText(tr(kConnectText));
        closeport();
        scanTimer->stop();
        writeTimer->stop();
        universalScanTimer->stop();
        universalWriteTimer->stop();
        scanStep = writeStep = universalScanStep = universalWriteStep = 0;
        ui->scan_parameters->setText(tr(kScanText));
        ui->applyButton->setText(tr(kWriteText));
    }
}

void MainWindow::openport()
{
    const int index = ui->conbox0->currentIndex();
    if (index >= 0 && index <= 2)
        universal_show(index);

    serial.setPortName(ui->serialPortInfoListBox->currentText());
    if (serial.open(QIODevice::ReadWrite)) {
        ui->scan_parameters->setEnabled(true);
        ui->applyButton->setEnabled(true);
        ui->Reset->setEnabled(true);
        ui->reset_allparameters->setEnabled(true);
        ui->conbox0->setEnabled(false);
        ui->serialPortInfoListBox->setEnabled(false);
        ui->scanport->setEnabled(false);
        ui->statusbar->showMessage(tr("Connected"));
    } else {
        QMessageBox::critical(this, tr("Отказано в доступе"), tr("Ошибка соединения"));
        ui->statusbar->showMessage(tr("Порт отказано в доступе"));
        scanTimer->stop();
        writeTimer->stop();
        ui->connect->setText(tr(kConnectText));
    }
}

void MainWindow::closeport()
{
    if (!serial.isOpen())
        return;
    serial.close();
    // Bytes of a reply still coming in belong to the link just closed.
    replyQuietTimer->stop();
    replyBuffer.clear();
    replyTimer = nullptr;
    ui->scan_parameters->setEnabled(false);
    ui->applyButton->setEnabled(false);
    ui->Reset->setEnabled(false);
    ui->conbox0->setEnabled(true);
    ui->serialPortInfoListBox->setEnabled(true);
    ui->reset_allparameters->setEnabled(false);
    ui->scanport->setEnabled(true);
    ui->statusbar->showMessage(tr("Disconnected"));
    scanTimer->stop();
    scanStep = 0;
    writeTimer->stop();
    writeStep = 0;
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError)
        return;
    if (rebootExpected) {
        // The converter was told to restart: its port going away is expected.
        // No sequence can go on without the port, the universal ones included
        // (closeport leaves those alone): a write cut off here must not run on
        // to its success report.
        closeport();
        universalWriteTimer->stop();
        universalScanTimer->stop();
        universalWriteStep = universalScanStep = 0;
        ui->connect->setText(tr(kConnectText));
        ui->scan_parameters->setText(tr(kScanText));
        ui->applyButton->setText(tr(kWriteText));
        return;
    }
    // Close first: a dead port keeps reporting the error until it is closed.
    closeport();
    scanTimer->stop();
    writeTimer->stop();
    universalWriteTimer->stop();
    universalScanTimer->stop();
    scanStep = writeStep = universalWriteStep = universalScanStep = 0;
    QMessageBox::critical(this, tr("Critical Error"), tr("Ошибка соединения"));
    ui->connect->setText(tr(kConnectText));
    ui->scan_parameters->setText(tr(kScanText));
    ui->applyButton->setText(tr(kWriteText));
    styleclear();
}

void MainWindow::sendCommand(const QByteArray &bytes)
{
    serial.write(bytes);
}

// -------------------------------------------------------------- reply parser

// A reply often reaches the port in more than one read (a USB adapter hands
// bytes over every few milliseconds; a 23-byte reply takes 24 ms at 9600
// bit/s). The bytes are collected until the line has been quiet for
// kReplyQuietMs and then judged as one reply, by the operation and step that
// were current when its first byte came in.
void MainWindow::readData()
{
    const QByteArray bytes = serial.readAll();
    if (bytes.isEmpty())
        return;
    if (replyBuffer.isEmpty()) {
        replyTimer = nullptr;
        replyStep = 0;
        const QList<QPair<QTimer *, int>> order = {{writeTimer, writeStep}, {scanTimer, scanStep},
                                                   {universalWriteTimer, universalWriteStep},
                                                   {universalScanTimer, universalScanStep}};
        for (const auto &op : order) {
            if (op.first->isActive()) {
                replyTimer = op.first;
                replyStep = op.second;
                break;
            }
        }
    }
    replyBuffer.append(bytes);
    // A line that never falls quiet is judged in bounded pieces.
    if (replyBuffer.size() >= kMaxReplyBytes) {
        replyQuietTimer->stop();
        judgeReply();
        return;
    }
    replyQuietTimer->start();
}

void MainWindow::judgeReply()
{
    lastReply = gateway::decodeReply(replyBuffer);
    replyBuffer.clear();
    // The operation the reply belongs to may have ended while it came in.
    QTimer *timer = replyTimer && replyTimer->isActive() ? replyTimer : nullptr;
    const int key = replyStep;
    replyTimer = nullptr;

    qDebug().noquote() << QStringLiteral("data 2:") + lastReply;
    if (lastReply.isEmpty()) {
        QMessageBox::critical(this, tr("нет соединения с модуля"), tr("Ошибка соединения"));
        return;
    }
    qDebug().noquote() << QStringLiteral("data 2:") + lastReply;

    if (timer == writeTimer) {
        const auto &rows = gateway::writeRows(Variant::RtuTcp);
        if (key >= 1 && key <= 2 * int(rows.size())) {
            commandAnswered = true;
            applyWriteReply(rows[(key - 1) / 2], false);
        }
    } else if (timer == scanTimer) {
        commandAnswered = true;
        const auto &rows = gateway::scanRows(Variant::RtuTcp);
        if (key >= 1 && key <= int(rows.size())) {
            applyScanValue(rows[key - 1], Variant::RtuTcp);
        } else if (key == int(rows.size()) + 1) {
            scanTimer->stop();
            scanStep = 0;
        }
    } else if (timer == universalWriteTimer) {
        const auto &rows = gateway::writeRows(Variant::Universal);
        if (key >= 1 && key <= 2 * int(rows.size())) {
            commandAnswered = true;
            applyWriteReply(rows[(key - 1) / 2], true);
        }
    } else if (timer == universalScanTimer) {
        commandAnswered = true;
        const auto &rows = gateway::scanRows(Variant::Universal);
        if (key >= 1 && key <= int(rows.size())) {
            applyScanValue(rows[key - 1], Variant::Universal);
        } else if (key == int(rows.size()) + 1) {
            universalScanTimer->stop();
            universalScanStep = 0;
        }
    }
}

void MainWindow::applyScanValue(const ScanRow &row, Variant variant)
{
    const QString value = gateway::cutValue(lastReply, row.skip, row.longest);
    QWidget *widget = fieldWidget(row.field);

    switch (row.kind) {
    case ValueKind::FreeText: {
        // A value not in its field's form (noise, a reply cut short) is shown
        // as it came, but not as read.
        auto *edit = static_cast<QLineEdit *>(widget);
        if (value.isEmpty()) {
            paintField(edit, kRed);
        } else {
            paintField(edit, gateway::inTextForm(row.field, value) ? kGreen : kRed);
            edit->setText(value);
        }
        break;
    }
    case ValueKind::TcpSlave: {
        auto *edit = static_cast<QLineEdit *>(widget);
        if (value.isEmpty()) {
            paintField(edit, kLavender);
            break;
        }
        paintField(edit, gateway::inTextForm(row.field, value) ? kGreen : kRed);
        if (value == QLatin1String("off")) {
            edit->clear();
            edit->setEnabled(false);
            ui->checkBox->setChecked(true);
        } else {
            edit->setText(value);
            ui->checkBox->setChecked(false);
            edit->setEnabled(true);
        }
        break;
    }
    case ValueKind::Parity:
    case ValueKind::Speed:
    case ValueKind::StopBits:
    case ValueKind::Mode: {
        auto *combo = static_cast<QComboBox *>(widget);
        const int index = gateway::choiceIndex(row.kind, variant, value);
        if (index < 0) {
            paintField(combo, kRed);
        } else {
            paintField(combo, kGreen);
            combo->setCurrentIndex(index);
        }
        break;
    }
    }
}

void MainWindow::applyWriteReply(const WriteRow &row, bool universal)
{
    const Variant variant = universal ? Variant::Universal : Variant::TcpRtu;
    QWidget *widget = fieldWidget(row.field);
    switch (gateway::judgeWriteReply(row, variant, lastReply)) {
    case gateway::Verdict::Confirmed:
        paintField(widget, kGreen);
        if (row.confirmsLink)
            writeConfirmed = true;
        break;
    case gateway::Verdict::Rejected:
        // Stop before the box: its event loop would keep the write ticking.
        paintField(widget, kRed);
        if (universal) {
            universalWriteTimer->stop();
        } else {
            writeTimer->stop();
            writeStep = 0;
        }
        QMessageBox::critical(this, tr("Ошибка"), gateway::rejectionText(row));
        ui->applyButton->setText(tr(kWriteText));
        styleclear();
        break;
    case gateway::Verdict::Ignored:
        break;
    }
}

// --------------------------------------------------------------------- scan

void MainWindow::on_scan_parameters_clicked()
{
    const QString text = ui->scan_parameters->text();
    if (text == tr(kScanText)) {
        ui->scan_parameters->setText(tr(kStopScanText));
        ui->applyButton->setText(tr(kWriteText));
        universalWriteTimer->stop();
        universalWriteStep = 0;

        const int index = ui->conbox0->currentIndex();
        if (index == 2) {
            if (universalScanTimer->isActive()) {
                universalScanTimer->stop();
                universalScanStep = 0;
                return;
            }
            // The presence check of this scan must judge this scan's replies.
            lastReply.clear();
            clearRedMarks();
            universalScanTimer->start(1000);
            for (QLineEdit *edit : {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway,
                                    ui->lineEdit_ipservertcp, ui->lineEdit_portTCP, ui->lineEdit_timeout,
                                    ui->lineEdit_MAC, ui->lineEdit_version}) {
                edit->clear();
                edit->setStyleSheet(QString());
            }
            for (QComboBox *combo : {ui->comboBox_speed, ui->comboBox_2, ui->comboBox, ui->comboBox_mode}) {
                combo->setCurrentIndex(0);
                combo->setStyleSheet(QString());
            }
            ui->lineEdit_timewait->clear();
            ui->lineEdit_rtu_virtual_id->clear();
            ui->lineEdit_tcp_id->clear();
        } else if (index == 0 || index == 1) {
            writeTimer->stop();
            writeStep = 0;
            if (scanTimer->isActive()) {
                scanTimer->stop();
                scanStep = 0;
                return;
            }
            lastReply.clear();
            clearRedMarks();
            scanTimer->start(1000);
            for (QLineEdit *edit : {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway,
                                    ui->lineEdit_ipservertcp, ui->lineEdit_portTCP, ui->lineEdit_timeout,
                                    ui->lineEdit_MAC}) {
                edit->clear();
                edit->setStyleSheet(QString());
            }
            for (QComboBox *combo : {ui->comboBox_speed, ui->comboBox_2, ui->comboBox}) {
                combo->setCurrentIndex(0);
                combo->setStyleSheet(QString());
            }
        }
    } else if (text == tr(kStopScanText)) {
        ui->scan_parameters->setText(tr(kScanText));
        scanTimer->stop();
        writeTimer->stop();
        universalScanTimer->stop();
        universalWriteTimer->stop();
        scanStep = writeStep = universalScanStep = universalWriteStep = 0;
    }
}

void MainWindow::timerforScan()
{
    const int index = ui->conbox0->currentIndex();
    if (index == 1)
        scan_pa_modbus_RTU_TCP();
    else if (index == 0)
        scan_pa_modbus_TCP_RTU();
}

void MainWindow::scan_pa_modbus_TCP_RTU()
{
    scanTick(Variant::TcpRtu);
}

void MainWindow::scan_pa_modbus_RTU_TCP()
{
    scanTick(Variant::RtuTcp);
}

void MainWindow::reportNoConverter(Variant variant)
{
    QMessageBox::critical(this, tr("Ошибка соединения"), noConverterText(variant));
}

void MainWindow::abandonSilentScan(QTimer *timer, int &counter, Variant variant)
{
    // Nothing received at the first check: the box comes first and the scan
    // keeps ticking until it is closed (without a second box for the silence
    // of the commands it sends meanwhile).
    silenceReported = true;
    reportNoConverter(variant);
    silenceReported = false;
    timer->stop();
    counter = 0;
    closeport();
    ui->connect->setText(tr(kConnectText));
    ui->scan_parameters->setText(tr(kScanText));
}

// Whether the scan must end at this step because the command of the step
// before got no reply at all. A reply that is judged counts whatever its
// value; one of line ends only does not.
bool MainWindow::scanFellSilent(int step) const
{
    return step >= 2 && !commandAnswered && !silenceReported;
}

void MainWindow::endSilentScan(QTimer *timer, int &counter, Variant variant)
{
    // A converter that stops answering half way: the same end as at the first
    // check, but the scan stops before the box, so nothing more goes out to
    // it while the box is open.
    timer->stop();
    counter = 0;
    reportNoConverter(variant);
    closeport();
    ui->connect->setText(tr(kConnectText));
    ui->scan_parameters->setText(tr(kScanText));
}

void MainWindow::scanTick(Variant variant)
{
    if (!serial.isOpen()) {
        scanTimer->stop();
        qDebug() << "error connecting";
        return;
    }
    const int step = scanStep++;
    const auto &rows = gateway::scanRows(variant);
    const int endStep = int(rows.size());
    if (step > endStep)
        return;
    if (scanFellSilent(step)) {
        endSilentScan(scanTimer, scanStep, variant);
        return;
    }

    if (step == endStep) {
        scanTimer->stop();
        scanStep = 0;
        ui->scan_parameters->setText(tr(kScanText));
        clearReadMarks({Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                        Field::PortTcp, Field::TcpTimeout, Field::Mac, Field::Gateway});
        return;
    }

    if (step == 1) {
        if (variant == Variant::TcpRtu)
            qDebug().noquote() << lastReply + QStringLiteral("TCPRTU-2-ggggggggggggg");
        if (lastReply.isEmpty()) {
            abandonSilentScan(scanTimer, scanStep, variant);
            return;
        }
    }
    commandAnswered = false;
    sendCommand(rows[step].command);
}

void MainWindow::scan_pa_modbus_all()
{
    const int step = universalScanStep++;
    const auto &rows = gateway::scanRows(Variant::Universal);
    const int endStep = int(rows.size());
    if (step > endStep)
        return;
    if (scanFellSilent(step)) {
        endSilentScan(universalScanTimer, universalScanStep, Variant::Universal);
        return;
    }

    if (step == endStep) {
        universalScanTimer->stop();
        universalScanStep = 0;
        ui->scan_parameters->setText(tr(kScanText));
        clearReadMarks({Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                        Field::PortTcp, Field::TcpTimeout});
        paintUnlessRed(ui->lineEdit_MAC, kLavender);
        clearReadMarks({Field::Gateway, Field::Mode});
        paintUnlessRed(ui->lineEdit_version, kLavender);
        clearReadMarks({Field::RtuId});
        paintUnlessRed(ui->lineEdit_tcp_id, ui->checkBox->isChecked() ? kLavender : "");
        clearReadMarks({Field::ResponseTimeout});
        return;
    }

    if (step == 1 && lastReply.isEmpty()) {
        abandonSilentScan(universalScanTimer, universalScanStep, Variant::Universal);
        return;
    }
    commandAnswered = false;
    sendCommand(rows[step].command);
}

// -------------------------------------------------------------------- write

void MainWindow::on_applyButton_clicked()
{
    const QString text = ui->applyButton->text();
    if (text == tr(kWriteText) && ui->scan_parameters->text() == tr(kScanText) && serial.isOpen()) {
        ui->applyButton->setText(tr(kStopWriteText));
        const int index = ui->conbox0->currentIndex();
        if (index == 0 || index == 1) {
            scanTimer->stop();
            scanStep = 0;
            if (writeTimer->isActive()) {
                writeTimer->stop();
                writeStep = 0;
                return;
            }
            // Each write's presence check judges that write's own replies.
            writeConfirmed = false;
            clearRedMarks();
            writeTimer->start(1000);
            clearFieldStyles({Field::Ip, Field::Mask, Field::Gateway, Field::Speed, Field::ServerIp,
                              Field::StopBits, Field::Parity, Field::PortTcp, Field::TcpTimeout, Field::Mac});
        } else if (index == 2) {
            if (universalWriteTimer->isActive()) {
                universalWriteTimer->stop();
                universalWriteStep = 0;
            } else {
                universalWriteStep = 0;
                writeConfirmed = false;
                clearRedMarks();
                universalWriteTimer->start(1000);
            }
        }
    } else if (text == tr(kStopWriteText)) {
        ui->applyButton->setText(tr(kWriteText));
        scanTimer->stop();
        writeTimer->stop();
        universalWriteTimer->stop();
        writeStep = 0;
        universalWriteStep = 0;
        styleclear();
    }
}

void MainWindow::change_parametersofmodbus()
{
    const int index = ui->conbox0->currentIndex();
    if (index == 0)
        change_pa_modbus_TCP_RTU();
    else if (index == 1)
        change_pa_modbus_RTU_TCP();
}

void MainWindow::change_pa_modbus_TCP_RTU()
{
    writeTick(Variant::TcpRtu);
}

void MainWindow::change_pa_modbus_RTU_TCP()
{
    writeTick(Variant::RtuTcp);
}

void MainWindow::change_mode_TCP()
{
    scanTimer->stop();
    writeTimer->stop();
    universalScanTimer->stop();
    scanStep = writeStep = universalScanStep = 0;
    writeTick(Variant::Universal);
}

void MainWindow::abandonSilentWrite(QTimer *timer, int &counter, Variant variant)
{
    // Stop before the box, so nothing more goes out while it is open.
    timer->stop();
    counter = 0;
    reportNoConverter(variant);
    closeport();
    ui->connect->setText(tr(kConnectText));
    ui->scan_parameters->setText(tr(kScanText));
    ui->applyButton->setText(tr(kWriteText));
}

void MainWindow::writeTick(Variant variant)
{
    const bool universal = variant == Variant::Universal;
    QTimer *timer = universal ? universalWriteTimer : writeTimer;
    int &counter = universal ? universalWriteStep : writeStep;

    const int step = counter++;
    const int completionStep = gateway::writeCompletionStep(variant);

    if (step == 3) {
        if (!writeConfirmed)
            abandonSilentWrite(timer, counter, variant);
        return;
    }
    if (step > completionStep || step % 2 != 0)
        return;
    // Past the first two commands, each command (and the restart) goes out
    // only if the one before it was answered at all: a converter that fell
    // silent half way must not be reported as written.
    if (step >= 4 && !commandAnswered) {
        abandonSilentWrite(timer, counter, variant);
        return;
    }
    commandAnswered = false;

    if (step == completionStep) {
        sendCommand(gateway::restartCommand(variant));
        timer->stop();
        counter = 0;
        rebootExpected = true;
        ui->applyButton->setText(tr(kWriteText));
        QString message;
        switch (variant) {
        case Variant::TcpRtu:
            message = tr("<FONT COLOR='#008000'>Изменение параметров Modbus TCP-RTU было успешно</FONT>");
            break;
        case Variant::RtuTcp:
            message = tr("<FONT COLOR='#008000'>Изменение параметров Modbus RTU-TCP было успешно</FONT>");
            break;
        case Variant::Universal:
            message = tr("<FONT COLOR='#008000'>Изменение параметров Modbus universal было успешно</FONT>");
            break;
        }
        QMessageBox::information(this, tr("Результы изменения"), message);
        clearFieldStyles({Field::Ip, Field::ServerIp, Field::Parity, Field::StopBits, Field::Speed, Field::Mask,
                          Field::PortTcp, Field::TcpTimeout, Field::Mac, Field::Gateway});
        if (universal)
            clearFieldStyles({Field::Mode, Field::RtuId, Field::TcpSlaveId, Field::ResponseTimeout});
        return;
    }

    const WriteRow &row = gateway::writeRows(variant)[step / 2];
    QByteArray value;
    switch (row.field) {
    case Field::Mode: value = gateway::modeValue(ui->comboBox_mode->currentIndex()); break;
    case Field::Parity: value = gateway::parityValue(ui->comboBox->currentIndex(), variant); break;
    case Field::Speed: value = gateway::speedValue(ui->comboBox_speed->currentIndex()); break;
    case Field::StopBits: value = gateway::stopBitsValue(ui->comboBox_2->currentIndex()); break;
    case Field::TcpSlaveId:
        value = gateway::tcpSlaveValue(ui->checkBox->isChecked(), ui->lineEdit_tcp_id->text());
        break;
    default:
        value = gateway::textValue(static_cast<QLineEdit *>(fieldWidget(row.field))->text());
        break;
    }
    const QByteArray command = gateway::writeCommand(row.prefix, value);
    if (row.field == Field::Ip)
        qDebug() << "change ip---" << command;
    else if (row.field == Field::Mask)
        qDebug() << "change mask---" << command;
    sendCommand(command);
}

// ---------------------------------------------------- restart, factory reset

void MainWindow::on_Reset_clicked()
{
    sendCommand(gateway::restartCommand(Variant::TcpRtu));
    rebootExpected = true;
}

void MainWindow::on_reset_allparameters_clicked()
{
    Reset_Default();
}

void MainWindow::Reset_Default()
{
    QMessageBox box;
    box.setWindowTitle(tr("Сброс"));
    box.setWindowIcon(QIcon(QString::fromLatin1(kIconPath)));
    box.setText(tr("Вы действительно хотите cбросить к заводским настройкам?"));
    QAbstractButton *yes = box.addButton(tr("Да"), QMessageBox::YesRole);
    // Enter must not reset the converter: "Нет" is the default.
    box.setDefaultButton(box.addButton(tr("Нет"), QMessageBox::NoRole));
    box.exec();
    if (box.clickedButton() == yes) {
        sendCommand(gateway::factoryResetCommand());
        rebootExpected = true;
        qDebug().noquote() << QStringLiteral("сброс параметры ") + lastReply;
    }
}

// ---------------------------------------------------------------- file menu

void MainWindow::OnSaveSetting_File()
{
    auto *file = new setting_module(nullptr);
    auto textOr = [](const QLineEdit *edit, const char *fallback) {
        return edit->text().isEmpty() ? QString::fromLatin1(fallback) : edit->text();
    };
    auto indexOr = [](const QComboBox *combo, int fallback) {
        return combo->currentIndex() != 0 ? combo->currentIndex() : fallback;
    };
    file->modul_name = ui->conbox0->currentText();
    file->ip_address = textOr(ui->lineEdit_ip, "192.168.0.1");
    file->mask = textOr(ui->lineEdit_mask, "255.255.255.0");
    file->gateway = textOr(ui->lineEdit_gateway, "0.0.0.0");
    file->port_tcp = textOr(ui->lineEdit_portTCP, "502");
    file->parity = indexOr(ui->comboBox, 1);
    file->speed_rs485 = indexOr(ui->comboBox_speed, 4);
    file->mode_tcp = indexOr(ui->comboBox_mode, 1);
    file->stop_bit = indexOr(ui->comboBox_2, 1);
    file->timeout_response = textOr(ui->lineEdit_timewait, "1000");
    file->ip_server_tcp = textOr(ui->lineEdit_ipservertcp, "192.168.0.10");
    file->timeout_tcp = textOr(ui->lineEdit_timeout, "180");
    file->rtu_virtual_id = textOr(ui->lineEdit_rtu_virtual_id, "1");
    file->tcp_slave_id = ui->checkBox->isChecked() ? QStringLiteral("off") : textOr(ui->lineEdit_tcp_id, "off");

    file->SaveNTSetting();
    if (file->lastSaveFailed())
        QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось сохранить файл настройки"));
    file->deleteLater();
}

void MainWindow::on_action_open_2_triggered()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr(kFileCaption), QString(), tr(kFileFilter));
    if (chosen.isEmpty()) {
        settingsFileName.clear();
        ui->action->setText(tr("Текущий файл (") + settingsFileName + QStringLiteral(")"));
        QMessageBox::critical(this, tr("Ошибка"), tr("Файл конфигурации не выбран"), QMessageBox::Ok);
        return;
    }
    // A file that cannot be read leaves the form and the current file as they were.
    if (!loadSettingsIntoForm(chosen, true))
        return;
    settingsFileName = chosen;
    ui->action->setText(tr("Текущий файл (") + settingsFileName + QStringLiteral(")"));
}

void MainWindow::on_action_show_triggered()
{
}

void MainWindow::on_action_save_triggered()
{
    OnSaveSetting_File();
}

void MainWindow::on_action_triggered()
{
    if (settingsFileName.isEmpty()) {
        QMessageBox::critical(this, tr("Ошибка"), tr("Файл конфигурации не выбран"), QMessageBox::Ok);
        return;
    }
    loadSettingsIntoForm(settingsFileName, false);
}

bool MainWindow::loadSettingsIntoForm(const QString &fileName, bool verbose)
{
    auto *file = new setting_module(nullptr);
    file->LoadNTSetting(fileName);
    if (file->lastLoadFailed()) {
        file->deleteLater();
        QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось прочитать файл настройки"));
        return false;
    }

    clearRedMarks();
    // The converter type first: it switches the view before the fields fill.
    ui->conbox0->setCurrentText(file->modul_name);
    qDebug() << file->modul_name << "modul_name";

    ui->lineEdit_ip->setText(file->ip_address);
    ui->lineEdit_mask->setText(file->mask);
    ui->lineEdit_gateway->setText(file->gateway);
    ui->lineEdit_portTCP->setText(file->port_tcp);
    ui->comboBox->setCurrentIndex(file->parity);
    ui->comboBox_speed->setCurrentIndex(file->speed_rs485);
    if (verbose)
        qDebug() << file->speed_rs485 << "SPERD_RS485";
    ui->comboBox_2->setCurrentIndex(file->stop_bit);
    ui->comboBox_mode->setCurrentIndex(file->mode_tcp);
    if (verbose)
        qDebug() << file->mode_tcp << "tcp -mode";
    ui->lineEdit_timewait->setText(file->timeout_response);
    ui->lineEdit_ipservertcp->setText(file->ip_server_tcp);
    ui->lineEdit_timeout->setText(file->timeout_tcp);
    ui->lineEdit_rtu_virtual_id->setText(file->rtu_virtual_id);

    if (file->tcp_slave_id != QLatin1String("off")) {
        ui->lineEdit_tcp_id->setText(file->tcp_slave_id);
        ui->lineEdit_tcp_id->setEnabled(true);
        ui->checkBox->setChecked(false);
        ui->lineEdit_tcp_id->setStyleSheet(QString());
    } else {
        ui->checkBox->setChecked(true);
        ui->lineEdit_tcp_id->clear();
        ui->lineEdit_tcp_id->setEnabled(false);
        ui->lineEdit_tcp_id->setStyleSheet(QStringLiteral("background-color: #f5edff;"));
    }
    paintField(ui->lineEdit_version, kLavender);
    ui->lineEdit_MAC->setStyleSheet(QStringLiteral("background-color: #f5edff;"));
    file->deleteLater();
    return true;
}
