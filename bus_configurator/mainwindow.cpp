#include "mainwindow.h"

#include "can_commands.h"
#include "lss_protocol.h"
#include "serial_port_list.h"
#include "ui_mainwindow.h"
#include "window_fit.h"

#include <QCanBus>
#include <QCanBusDevice>
#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

namespace {

// Button texts are the link state; the connect text starts with a Latin C.
const char kConnectText[] = "Cоединиться";
const char kDisconnectText[] = "Отсоединиться";

// A value read from, or accepted by, the module.
const QString successStyle = QStringLiteral("background-color:  #90ee90;");

// The tick of the DCON sequences and the LSS write.
constexpr int kStepMs = 1000;
// The tick of the LSS read: answers come within milliseconds.
constexpr int kCanReadMs = 200;

} // namespace

using bus_sequences::Sequence;

void prepareMainWindow(MainWindow &window)
{
    window_fit::setFixedSize(window, QSize(580, 330));
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    setWindowTitle(tr("ZornConfig RSB"));
    setWindowIcon(QIcon(QStringLiteral(":/icon/Quillon.ico")));

    connect(&serial, &QSerialPort::readyRead, this, &MainWindow::ReadData);
    // A pulled adapter keeps reporting its error until the port is closed.
    connect(&serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);

    scanTimer = new QTimer(this);
    connect(scanTimer, &QTimer::timeout, this, &MainWindow::timer_Scan);
    scanTimer->setInterval(kStepMs);
    writeTimer = new QTimer(this);
    connect(writeTimer, &QTimer::timeout, this, &MainWindow::changeParameters);
    writeTimer->setInterval(kStepMs);
    canWriteTimer = new QTimer(this);
    connect(canWriteTimer, &QTimer::timeout, this, &MainWindow::changeParameters_can);
    canWriteTimer->setInterval(kStepMs);
    canReadTimer = new QTimer(this);
    connect(canReadTimer, &QTimer::timeout, this, &MainWindow::readCan);
    canReadTimer->setInterval(kCanReadMs);
}

MainWindow::~MainWindow()
{
    stopSequence(canUser); // the read takes the modules back to waiting
    if (serial.isOpen())
        serial.close();
    delete ui;
}

int MainWindow::linkMode() const
{
    return ui->comboBox_protocol->currentIndex();
}

// ------------------------------------------------------------------ links

void MainWindow::on_pushButton_scan_clicked()
{
    ScanPortsall();
}

void MainWindow::ScanPortsall()
{
    ui->comboBox_ports->clear();
    const int mode = linkMode();
    if (mode == 1) {
        QString error;
        const QList<QCanBusDeviceInfo> devices =
            QCanBus::instance()->availableDevices(QStringLiteral("socketcan"), &error);
        if (!error.isEmpty())
            qDebug() << error;
        for (const QCanBusDeviceInfo &device : devices)
            ui->comboBox_ports->addItem(device.name());
    } else if (mode == 0) {
        ui->comboBox_ports->addItems(serial_port_list::names());
    }
}

void MainWindow::OpenPort()
{
    if (linkMode() != 0)
        return;
    // The module is always reached at 9600 baud; the speed list is only what
    // gets written into it.
    if (serial_link::open(serial, ui->comboBox_ports->currentText())) {
        onShowStatus(tr("Порт открыт"));
    } else {
        QMessageBox::critical(this, tr("Отказано в доступе"), serial.errorString(), QMessageBox::Ok);
        onShowStatus(tr("Порт отказано в доступе "));
    }
}

void MainWindow::ClosePort()
{
    if (linkMode() == 0 && serial.isOpen()) {
        serial.close();
        onShowStatus(tr("Порт Закрыт"));
    }
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (!serial_link::closeOnLoss(serial, error))
        return;
    rxBuffer.clear();
    stopSequence(Sequence::Scan);
    stopSequence(Sequence::Write);
    ui->pushButton_Connect->setText(tr(kConnectText));
    onShowStatus(tr("Порт Закрыт"));
    QMessageBox::critical(this, tr("Critical Error"), tr("Ошибка соединения"));
}

void MainWindow::on_pushButton_Connect_clicked()
{
    const QString text = ui->pushButton_Connect->text();
    const int mode = linkMode();
    if (text == tr(kConnectText)) {
        if (mode == 0) {
            OpenPort();
            if (serial.isOpen())
                ui->pushButton_Connect->setText(tr(kDisconnectText));
        } else if (mode == 1) {
            // can0 is normally up already, from "Выбрать"; ip then refuses to
            // set the bit rate again, which is no failure.
            if (!bringCan0Up(true))
                return;
            ui->lineEdit_ID->setText(QStringLiteral("01"));
            ui->comboBox_speed_can->setCurrentIndex(4); // "125", the rate can0 runs at
            ui->pushButton_Connect->setText(tr(kDisconnectText));
        }
    } else if (text == tr(kDisconnectText)) {
        if (mode == 1)
            can_link::runCommand(can_link::sudoProgram(), can_link::downArguments());
        ui->pushButton_Connect->setText(tr(kConnectText));
        ClosePort();
    }
}

void MainWindow::on_pushButton_selectPorotocol_clicked()
{
    const int mode = linkMode();
    if (mode == 0) {
        ui->label_canOpen->hide();
        ui->comboBox_speed_can->hide();
        ui->label_speed->show();
        ui->comboBox_speed->show();
        ui->label_pro->show();
        ui->comboBox_pro->show();
        ui->groupBox_4->show();
        ui->pushButton_readCan->hide();
        window_fit::setFixedSize(*this, QSize(580, 320));
    } else if (mode == 1) {
        ui->label_canOpen->show();
        ui->comboBox_speed_can->show();
        ui->pushButton_readCan->show();
        ui->label_speed->hide();
        ui->comboBox_speed->hide();
        ui->label_pro->hide();
        ui->comboBox_pro->hide();
        ui->groupBox_4->hide();
        window_fit::setFixedSize(*this, QSize(354, 300));
        bringCan0Up(false);
    }
}

bool MainWindow::bringCan0Up(bool logOutput)
{
    const QStringList arguments = can_link::upArguments();
    const can_link::CommandResult result = can_link::runCommand(can_link::sudoProgram(), arguments);
    if (logOutput)
        onShowStatus(QString::fromLocal8Bit(result.output));
    if (result.ok || can_link::interfaceUp(QString::fromLatin1(can_link::kCan0SysfsDir)))
        return true;
    showBox(bus_sequences::commandFailed(arguments, result.error));
    return false;
}

void MainWindow::on_pushButton_3_clicked()
{
    apply(bus_sequences::scanPress(linkMode(), scanTimer->isActive(), kStepMs));
}

void MainWindow::on_pushButton_readCan_clicked()
{
    apply(bus_sequences::canReadPress(linkMode(), ui->pushButton_Connect->text() == tr(kDisconnectText), canBusy(),
                                      kCanReadMs));
}

void MainWindow::on_pushButton_clear_clicked()
{
    ui->textBrowser->clear();
}

void MainWindow::onShowStatus(QString str)
{
    ui->textBrowser->append(str);
}

// ------------------------------------------------------------------ sequences

void MainWindow::ReadData()
{
    const serial_link::ReplyBuffer::Status status = rxBuffer.add(serial.readAll());
    if (status == serial_link::ReplyBuffer::Status::Overflow)
        qDebug() << "dropped received bytes without a line end";
    if (status != serial_link::ReplyBuffer::Status::Complete)
        return;
    lastReply = serial_link::replyText(rxBuffer.take());
    qDebug() << lastReply;
    apply(bus_sequences::judgeReply(lastReply, {scanTimer->isActive(), scanStep,
                                                writeTimer->isActive(), writeStep}));
}

void MainWindow::timer_Scan()
{
    if (linkMode() == 0)
        scan_DCON();
}

void MainWindow::scan_DCON()
{
    const int step = scanStep++;
    apply(bus_sequences::scanTick(step, dconLink()));
}

void MainWindow::on_pushButton_changeParameters_clicked()
{
    apply(bus_sequences::writePress(linkMode(), ui->lineEdit_ID->text(), kStepMs, canBusy()));
}

void MainWindow::changeParameters()
{
    // A write cancels a running read or LSS write.
    stopSequence(Sequence::Scan);
    stopSequence(Sequence::Lss);
    if (linkMode() != 0)
        return;
    const int step = writeStep++;
    apply(bus_sequences::writeTick(step, dconLink(), writeForm()));
}

void MainWindow::changeParameters_can()
{
    // An LSS write cancels a running DCON read or write.
    stopSequence(Sequence::Scan);
    stopSequence(Sequence::Write);
    const int step = canWriteStep++;
    apply(bus_sequences::lssTick(step, ui->lineEdit_ID->text(), ui->comboBox_speed_can->currentIndex(), canAnswers));
}

void MainWindow::readCan()
{
    const int step = canReadStep++;
    apply(bus_sequences::canReadTick(step, canAnswers));
}

void MainWindow::canFramesReceived()
{
    if (!canDevice)
        return;
    for (const QCanBusFrame &frame : canDevice->readAllFrames()) {
        if (frame.frameType() != QCanBusFrame::DataFrame || frame.frameId() != lss::kAnswerId)
            continue;
        onShowStatus(lss::frameText(frame.frameId(), frame.payload()));
        if (!canAnswers.isEmpty())
            canAnswers.last() << frame.payload();
    }
}

bool MainWindow::canBusy() const
{
    return canUser != Sequence::None;
}

bool MainWindow::openCan(Sequence user)
{
    QString error;
    canDevice = can_link::openCan0(&error);
    if (!canDevice) {
        apply(bus_sequences::canFailed(Sequence::None, error));
        return false;
    }
    canDevice->setParent(this);
    connect(canDevice, &QCanBusDevice::framesReceived, this, &MainWindow::canFramesReceived);
    canUser = user;
    canAnswers.clear();
    return true;
}

void MainWindow::closeCan()
{
    if (canDevice) {
        canDevice->disconnect(this);
        canDevice->disconnectDevice();
        canDevice->deleteLater();
        canDevice = nullptr;
    }
    canUser = Sequence::None;
    canAnswers.clear();
}

// Frames heard from now on answer this request.
bool MainWindow::sendLssRequest(const QByteArray &data)
{
    canAnswers.append(QList<QByteArray>());
    return canDevice && canDevice->writeFrame(QCanBusFrame(lss::kRequestId, data));
}

bus_sequences::DconLink MainWindow::dconLink() const
{
    return {serial.isOpen(), !lastReply.isEmpty(), moduleAddress};
}

bus_sequences::WriteForm MainWindow::writeForm() const
{
    return {ui->lineEdit_ID->text(), ui->comboBox_speed->currentIndex(), ui->comboBox_pro->currentIndex(),
            typeCode, formatCode};
}

void MainWindow::apply(const bus_sequences::Action &action)
{
    if (action.openCan && !openCan(action.start))
        return;
    if (!action.send.isEmpty())
        serial.write(action.send);
    if (!action.log.isEmpty())
        onShowStatus(action.log);
    if (!action.run.isEmpty()) {
        canAnswers.append(QList<QByteArray>());
        const can_link::CommandResult result = can_link::runCommand(can_link::sudoProgram(), action.run);
        if (!result.ok) {
            apply(bus_sequences::lssFailed(action.run, result.error));
            return;
        }
    }
    if (!action.canSend.isEmpty() && !sendLssRequest(action.canSend)) {
        apply(bus_sequences::canFailed(canUser, canDevice ? canDevice->errorString() : QString()));
        return;
    }
    if (!action.id.isEmpty())
        ui->lineEdit_ID->setText(action.id);
    if (action.speedIndex >= 0)
        ui->comboBox_speed->setCurrentIndex(action.speedIndex);
    if (action.protocolIndex >= 0)
        ui->comboBox_pro->setCurrentIndex(action.protocolIndex);
    if (action.takeCodes) {
        typeCode = action.typeCode;
        formatCode = action.formatCode;
    }
    setLook(action.mark, successStyle);
    setLook(action.clear, QString());
    if (action.when == bus_sequences::Stop::Now)
        stopSequence(action.stop);
    if (action.box.kind != bus_sequences::Message::None)
        showBox(action.box);
    if (action.when == bus_sequences::Stop::AfterBox)
        stopSequence(action.stop);
    if (action.forgetReply)
        lastReply.clear();
    if (action.start == Sequence::Scan)
        scanTimer->start(action.startMs);
    else if (action.start == Sequence::Write)
        writeTimer->start(action.startMs);
    else if (action.start == Sequence::Lss)
        canWriteTimer->start(action.startMs);
    else if (action.start == Sequence::CanRead)
        canReadTimer->start(action.startMs);
}

void MainWindow::stopSequence(Sequence sequence)
{
    switch (sequence) {
    case Sequence::Scan:
        scanTimer->stop();
        scanStep = 0;
        break;
    case Sequence::Write:
        writeTimer->stop();
        writeStep = 0;
        break;
    case Sequence::Lss:
        canWriteTimer->stop();
        canWriteStep = 0;
        if (canUser == Sequence::Lss)
            closeCan();
        break;
    case Sequence::CanRead:
        canReadTimer->stop();
        canReadStep = 0;
        if (canUser == Sequence::CanRead) {
            sendLssRequest(lss::request(lss::SwitchStateGlobal, 0)); // back to waiting
            closeCan();
        }
        break;
    case Sequence::None:
        break;
    }
}

void MainWindow::setLook(bus_sequences::Fields fields, const QString &styleSheet)
{
    if (fields & bus_sequences::IdField)
        ui->lineEdit_ID->setStyleSheet(styleSheet);
    if (fields & bus_sequences::LinkField)
        ui->comboBox_protocol->setStyleSheet(styleSheet);
    if (fields & bus_sequences::SpeedField)
        ui->comboBox_speed->setStyleSheet(styleSheet);
    if (fields & bus_sequences::ProtocolField)
        ui->comboBox_pro->setStyleSheet(styleSheet);
}

void MainWindow::showBox(const bus_sequences::Message &message)
{
    using bus_sequences::Message;
    const QMessageBox::Icon icon = message.kind == Message::Warning       ? QMessageBox::Warning
                                   : message.kind == Message::Information ? QMessageBox::Information
                                                                          : QMessageBox::Critical;
    QMessageBox box(icon, message.title, message.text, QMessageBox::NoButton, this);
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    if (message.plain)
        box.setTextFormat(Qt::PlainText);
    box.exec();
}
