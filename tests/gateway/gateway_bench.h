#pragma once

// A bench for the converter configurator: the real window, a simulated
// converter on a pseudo-terminal that the window lists as a serial port, and
// a catcher that answers the window's modal boxes.

#include "converter_sim.h"
#include "mainwindow.h"
#include "modal_catcher.h"
#include "bench_ports.h"
#include "startup.h"
#include "ui_mainwindow.h"

#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include <memory>

// Read-only view of the window's state (the window befriends it).
struct GatewayWindowProbe
{
    static Ui_MainWindow *ui(const MainWindow &w) { return w.ui; }
    static const QSerialPort &serial(const MainWindow &w) { return w.serial; }
    static QString lastReply(const MainWindow &w) { return w.lastReply; }
    static bool rebootExpected(const MainWindow &w) { return w.rebootExpected; }
    static bool writeConfirmed(const MainWindow &w) { return w.writeConfirmed; }
    static QString settingsFileName(const MainWindow &w) { return w.settingsFileName; }
    static QList<QTimer *> timers(const MainWindow &w)
    {
        return {w.scanTimer, w.writeTimer, w.universalScanTimer, w.universalWriteTimer};
    }
    static QList<int> steps(const MainWindow &w)
    {
        return {w.scanStep, w.writeStep, w.universalScanStep, w.universalWriteStep};
    }
    static bool anyTimerActive(const MainWindow &w)
    {
        for (QTimer *t : timers(w))
            if (t->isActive())
                return true;
        return false;
    }
};
using Probe = GatewayWindowProbe;

// Field looks, as the converter window paints them.
inline const QString kGreen = QStringLiteral("background-color:  #90ee90;");
inline const QString kRed = QStringLiteral("background-color: #FF2400");
inline const QString kLavender = QStringLiteral("background-color:  #f5edff;");

// Button texts; the connect text starts with a Latin C.
inline const QString kConnect = QStringLiteral("Cоединиться");
inline const QString kDisconnect = QStringLiteral("Отсоединиться");
inline const QString kScan = QStringLiteral("Сканировать");
inline const QString kStopScan = QStringLiteral("Стоп сканирования");
inline const QString kWrite = QStringLiteral("Запись параметры");
inline const QString kStopWrite = QStringLiteral("Остановить запись");

// The fourteen parameter fields that lose their colour when the form is reset.
inline QList<QWidget *> paramFields(Ui_MainWindow *ui)
{
    return {ui->lineEdit_ip, ui->lineEdit_ipservertcp, ui->comboBox, ui->comboBox_2, ui->comboBox_speed,
            ui->lineEdit_mask, ui->lineEdit_portTCP, ui->lineEdit_timeout, ui->lineEdit_MAC,
            ui->lineEdit_gateway, ui->comboBox_mode, ui->lineEdit_rtu_virtual_id, ui->lineEdit_tcp_id,
            ui->lineEdit_timewait};
}

struct GatewayBench
{
    explicit GatewayBench(ConverterSim::Variant variant)
        : sim(variant)
    {
        listPorts({sim.slavePath()});
        window = std::make_unique<MainWindow>();
        prepareMainWindow(*window);
        window->show();
        ui = Probe::ui(*window);
        ui->conbox0->setCurrentIndex(int(variant));
    }

    // Opens the port from the form, as the user does.
    bool connectPort()
    {
        ui->serialPortInfoListBox->setCurrentText(sim.slavePath());
        ui->connect->click();
        return Probe::serial(*window).isOpen() && ui->connect->text() == kDisconnect;
    }

    // Arms the write button: it takes writes only once a scan was started.
    void armWrite()
    {
        ui->scan_parameters->click();
        ui->scan_parameters->click();
    }

    bool portOpenInProcess() const { return PtyDevice::openCountInThisProcess(sim.slavePath()) > 0; }

    ConverterSim sim;
    ModalCatcher boxes;
    std::unique_ptr<MainWindow> window;
    Ui_MainWindow *ui = nullptr;
};
