#include "mainwindow.h"

#include "rs485_protocol.h"
#include "serial_port_list.h"
#include "status_progress.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QMessageBox>
#include <QProgressBar>
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

// The module's pace: the pauses of the read and write sequences, the reply
// time-out, and the search's tick and limit.
constexpr rs485::Pacing kPacing{};

const QString &lampLook(rs485::Lamp lamp)
{
    switch (lamp) {
    case rs485::Lamp::Gray2: return gray2SS;
    case rs485::Lamp::Green: return greenSS;
    case rs485::Lamp::Red: return redSS;
    case rs485::Lamp::Gray: break;
    }
    return graySS;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);

    status = new QStatusBar(this);
    setStatusBar(status);
    progress = status_progress::add(*status);

    ui->cbPorts->clear();

    findTimer = new QTimer(this);
    connect(findTimer, &QTimer::timeout, this, &MainWindow::onfindTimerST5);
    readTimer = new QTimer(this);
    connect(readTimer, &QTimer::timeout, this, &MainWindow::onTimerST5);
    writeTimer = new QTimer(this);
    connect(writeTimer, &QTimer::timeout, this, &MainWindow::onTimerWriteST5);
    replyTimer = new QTimer(this);
    connect(replyTimer, &QTimer::timeout, this, &MainWindow::onTimerTimeOut);
    collector = new serial_link::QuietCollector(this);
    connect(collector, &serial_link::QuietCollector::complete, this, &MainWindow::onReplyComplete);
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
        // A deliberate end: nothing is waited for any more.
        readTimer->stop();
        findTimer->stop();
        writeTimer->stop();
        replyTimer->stop();
        collector->clear();
        showProgress(rs485::Timer::None);
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
    collector->clear();
    serial = new QSerialPort(this);
    connect(serial, &QSerialPort::readyRead, this, &MainWindow::onReadyRead);
    connect(serial, &QSerialPort::errorOccurred, this, &MainWindow::handleError);

    ui->BT_Open_Connect->setEnabled(true);
    serial_link::open(*serial, ui->cbPorts->currentText()); // a failure arrives at handleError
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return; // reported on every successful open
    qDebug() << "serial port error" << error;
    // The port of a pulled-out adapter is closed first, so that it reports
    // its loss once.
    const bool lost = serial && serial_link::closeOnLoss(*serial, error);
    // A port that failed to open says why in more errors than the listed
    // ones (an empty name gives UnknownError); every such failure is reported.
    const bool openFailed = !lost && serial && !serial->isOpen() && error != QSerialPort::NotOpenError;
    // Nothing can go on over a dead link, nor be waited for from it; stopped
    // before the box, whose event loop would run them against the dead port.
    readTimer->stop();
    findTimer->stop();
    writeTimer->stop();
    replyTimer->stop();
    collector->clear();
    showProgress(rs485::Timer::None);
    if (lost || openFailed || error == QSerialPort::DeviceNotFoundError || error == QSerialPort::OpenError
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
    collector->clear();
    replyTimer->start(kPacing.replyTimeoutMs);
}

// Every read goes to the collector; a reply nobody asked for is kept when
// complete, not decoded.
void MainWindow::onReadyRead()
{
    collector->add(serial->readAll());
}

void MainWindow::onReplyComplete(const QByteArray &reply)
{
    rxBuffer = reply;
    if (!awaitingReply)
        return;
    lastReply = serial_link::textUpToNul(rxBuffer);
    status->showMessage(tr("Получено :") + lastReply);
    awaitingReply = false;
    replyTimer->stop();
    getResult();
}

QComboBox *MainWindow::settingList(rs485::Setting setting) const
{
    switch (setting) {
    case rs485::Setting::Speed: return ui->CB_ST_Speed;
    case rs485::Setting::StopBits: return ui->CB_ST_Stop_bit;
    case rs485::Setting::Parity: return ui->CB_ST_Parity;
    case rs485::Setting::None: break;
    }
    return nullptr;
}

void MainWindow::getResult()
{
    qDebug() << "reply:" << lastReply;
    apply(rs485::afterReply(lastCommand, rxBuffer, writeStep, kPacing));
}

void MainWindow::onTimerTimeOut()
{
    apply(rs485::afterTimeOut());
}

// Does what a reply, or its absence, calls for, in this order: the timers
// stop, the list shows it, the sequence goes on or the link closes, the box.
void MainWindow::apply(const rs485::ReplyStep &step)
{
    if (step.showError)
        status->showMessage(tr("Ошибка"));
    if (step.stopSequences) {
        readTimer->stop();
        writeTimer->stop();
    }
    if (step.stopReplyTimeout)
        replyTimer->stop();
    if (QComboBox *list = settingList(step.list)) {
        if (step.index >= 0)
            list->setCurrentIndex(step.index);
        if (step.look != rs485::Look::Unchanged)
            list->setStyleSheet(step.look == rs485::Look::Green ? greenSS : redSS);
    }
    if (step.enableButtons) {
        ui->BT_Write_values->setEnabled(true);
        ui->BT_Read_values->setEnabled(true);
    }
    if (step.restart == rs485::Timer::Read)
        readTimer->start(step.intervalMs);
    else if (step.restart == rs485::Timer::Write)
        writeTimer->start(step.intervalMs);
    if (step.closeLink && serial && serial->isOpen())
        serial->close();
    // A sequence goes on only where the reply restarts its timer.
    showProgress(step.restart);

    switch (step.box) {
    case rs485::Box::None:
        break;
    case rs485::Box::NoReply:
        QMessageBox::critical(this, tr("Ошибка"), tr("Ошибка соединения"), QMessageBox::Ok);
        break;
    case rs485::Box::Working:
        QMessageBox::information(this, tr("Результат"),
                                 tr("Новые настройки записаны!\n\rМодуль переведен в режим работы!"),
                                 QMessageBox::Ok);
        break;
    case rs485::Box::UnexpectedReply: {
        // The reply is line noise as often as not: shown as plain text.
        QMessageBox box(QMessageBox::Critical, tr("Ошибка"), tr("Неожиданный ответ модуля: ") + step.excerpt,
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        break;
    }
    }
}

// ---------------------------------------------------- read and write sequences

// While the search waits for a module the bar runs with no end; otherwise it
// shows the commands of `sequence` answered so far, of all its commands, and
// with no sequence under way it is hidden.
void MainWindow::showProgress(rs485::Timer sequence)
{
    progressOf = sequence;
    if (findTimer->isActive()) {
        progress->setRange(0, 0);
    } else if (sequence == rs485::Timer::None) {
        progress->hide();
        return;
    } else {
        const bool read = sequence == rs485::Timer::Read;
        const rs485::Progress done = rs485::progress(sequence, read ? readStep : writeStep, awaitingReply);
        progress->setRange(0, done.total);
        progress->setValue(done.answered);
    }
    progress->show();
}

void MainWindow::on_BT_Read_values_clicked()
{
    readStep = 0;
    readTimer->start(kPacing.startMs);
    status->showMessage(tr("Чтение начато"));
    showProgress(rs485::Timer::Read);
}

void MainWindow::onTimerST5()
{
    const rs485::TickStep step = rs485::readTick(readStep);
    readStep = step.next;
    readTimer->stop();
    if (step.finished) {
        if (progressOf == rs485::Timer::Read)
            showProgress(rs485::Timer::None);
        return;
    }
    status->showMessage(tr("Передано :") + step.command);
    sendCommand(step.command, true);
}

void MainWindow::on_BT_Write_values_clicked()
{
    writeStep = 0;
    writeTimer->start(kPacing.startMs);
    showProgress(rs485::Timer::Write);
}

void MainWindow::onTimerWriteST5()
{
    const rs485::FormValues values{ui->CB_ST_Speed->currentText(), ui->CB_ST_Stop_bit->currentText(),
                                   ui->CB_ST_Parity->currentText()};
    const rs485::TickStep step = rs485::writeTick(writeStep, values);
    writeStep = step.next;
    writeTimer->stop();
    if (step.finished) {
        if (progressOf == rs485::Timer::Write)
            showProgress(rs485::Timer::None);
        return;
    }
    status->showMessage(tr("Передано :") + step.command);
    if (QComboBox *list = settingList(step.markRed))
        list->setStyleSheet(redSS);
    sendCommand(step.command, true);
}

// -------------------------------------------------------------------- search

void MainWindow::on_BT_find_clicked()
{
    readStep = 0;
    if (!findTimer->isActive()) {
        findTimer->start(kPacing.findTickMs);
        findTicks = 0;
        status->showMessage(tr("Поиск начат"));
    } else {
        findTimer->stop();
        status->showMessage(tr("Поиск остановлен"));
    }
    ui->BT_find->setStyleSheet(graySS);
    showProgress(progressOf);
}

void MainWindow::onfindTimerST5()
{
    const QStringList current = serial_port_list::names();
    const rs485::Lamp shown = ui->BT_find->styleSheet() == gray2SS ? rs485::Lamp::Gray2 : rs485::Lamp::Gray;
    const rs485::SearchStep step = rs485::searchTick(findTicks, shown, ports, current, kPacing);
    findTicks = step.ticks;
    ui->BT_find->setStyleSheet(lampLook(step.lamp));
    if (step.giveUp) {
        findTimer->stop();
        status->showMessage(tr("Модуль не найден"));
        showProgress(progressOf);
    }
    if (step.portsChanged)
        ports = current;
    for (const QString &name : step.found) {
        ui->cbPorts->addItem(name);
        ui->cbPorts->setCurrentText(name);
        findTimer->stop();
        openSerialPort();
        if (!serial->isOpen())
            continue; // handleError has reported it
        ui->BT_Open_Connect->setText(tr(kDisconnectText));
        ui->BT_find->setStyleSheet(greenSS);
        readTimer->start(step.readDelayMs);
        showProgress(rs485::Timer::Read);
    }
}

// Listing the system's serial ports takes a while where it has many
// terminals: the window is painted first and lists them right after.
void MainWindow::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    if (portsListed)
        return;
    portsListed = true;
    QTimer::singleShot(0, this, &MainWindow::listPorts);
}

void MainWindow::listPorts()
{
    ui->cbPorts->clear();
    ports = serial_port_list::names();
    ui->cbPorts->addItems(ports);
}

void MainWindow::on_BT_Open_Connect_2_clicked()
{
    listPorts();
    status->showMessage(tr("Порты обновлены"));
}
