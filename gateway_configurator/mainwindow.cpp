#include "mainwindow.h"

#include "gateway_sequences.h"
#include "serial_link.h"
#include "serial_port_list.h"
#include "status_progress.h"
#include "ui_mainwindow.h"
#include "window_fit.h"

#include <QAbstractButton>
#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

using gateway::Field;
using gateway::Variant;
using gateway_sequences::Action;
using gateway_sequences::Effects;
using gateway_sequences::Look;
using gateway_sequences::Operation;

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

// Every step timer ticks once a second: one command, and its reply, per tick.
constexpr int kStepMs = 1000;

const char kIconPath[] = ":/images/QuillonRTUTCP.ico";

void paintField(QWidget *widget, const char *style)
{
    widget->setStyleSheet(QString::fromUtf8(style));
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);

    scanTimer = new QTimer(this);
    connect(scanTimer, &QTimer::timeout, this, &MainWindow::timerforScan);
    scanTimer->setInterval(kStepMs);
    scanStep = 0;

    writeTimer = new QTimer(this);
    connect(writeTimer, &QTimer::timeout, this, &MainWindow::change_parametersofmodbus);
    writeTimer->setInterval(kStepMs);
    writeStep = 0;

    universalScanTimer = new QTimer(this);
    connect(universalScanTimer, &QTimer::timeout, this, &MainWindow::scan_pa_modbus_all);
    universalScanTimer->setInterval(kStepMs);
    universalScanStep = 0;

    universalWriteTimer = new QTimer(this);
    connect(universalWriteTimer, &QTimer::timeout, this, &MainWindow::change_mode_TCP);
    universalWriteTimer->setInterval(kStepMs);
    universalWriteStep = 0;

    // A reply is judged by the operation and step current when its first
    // byte came in, once the line has fallen quiet.
    replies = new serial_link::QuietCollector(this);
    connect(replies, &serial_link::QuietCollector::started, this, &MainWindow::replyStarted);
    connect(replies, &serial_link::QuietCollector::complete, this, &MainWindow::judgeReply);

    // The window has a fixed size: no grip that invites a resize.
    ui->statusbar->setSizeGripEnabled(false);
    progress = status_progress::add(*ui->statusbar);

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

    connect(ui->conbox0, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::universal_show);

    checkCustomDevicePathPolicy();

    connect(&serial, &QSerialPort::readyRead, this, &MainWindow::readData);
    connect(&serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);
}

MainWindow::~MainWindow()
{
    if (serial.isOpen())
        serial.close();
    delete ui;
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
        showProgress();
    }
}

void MainWindow::openport()
{
    const int index = ui->conbox0->currentIndex();
    if (index >= 0 && index <= 2)
        universal_show(index);

    if (serial_link::open(serial, ui->serialPortInfoListBox->currentText())) {
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
    disconnectedForm();
}

// The form and the sequences after the port was closed.
void MainWindow::disconnectedForm()
{
    // Bytes of a reply still coming in belong to the link just closed.
    replies->clear();
    replyOperation = Operation::None;
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
    // Closed first: a dead port keeps reporting the error until it is closed.
    if (!serial_link::closeOnLoss(serial, error))
        return;
    disconnectedForm();
    // No sequence can go on without the port, the universal ones included.
    universalWriteTimer->stop();
    universalScanTimer->stop();
    universalWriteStep = universalScanStep = 0;
    showProgress();
    if (rebootExpected) {
        // The converter was told to restart: its port going away is expected,
        // and a write cut off here must not run on to its success report.
        ui->connect->setText(tr(kConnectText));
        ui->scan_parameters->setText(tr(kScanText));
        ui->applyButton->setText(tr(kWriteText));
        return;
    }
    QMessageBox::critical(this, tr("Critical Error"), tr("Ошибка соединения"));
    ui->connect->setText(tr(kConnectText));
    ui->scan_parameters->setText(tr(kScanText));
    ui->applyButton->setText(tr(kWriteText));
    styleclear();
}

// ------------------------------------------------- carrying out a step's action

void MainWindow::showField(const Action &action)
{
    if (action.look == Look::Keep)
        return;
    static const char *const looks[] = {"", kGreen, kRed, kLavender}; // by Look
    QWidget *widget = fieldWidget(action.field);
    paintField(widget, looks[int(action.look)]);
    auto *edit = qobject_cast<QLineEdit *>(widget);
    switch (action.fill) {
    case gateway_sequences::Fill::None: break;
    case gateway_sequences::Fill::Text: edit->setText(action.text); break;
    case gateway_sequences::Fill::Choice: static_cast<QComboBox *>(widget)->setCurrentIndex(action.index); break;
    case gateway_sequences::Fill::SlaveOff:
        edit->clear();
        edit->setEnabled(false);
        ui->checkBox->setChecked(true);
        break;
    case gateway_sequences::Fill::SlaveOn:
        edit->setText(action.text);
        ui->checkBox->setChecked(false);
        edit->setEnabled(true);
        break;
    }
}

void MainWindow::applyEffects(const Effects &effects, QTimer *timer, int *counter, int step)
{
    if (effects.stop && timer) {
        timer->stop();
        if (effects.counter == gateway_sequences::Counter::Zero)
            *counter = 0;
        else if (effects.counter == gateway_sequences::Counter::NotAdvanced)
            *counter = step;
    }
    if (effects.disconnect) {
        closeport();
        ui->connect->setText(tr(kConnectText));
    }
    if (effects.scanText)
        ui->scan_parameters->setText(tr(kScanText));
    if (effects.writeText)
        ui->applyButton->setText(tr(kWriteText));
    if (effects.clearAll)
        styleclear();
    for (Field field : effects.neutral)
        fieldWidget(field)->setStyleSheet(QString());
    for (Field field : effects.unmark)
        paintUnlessRed(fieldWidget(field), "");
    for (Field field : effects.lavender)
        paintUnlessRed(fieldWidget(field), kLavender);
}

// Carries out what a step function said, for the sequence of `timer` and
// `counter` (none for the buttons), whose tick read `step`.
void MainWindow::perform(const Action &action, QTimer *timer, int *counter, int step)
{
    if (!action.debug.isEmpty())
        qDebug().noquote() << action.debug;
    if (action.awaitReply)
        commandAnswered = false;
    if (!action.send.isEmpty())
        serial.write(action.send); // one write, no terminator
    if (action.reboot)
        rebootExpected = true;
    if (action.answered)
        commandAnswered = true;
    if (action.confirmed)
        writeConfirmed = true;
    showField(action);
    applyEffects(action.before, timer, counter, step);
    showProgress();
    if (action.box.kind != gateway_sequences::Message::None) {
        if (action.quietBox)
            silenceReported = true;
        if (action.box.kind == gateway_sequences::Message::Information)
            QMessageBox::information(this, action.box.title, action.box.text);
        else
            QMessageBox::critical(this, action.box.title, action.box.text);
        if (action.quietBox)
            silenceReported = false;
    }
    applyEffects(action.after, timer, counter, step);
    showProgress();
}

QTimer *MainWindow::timerOf(Operation operation, int **counter)
{
    switch (operation) {
    case Operation::None: break;
    case Operation::Write: *counter = &writeStep; return writeTimer;
    case Operation::Scan: *counter = &scanStep; return scanTimer;
    case Operation::UniversalWrite: *counter = &universalWriteStep; return universalWriteTimer;
    case Operation::UniversalScan: *counter = &universalScanStep; return universalScanTimer;
    }
    *counter = nullptr;
    return nullptr;
}

// The operation running now; where more than one timer runs, the write before
// the scan, the two-way converters before the universal one.
Operation MainWindow::runningOperation()
{
    for (Operation operation : {Operation::Write, Operation::Scan, Operation::UniversalWrite,
                                Operation::UniversalScan}) {
        int *counter = nullptr;
        if (timerOf(operation, &counter)->isActive())
            return operation;
    }
    return Operation::None;
}

// The bar shows the commands the running scan or write has sent, of all it
// sends; it is there only while one runs.
void MainWindow::showProgress()
{
    const Operation operation = runningOperation();
    int *counter = nullptr;
    if (!timerOf(operation, &counter)) {
        progress->hide();
        return;
    }
    Variant variant = Variant::TcpRtu;
    gateway::variantFromIndex(ui->conbox0->currentIndex(), &variant);
    const gateway_sequences::Progress done = gateway_sequences::progress(operation, variant, *counter);
    progress->setRange(0, done.total);
    progress->setValue(done.sent);
    progress->show();
}

// -------------------------------------------------------------- reply parser

void MainWindow::readData()
{
    replies->add(serial.readAll());
}

// The first byte of a reply came: it answers the command of the operation
// running now, at the step its counter holds now.
void MainWindow::replyStarted()
{
    replyOperation = runningOperation();
    int *counter = nullptr;
    replyStep = timerOf(replyOperation, &counter) ? *counter : 0;
}

void MainWindow::judgeReply(const QByteArray &bytes)
{
    lastReply = gateway::decodeReply(bytes);
    // The operation the reply belongs to may have ended while it came in.
    int *counter = nullptr;
    QTimer *timer = timerOf(replyOperation, &counter);
    const Operation operation = timer && timer->isActive() ? replyOperation : Operation::None;
    replyOperation = Operation::None;
    perform(gateway_sequences::judgeReply(lastReply, operation, replyStep), timer, counter, replyStep);
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
            } else {
                startScan(universalScanTimer, true);
            }
        } else if (index == 0 || index == 1) {
            writeTimer->stop();
            writeStep = 0;
            if (scanTimer->isActive()) {
                scanTimer->stop();
                scanStep = 0;
            } else {
                startScan(scanTimer, false);
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
    showProgress();
}

// A scan starts on an empty form.
void MainWindow::startScan(QTimer *timer, bool universal)
{
    // The presence check of this scan must judge this scan's replies.
    lastReply.clear();
    clearRedMarks();
    timer->start(kStepMs);
    for (QLineEdit *edit : {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_ipservertcp,
                            ui->lineEdit_portTCP, ui->lineEdit_timeout, ui->lineEdit_MAC}) {
        edit->clear();
        edit->setStyleSheet(QString());
    }
    for (QComboBox *combo : {ui->comboBox_speed, ui->comboBox_2, ui->comboBox}) {
        combo->setCurrentIndex(0);
        combo->setStyleSheet(QString());
    }
    if (!universal)
        return;
    ui->lineEdit_version->clear();
    ui->lineEdit_version->setStyleSheet(QString());
    ui->comboBox_mode->setCurrentIndex(0);
    ui->comboBox_mode->setStyleSheet(QString());
    ui->lineEdit_timewait->clear();
    ui->lineEdit_rtu_virtual_id->clear();
    ui->lineEdit_tcp_id->clear();
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

void MainWindow::scan_pa_modbus_all()
{
    scanTick(Variant::Universal);
}

void MainWindow::scanTick(Variant variant)
{
    const bool universal = variant == Variant::Universal;
    QTimer *timer = universal ? universalScanTimer : scanTimer;
    int &counter = universal ? universalScanStep : scanStep;
    gateway_sequences::ScanState state;
    state.open = serial.isOpen();
    state.lastReply = lastReply;
    state.answered = commandAnswered;
    state.silenceReported = silenceReported;
    state.tcpSlaveOff = ui->checkBox->isChecked();
    const int step = counter++;
    perform(gateway_sequences::scanTick(variant, step, state), timer, &counter, step);
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
            } else {
                // Each write's presence check judges that write's own replies.
                writeConfirmed = false;
                clearRedMarks();
                writeTimer->start(kStepMs);
                clearFieldStyles({Field::Ip, Field::Mask, Field::Gateway, Field::Speed, Field::ServerIp,
                                  Field::StopBits, Field::Parity, Field::PortTcp, Field::TcpTimeout, Field::Mac});
            }
        } else if (index == 2) {
            if (universalWriteTimer->isActive()) {
                universalWriteTimer->stop();
                universalWriteStep = 0;
            } else {
                universalWriteStep = 0;
                writeConfirmed = false;
                clearRedMarks();
                universalWriteTimer->start(kStepMs);
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
    showProgress();
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

void MainWindow::writeTick(Variant variant)
{
    const bool universal = variant == Variant::Universal;
    QTimer *timer = universal ? universalWriteTimer : writeTimer;
    int &counter = universal ? universalWriteStep : writeStep;
    // The fields as they are at this tick: an edit made during a write is
    // sent if its step has not run yet.
    gateway_sequences::WriteForm form;
    form.modeIndex = ui->comboBox_mode->currentIndex();
    form.parityIndex = ui->comboBox->currentIndex();
    form.speedIndex = ui->comboBox_speed->currentIndex();
    form.stopBitsIndex = ui->comboBox_2->currentIndex();
    form.tcpSlaveOff = ui->checkBox->isChecked();
    form.ip = ui->lineEdit_ip->text();
    form.mask = ui->lineEdit_mask->text();
    form.gateway = ui->lineEdit_gateway->text();
    form.portTcp = ui->lineEdit_portTCP->text();
    form.responseTimeout = ui->lineEdit_timewait->text();
    form.serverIp = ui->lineEdit_ipservertcp->text();
    form.tcpTimeout = ui->lineEdit_timeout->text();
    form.rtuId = ui->lineEdit_rtu_virtual_id->text();
    form.tcpSlaveId = ui->lineEdit_tcp_id->text();
    gateway_sequences::WriteState state;
    state.confirmed = writeConfirmed;
    state.answered = commandAnswered;
    const int step = counter++;
    perform(gateway_sequences::writeTick(variant, step, state, form), timer, &counter, step);
}

// ---------------------------------------------------- restart, factory reset

void MainWindow::on_Reset_clicked()
{
    perform(gateway_sequences::restart(), nullptr, nullptr, 0);
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
    if (box.clickedButton() == yes)
        perform(gateway_sequences::factoryReset(lastReply), nullptr, nullptr, 0);
}
