#pragma once

// A bench for the RS-485 module configurator: the real window, a simulated
// module on a pseudo-terminal that the window lists as a serial port, and a
// catcher that answers the window's modal boxes.

#include "mainwindow.h"
#include "modal_catcher.h"
#include "module_sim.h"
#include "bench_ports.h"
#include "ui_mainwindow.h"

#include <QSignalSpy>
#include <QStatusBar>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include <memory>

// Read-only view of the window's state (the window befriends it).
struct Rs485WindowProbe
{
    static Ui_MainWindow *ui(const MainWindow &w) { return w.ui; }
    static QSerialPort *serial(const MainWindow &w) { return w.serial; }
    static QList<QTimer *> timers(const MainWindow &w) // find, read, write, reply
    {
        return {w.findTimer, w.readTimer, w.writeTimer, w.replyTimer};
    }
    static int findTicks(const MainWindow &w) { return w.findTicks; }
    static bool readDone(const MainWindow &w)
    {
        return w.readStep == 4 && !w.readTimer->isActive() && !w.awaitingReply;
    }
    static QString lastReply(const MainWindow &w) { return w.lastReply; }
    static QStringList ports(const MainWindow &w) { return w.ports; }
};
using Probe = Rs485WindowProbe;

inline const QString kConnect = QStringLiteral("Соединиться");
inline const QString kDisconnect = QStringLiteral("Отключиться");

// Pause between the module's commands i-1 and i, ms.
inline qint64 gap(const PtyDevice &m, int i)
{
    return m.frames().at(i).ms - m.frames().at(i - 1).ms;
}

struct Rs485Bench
{
    Rs485Bench()
    {
        listPorts({module.slavePath()});
        window = std::make_unique<MainWindow>();
        window->show();
        ui = Probe::ui(*window);
        QTRY_COMPARE(ui->cbPorts->count(), 1); // listed once the window is painted
        statusLines = std::make_unique<QSignalSpy>(window->statusBar(), &QStatusBar::messageChanged);
    }

    // Opens the link from the form, as the user does; the read starts at once.
    void connectModule()
    {
        ui->cbPorts->setCurrentText(module.slavePath());
        ui->BT_Open_Connect->click();
    }

    // Status lines shown since the last call, in order.
    QStringList takeStatusLines()
    {
        QStringList out;
        for (const QList<QVariant> &args : *statusLines)
            out << args.at(0).toString();
        statusLines->clear();
        out.removeAll(QString());
        return out;
    }

    ModuleSim module;
    ModalCatcher boxes;
    std::unique_ptr<MainWindow> window;
    Ui_MainWindow *ui = nullptr;
    std::unique_ptr<QSignalSpy> statusLines;
};
