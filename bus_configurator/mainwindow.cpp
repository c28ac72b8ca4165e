#include "mainwindow.h"

#include "can_commands.h"
#include "dcon_protocol.h"
#include "serial_port_list.h"
#include "ui_mainwindow.h"
#include "window_fit.h"

#include <QCanBus>
#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

namespace {

// Button texts are the link state; the connect text starts with a Latin C.
const char kConnectText[] = "Cоединиться";
const char kDisconnectText[] = "Отсоединиться";

// A value read from, or accepted by, the module.
const QString successStyle = QStringLiteral("background-color:  #90ee90;");

constexpr int kStepMs = 1000;

} // namespace

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
}

MainWindow::~MainWindow()
{
    // The form goes first: no port signal may reach a slot while the port closes.
    disconnect(&serial, nullptr, this, nullptr);
    delete ui;
    ui = nullptr;
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
    serial.setPortName(ui->comboBox_ports->currentText());
    // The module is always reached at 9600 baud; the speed list is only what
    // gets written into it.
    serial.setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    if (serial.open(QIODevice::ReadWrite)) {
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
    if (error != QSerialPort::ResourceError || !serial.isOpen())
        return;
    // The adapter is gone: close first, or the error comes back at once.
    serial.close();
    rxBuffer.clear();
    scanTimer->stop();
    writeTimer->stop();
    scanStep = 0;
    writeStep = 0;
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
            // Whether the interface came up is not examined: it is normally up
            // already, from "Выбрать".
            const can_link::CommandResult up = can_link::runCommand(can_link::sudoProgram(), can_link::upArguments());
            onShowStatus(QString::fromLocal8Bit(up.output));
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
        window_fit::setFixedSize(*this, QSize(580, 320));
    } else if (mode == 1) {
        ui->label_canOpen->show();
        ui->comboBox_speed_can->show();
        ui->label_speed->hide();
        ui->comboBox_speed->hide();
        ui->label_pro->hide();
        ui->comboBox_pro->hide();
        ui->groupBox_4->hide();
        window_fit::setFixedSize(*this, QSize(354, 300));
        QProcess::execute(can_link::sudoProgram(), can_link::upArguments());
    }
}

void MainWindow::on_pushButton_3_clicked()
{
    if (linkMode() == 0 && !scanTimer->isActive())
        scanTimer->start(kStepMs);
}

void MainWindow::on_pushButton_clear_clicked()
{
    ui->textBrowser->clear();
}

void MainWindow::onShowStatus(QString str)
{
    ui->textBrowser->append(str);
}

// ------------------------------------------------------------------ DCON

void MainWindow::ReadData()
{
    QString reply;
    if (!dcon::takeReply(rxBuffer, serial.readAll(), &reply))
        return;
    lastReply = reply;
    qDebug() << lastReply;

    if (lastReply.isEmpty()) {
        // Only line ends: the module is not answering properly.
        QMessageBox::critical(this, tr("нет соединения с модуля"), tr("Ошибка соединения"), QMessageBox::Ok);
        scanTimer->stop();
        scanStep = 0;
        return;
    }
    onShowStatus(lastReply);

    if (scanTimer->isActive()) {
        if (scanStep == 1 || scanStep == 2) {
            // The configuration reply "!AATTCCFF".
            const dcon::ConfigReply config = dcon::parseConfigReply(lastReply);
            ui->lineEdit_ID->setText(QString::number(config.address));
            ui->lineEdit_ID->setStyleSheet(successStyle);
            typeCode = config.typeCode;
            formatCode = config.formatCode;
            const int speed = dcon::speedIndex(config.baudCode);
            if (speed >= 0) {
                ui->comboBox_speed->setStyleSheet(successStyle);
                ui->comboBox_speed->setCurrentIndex(speed);
            }
        } else if (scanStep == 3) {
            const QChar digit = lastReply.size() > dcon::kProtocolDigitPos
                                    ? lastReply.at(dcon::kProtocolDigitPos) : QChar();
            qDebug() << digit;
            const int protocol = dcon::protocolIndex(digit);
            if (protocol >= 0) {
                ui->comboBox_pro->setCurrentIndex(protocol);
                ui->comboBox_pro->setStyleSheet(successStyle);
            }
        }
    } else if (writeTimer->isActive()) {
        qDebug() << lastReply << "from timer 2";
        if (writeStep < 1 || writeStep > 4)
            return;
        if (lastReply.startsWith(QLatin1Char('!'))) {
            if (writeStep == 4) {
                ui->comboBox_protocol->setStyleSheet(successStyle);
            } else {
                ui->lineEdit_ID->setStyleSheet(successStyle);
                ui->comboBox_speed->setStyleSheet(successStyle);
            }
        } else {
            QMessageBox::warning(this, tr("Ошибка"), tr("Ошибка записи"), QMessageBox::Ok);
            writeTimer->stop();
            writeStep = 0;
        }
    }
}

void MainWindow::timer_Scan()
{
    if (linkMode() == 0)
        scan_DCON();
}

void MainWindow::scan_DCON()
{
    if (!serial.isOpen()) {
        scanTimer->stop();
        scanStep = 0;
        qDebug() << "error connecting";
        onShowStatus(QStringLiteral("error connecting"));
        return;
    }
    const int step = scanStep++;
    switch (step) {
    case 0: {
        const QByteArray command = dcon::readConfigCommand();
        serial.write(command);
        onShowStatus(tr("Команда чтения: ") + QString::fromLatin1(command));
        break;
    }
    case 1:
        qDebug() << lastReply;
        if (lastReply.isEmpty()) {
            QMessageBox::critical(this, tr("Ошибка"), tr("нет соединения с модулем"), QMessageBox::Ok);
            scanTimer->stop();
            scanStep = 0;
        }
        break;
    case 2: {
        const QByteArray command = dcon::readProtocolCommand(moduleAddress);
        serial.write(command);
        onShowStatus(tr("Команда скорости: ") + QString::fromLatin1(command));
        break;
    }
    case 3:
        scanTimer->stop();
        scanStep = 0;
        lastReply.clear();
        ui->lineEdit_ID->setStyleSheet(QString());
        ui->comboBox_protocol->setStyleSheet(QString());
        ui->comboBox_speed->setStyleSheet(QString());
        ui->comboBox_pro->setStyleSheet(QString());
        break;
    default:
        break;
    }
}

void MainWindow::on_pushButton_changeParameters_clicked()
{
    const int mode = linkMode();
    if (mode == 0)
        writeTimer->start(kStepMs);
    else if (mode == 1)
        canWriteTimer->start(kStepMs);
}

void MainWindow::changeParameters()
{
    // A write cancels a running read or LSS write.
    scanTimer->stop();
    scanStep = 0;
    canWriteTimer->stop();
    canWriteStep = 0;
    if (linkMode() != 0)
        return;

    const QByteArray configCommand = dcon::setConfigCommand(
        moduleAddress, dcon::hexId(ui->lineEdit_ID->text()), typeCode,
        dcon::baudCode(ui->comboBox_speed->currentIndex()), formatCode);
    const QByteArray protocolCommand =
        dcon::setProtocolCommand(moduleAddress, dcon::protocolCode(ui->comboBox_pro->currentIndex()));

    if (!serial.isOpen()) {
        onShowStatus(QStringLiteral("error connecting"));
        writeTimer->stop();
        writeStep = 0;
        return;
    }
    const int step = writeStep++;
    switch (step) {
    case 0:
        serial.write(configCommand);
        onShowStatus(tr("запись ID/Speed: ") + QString::fromLatin1(configCommand));
        break;
    case 1:
        qDebug() << lastReply;
        if (lastReply.isEmpty()) {
            QMessageBox::critical(this, tr("Ошибка"), tr("нет соединения с модулем"), QMessageBox::Ok);
            writeTimer->stop();
            writeStep = 0;
        }
        break;
    case 2:
        serial.write(protocolCommand);
        onShowStatus(tr("запись Protocol: ") + QString::fromLatin1(protocolCommand));
        break;
    case 3:
        ui->lineEdit_ID->setStyleSheet(QString());
        ui->comboBox_protocol->setStyleSheet(QString());
        ui->comboBox_speed->setStyleSheet(QString());
        QMessageBox::information(this, tr("Сообщение"),
                                 tr("<FONT COLOR='#001e80'>Команды записи параметров отправлены</FONT>"),
                                 QMessageBox::Ok);
        writeTimer->stop();
        writeStep = 0;
        lastReply.clear();
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------ CANopen LSS

void MainWindow::changeParameters_can()
{
    // An LSS write cancels a running DCON read or write.
    scanTimer->stop();
    scanStep = 0;
    writeTimer->stop();
    writeStep = 0;

    const QString id = ui->lineEdit_ID->text();
    const int step = canWriteStep++;
    if (step < can_link::kLssSteps) {
        const QStringList arguments = can_link::lssArguments(
            can_link::LssStep(step), id, ui->comboBox_speed_can->currentIndex());
        const can_link::CommandResult result = can_link::runCommand(can_link::sudoProgram(), arguments);
        if (!result.ok) {
            // A frame that did not go out ends the write: the module would
            // otherwise be told to store settings it never got.
            canWriteTimer->stop();
            canWriteStep = 0;
            QMessageBox::critical(this, tr("Ошибка"),
                                  tr("Команда не выполнена: %1\n%2")
                                      .arg(can_link::commandLine(can_link::sudoProgram(), arguments), result.error),
                                  QMessageBox::Ok);
        }
    } else if (step == can_link::kLssSteps) {
        QMessageBox::information(this, tr("Сообщение"),
                                 tr("<FONT COLOR='#001e80'>Команды записи отправлены</FONT>"), QMessageBox::Ok);
        canWriteTimer->stop();
        canWriteStep = 0;
    }
}
