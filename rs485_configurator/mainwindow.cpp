#include "mainwindow.h"

#include "rs485_protocol.h"
#include "serial_port_list.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

const QString greenSS = QStringLiteral(
    "color: black;border-radius: %1;background-color: qlineargradient(spread:pad, x1:0.145, y1:0.16, x2:1, y2:1, "
    "stop:0 rgba(138, 240, 87, 255), stop:1 rgba(32, 152, 15, 255));").arg(5);
const QString graySS = QStringLiteral(
    "color: white;border-radius: %1;background-color: qlineargradient(spread:pad, x1:0.145, y1:0.16, x2:1, y2:1, "
    "stop:0 rgba(180, 185, 180, 255), stop:1 rgba(80, 80, 80, 255));").arg(5);
const QString gray2SS = QStringLiteral(
    "color: white;border-radius: %1;background-color: qlineargradient(spread:pad, x1:0.145, y1:0.16, x2:1, y2:1, "
    "stop:0 rgba(250, 255, 250, 255), stop:1 rgba(150, 150, 150, 255));").arg(5);
const QString redSS = QStringLiteral(
    "color: white;border-radius: %1;background-color: qlineargradient(spread:pad, x1:0.145, y1:0.16, x2:0.92, "
    "y2:0.988636, stop:0 rgba(255, 12, 12, 255), stop:0.869347 rgba(103, 0, 0, 255));").arg(5);

namespace {

// The button text is the state of the link.
const char kConnectText[] = "Соединиться";
const char kDisconnectText[] = "Отключиться";

const int kReplyTimeoutMs = 3000;
const int kReplyQuietMs = 50;
const int kFindTickMs = 100;
const int kFindGiveUpTicks = 1200;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);

    status = new QStatusBar(this);
    setStatusBar(status);

    ui->cbPorts->clear();
    ports = serial_port_list::names();

    findTimer = new QTimer(this);
    connect(findTimer, &QTimer::timeout, this, &MainWindow::onfindTimerST5);
    readTimer = new QTimer(this);
    connect(readTimer, &QTimer::timeout, this, &MainWindow::onTimerST5);
    writeTimer = new QTimer(this);
    connect(writeTimer, &QTimer::timeout, this, &MainWindow::onTimerWriteST5);
    replyTimer = new QTimer(this);
    connect(replyTimer, &QTimer::timeout, this, &MainWindow::onTimerTimeOut);
    replyQuietTimer = new QTimer(this);
    replyQuietTimer->setSingleShot(true);
    replyQuietTimer->setInterval(kReplyQuietMs);
    connect(replyQuietTimer, &QTimer::timeout, this, &MainWindow::onReplyComplete);

    ui->cbPorts->addItems(ports);
}

MainWindow::~MainWindow()
{
    if (serial && serial->isOpen())
        serial->close();
    delete ui;
}

// ----------------------------------------------------------------- the link

void MainWindow::on_BT_Open_Connect_clicked()
{
    if (findTimer->isActive())
        return; // the search opens the link itself

    if (ui->BT_Open_Connect->text() != tr(kDisconnectText)) {
        qDebug() << "connecting to" << ui->cbPorts->currentText();
        ui->BT_find->setEnabled(false);
        openSerialPort();
        if (!serial->isOpen())
            return; // handleError has reported it and put the form back
        ui->BT_Open_Connect->setText(tr(kDisconnectText));
        ui->BT_Write_values->setEnabled(true);
        ui->BT_Read_values->setEnabled(true);
        on_BT_Read_values_clicked();
    } else {
        ui->BT_Open_Connect->setText(tr(kConnectText));
        ui->BT_find->setEnabled(true);
        ui->BT_Write_values->setEnabled(false);
        ui->BT_Read_values->setEnabled(false);
        if (serial && serial->isOpen())
            serial->close();
        readTimer->stop();
        findTimer->stop();
        writeTimer->stop();
    }
}

void MainWindow::dropPort()
{
    if (!serial)
        return;
    disconnect(serial, nullptr, this, nullptr);
    if (serial->isOpen())
        serial->close();
    serial->deleteLater();
    serial = nullptr;
}

void MainWindow::openSerialPort()
{
    // One port object per link; the previous link must not go on feeding
    // replies into the decoder, and what it was still waiting for is not
    // waited for over the new one.
    dropPort();
    awaitingReply = false;
    rxBuffer.clear();
    replyQuietTimer->stop();
    serial = new QSerialPort(this);
    connect(serial, &QSerialPort::readyRead, this, &MainWindow::onReadyRead);
    connect(serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);

    serial->setPortName(ui->cbPorts->currentText());
    serial->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    serial->setDataBits(QSerialPort::Data8);
    serial->setParity(QSerialPort::NoParity);
    serial->setStopBits(QSerialPort::OneStop);
    serial->setFlowControl(QSerialPort::NoFlowControl);
    ui->BT_Open_Connect->setEnabled(true);
    serial->open(QIODevice::ReadWrite); // a failure arrives at handleError
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return; // reported on every successful open
    qDebug() << "serial port error" << error;
    // A port that failed to open says why in more errors than the listed
    // ones (an empty name gives UnknownError); every such failure is reported.
    const bool openFailed = serial && !serial->isOpen() && error != QSerialPort::NotOpenError;
    // A port whose adapter was pulled out can go on reporting the error until
    // it is closed.
    if (error == QSerialPort::ResourceError && serial && serial->isOpen())
        serial->close();
    // Nothing can go on over a dead link, nor be waited for from it; stopped
    // before the box, whose event loop would run them against the dead port.
    readTimer->stop();
    findTimer->stop();
    writeTimer->stop();
    replyTimer->stop();
    replyQuietTimer->stop();
    if (openFailed || error == QSerialPort::DeviceNotFoundError || error == QSerialPort::OpenError
        || error == QSerialPort::ResourceError)
        QMessageBox::critical(this, tr("Critical Error"), tr("Ошибка соединения"), QMessageBox::Ok);
    ui->BT_Open_Connect->setText(tr(kConnectText));
    ui->BT_find->setEnabled(true);
    ui->BT_Write_values->setEnabled(false);
    ui->BT_Read_values->setEnabled(false);
}

// ------------------------------------------------------ commands and replies

void MainWindow::sendCommand(QString com, bool crl)
{
    const QByteArray bytes = rs485::commandBytes(com);
    awaitingReply = crl;
    lastCommand = com;
    if (serial && serial->isOpen())
        serial->write(bytes);
    rxBuffer.clear();
    replyQuietTimer->stop();
    replyTimer->start(kReplyTimeoutMs);
}

void MainWindow::onReadyRead()
{
    const QByteArray bytes = serial->readAll();
    if (!awaitingReply) {
        rxBuffer.clear(); // nothing was asked: kept, not decoded
        rs485::collectReply(rxBuffer, bytes);
        return;
    }
    // A line that never falls quiet is not waited for: past the bound the
    // reply is judged at once, as noise.
    if (rs485::collectReply(rxBuffer, bytes)) {
        replyQuietTimer->stop();
        onReplyComplete();
        return;
    }
    replyQuietTimer->start();
}

void MainWindow::onReplyComplete()
{
    if (!awaitingReply)
        return;
    lastReply = rs485::decodeReply(rxBuffer);
    status->showMessage(tr("Получено :") + lastReply);
    awaitingReply = false;
    replyTimer->stop();
    getResult();
}

QComboBox *MainWindow::settingList(int step) const
{
    switch (rs485::settingOfWriteStep(step)) {
    case rs485::Setting::Speed: return ui->CB_ST_Speed;
    case rs485::Setting::StopBits: return ui->CB_ST_Stop_bit;
    case rs485::Setting::Parity: return ui->CB_ST_Parity;
    case rs485::Setting::None: break;
    }
    return nullptr;
}

QComboBox *MainWindow::settingList(const QString &command) const
{
    switch (rs485::settingOfCommand(command)) {
    case rs485::Setting::Speed: return ui->CB_ST_Speed;
    case rs485::Setting::StopBits: return ui->CB_ST_Stop_bit;
    case rs485::Setting::Parity: return ui->CB_ST_Parity;
    case rs485::Setting::None: break;
    }
    return nullptr;
}

// A reply is taken only as the answer its command expects: noise that
// happens to hold "Ok" must not start a write, nor noise holding "?" or
// nothing known end a sequence without a word.
void MainWindow::getResult()
{
    qDebug() << "reply:" << lastReply;
    switch (rs485::judge(lastCommand, rxBuffer)) {
    case rs485::Answer::Text:
        readTimer->start(300);
        break;
    case rs485::Answer::Taken:
        writeTimer->start(1500);
        if (QComboBox *list = settingList(writeStep))
            list->setStyleSheet(greenSS);
        break;
    case rs485::Answer::BaudRate: {
        ui->CB_ST_Speed->setStyleSheet(greenSS);
        const int index = rs485::speedIndex(lastReply);
        if (index > 0)
            ui->CB_ST_Speed->setCurrentIndex(index);
        else
            ui->CB_ST_Speed->setStyleSheet(redSS);
        readTimer->start(500);
        break;
    }
    case rs485::Answer::StopBits: {
        const int index = rs485::stopBitsIndex(lastReply);
        if (index > 0) {
            ui->CB_ST_Stop_bit->setCurrentIndex(index);
            ui->CB_ST_Stop_bit->setStyleSheet(greenSS);
        } else {
            ui->CB_ST_Stop_bit->setStyleSheet(redSS);
        }
        readTimer->start(500);
        break;
    }
    case rs485::Answer::Parity: {
        const int index = rs485::parityIndex(lastReply);
        if (index > 0) {
            ui->CB_ST_Parity->setCurrentIndex(index);
            ui->CB_ST_Parity->setStyleSheet(greenSS);
        } else {
            ui->CB_ST_Parity->setStyleSheet(redSS);
        }
        ui->BT_Write_values->setEnabled(true);
        ui->BT_Read_values->setEnabled(true);
        readTimer->start(500);
        break;
    }
    case rs485::Answer::Refused:
        if (QComboBox *list = settingList(writeStep)) {
            list->setStyleSheet(redSS);
            list->setCurrentIndex(0);
        }
        break;
    case rs485::Answer::Working:
        if (serial && serial->isOpen())
            serial->close();
        QMessageBox::information(this, tr("Результат"),
                                 tr("Новые настройки записаны!\n\rМодуль переведен в режим работы!"),
                                 QMessageBox::Ok);
        break;
    case rs485::Answer::Unexpected:
        endOnUnexpectedReply();
        break;
    }
}

// The sequence ends here, before the box (whose event loop would run its
// ticks): nothing more is sent until a button starts a sequence again. The
// list the command concerned turns red; "-h" and "-st" concern none.
void MainWindow::endOnUnexpectedReply()
{
    readTimer->stop();
    writeTimer->stop();
    replyTimer->stop();
    if (QComboBox *list = settingList(lastCommand))
        list->setStyleSheet(redSS);
    // The reply is line noise as often as not: shown as plain text.
    QMessageBox box(QMessageBox::Critical, tr("Ошибка"),
                    tr("Неожиданный ответ модуля: ") + rs485::replyExcerpt(lastReply), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MainWindow::onTimerTimeOut()
{
    status->showMessage(tr("Ошибка"));
    // Stopped before the box: a late reply taken in while the box is open
    // moves the sequence on, and the next command's own time-out must stand.
    replyTimer->stop();
    QMessageBox::critical(this, tr("Ошибка"), tr("Ошибка соединения"), QMessageBox::Ok);
}

// ---------------------------------------------------- read and write sequences

void MainWindow::on_BT_Read_values_clicked()
{
    readStep = 0;
    readTimer->start(100);
    status->showMessage(tr("Чтение начато"));
}

void MainWindow::onTimerST5()
{
    if (readStep > 3) {
        readTimer->stop();
        return;
    }
    readTimer->stop();
    const QString command = rs485::readCommand(readStep);
    status->showMessage(tr("Передано :") + command);
    sendCommand(command, true);
    ++readStep;
}

void MainWindow::on_BT_Write_values_clicked()
{
    writeStep = 0;
    writeTimer->start(100);
}

void MainWindow::onTimerWriteST5()
{
    if (writeStep > 3) {
        writeTimer->stop();
        return;
    }
    writeTimer->stop();
    QString command;
    if (QComboBox *list = settingList(writeStep + 1)) {
        command = rs485::writeCommand(writeStep, list->currentText());
        status->showMessage(tr("Передано :") + command);
        list->setStyleSheet(redSS);
    } else {
        command = rs485::writeCommand(writeStep, QString());
        status->showMessage(tr("Передано :") + command);
    }
    sendCommand(command, true);
    ++writeStep;
}

// -------------------------------------------------------------------- search

void MainWindow::on_BT_find_clicked()
{
    readStep = 0;
    if (!findTimer->isActive()) {
        findTimer->start(kFindTickMs);
        findTicks = 0;
        status->showMessage(tr("Поиск начат"));
    } else {
        findTimer->stop();
        status->showMessage(tr("Поиск остановлен"));
    }
    ui->BT_find->setStyleSheet(graySS);
}

void MainWindow::onfindTimerST5()
{
    const QStringList current = serial_port_list::names();
    ui->BT_find->setStyleSheet(ui->BT_find->styleSheet() == gray2SS ? graySS : gray2SS);

    ++findTicks;
    if (findTicks > kFindGiveUpTicks) {
        findTimer->stop();
        ui->BT_find->setStyleSheet(redSS);
        status->showMessage(tr("Модуль не найден"));
    }

    // Any port that was not there before is taken for the module. Only a
    // change in the number of ports is noticed.
    if (current.size() == ports.size())
        return;
    QStringList fresh;
    for (const QString &name : current)
        if (!ports.contains(name))
            fresh << name;
    ports = current;
    for (const QString &name : fresh) {
        ui->cbPorts->addItem(name);
        ui->cbPorts->setCurrentText(name);
        findTimer->stop();
        openSerialPort();
        if (!serial->isOpen())
            continue; // handleError has reported it
        ui->BT_Open_Connect->setText(tr(kDisconnectText));
        ui->BT_find->setStyleSheet(greenSS);
        readTimer->start(3000);
    }
}

void MainWindow::on_BT_Open_Connect_2_clicked()
{
    ui->cbPorts->clear();
    ports = serial_port_list::names();
    ui->cbPorts->addItems(ports);
    status->showMessage(tr("Порты обновлены"));
}
