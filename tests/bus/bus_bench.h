#pragma once

// A bench for the bus module configurator: the real window, a simulated DCON
// module on a pseudo-terminal that the window lists as a serial port, a
// stand-in sudo that records the command lines, and a catcher that answers
// the window's modal boxes.

#include "dcon_module_sim.h"
#include "mainwindow.h"
#include "modal_catcher.h"
#include "serial_port_list.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <memory>

struct BusWindowProbe
{
    static Ui_MainWindow *ui(const MainWindow &w) { return w.ui; }
    static const QSerialPort &serial(const MainWindow &w) { return w.serial; }
    static QString lastReply(const MainWindow &w) { return w.lastReply; }
    static QByteArray typeCode(const MainWindow &w) { return w.typeCode; }
    static QByteArray formatCode(const MainWindow &w) { return w.formatCode; }
    static QList<QTimer *> timers(const MainWindow &w) { return {w.scanTimer, w.writeTimer, w.canWriteTimer}; }
    static QList<int> steps(const MainWindow &w) { return {w.scanStep, w.writeStep, w.canWriteStep}; }
    static bool anyTimerActive(const MainWindow &w)
    {
        for (QTimer *t : timers(w))
            if (t->isActive())
                return true;
        return false;
    }
};
using Probe = BusWindowProbe;

inline const QString kGreen = QStringLiteral("background-color:  #90ee90;");
// The connect text starts with a Latin C, the write text has a Latin c.
inline const QString kConnect = QString::fromUtf8("C\xd0\xbe\xd0\xb5\xd0\xb4\xd0\xb8\xd0\xbd\xd0\xb8\xd1\x82\xd1\x8c\xd1\x81\xd1\x8f");
inline const QString kDisconnect = QStringLiteral("Отсоединиться");
inline const QString kWrite = QString::fromUtf8("\xd0\x97\xd0\xb0\xd0\xbf\xd0\xb8" "c" "\xd0\xb0\xd1\x82\xd1\x8c \xd0\xbf\xd0\xb0\xd1\x80\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x82\xd1\x80\xd1\x8b");

inline QStringList &benchPorts()
{
    static QStringList ports;
    return ports;
}

inline void listPorts(const QStringList &names)
{
    benchPorts() = names;
    serial_port_list::setSource([] { return benchPorts(); });
}

// The stand-in sudo (FAKE_SUDO_DIR holds it, named "sudo") goes first on this
// process's PATH; every command line it is given lands in a log.
class FakeSudo
{
public:
    struct Call { qint64 ms; QString dir; QString line; };

    FakeSudo()
    {
        static const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray(FAKE_SUDO_DIR) + ":" + path);
        qputenv("FAKE_SUDO_LOG", QFile::encodeName(m_dir.filePath("calls.log")));
        qunsetenv("FAKE_SUDO_FAIL");
        qunsetenv("FAKE_SUDO_ERROR");
        qunsetenv("FAKE_SUDO_STDOUT");
    }
    // Command lines containing `text` fail with `error` on standard error.
    void failOn(const QByteArray &text, const QByteArray &error)
    {
        qputenv("FAKE_SUDO_FAIL", text);
        qputenv("FAKE_SUDO_ERROR", error);
    }
    // No sudo to be found at all.
    void remove() { qputenv("PATH", QFile::encodeName(m_dir.path())); }

    QList<Call> calls() const
    {
        QList<Call> list;
        QFile file(m_dir.filePath("calls.log"));
        if (!file.open(QIODevice::ReadOnly))
            return list;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const QList<QByteArray> f = raw.split('\t');
            if (f.size() == 3)
                list << Call{f[0].toLongLong(), QString::fromUtf8(f[1]), QString::fromUtf8(f[2])};
        }
        return list;
    }
    QStringList lines() const
    {
        QStringList list;
        for (const Call &c : calls())
            list << c.line;
        return list;
    }

private:
    QTemporaryDir m_dir;
};

inline QStringList logLines(Ui_MainWindow *ui)
{
    return ui->textBrowser->toPlainText().split(QLatin1Char('\n'));
}

struct BusBench
{
    BusBench()
    {
        listPorts({sim.slavePath()});
        window = std::make_unique<MainWindow>();
        prepareMainWindow(*window);
        window->show();
        ui = Probe::ui(*window);
    }

    // Lists the ports and connects to the module, as the user does.
    bool connectPort()
    {
        ui->pushButton_scan->click();
        ui->comboBox_ports->setCurrentText(sim.slavePath());
        ui->pushButton_Connect->click();
        return Probe::serial(*window).isOpen() && ui->pushButton_Connect->text() == kDisconnect;
    }

    FakeSudo sudo;
    DconModuleSim sim;
    ModalCatcher boxes;
    std::unique_ptr<MainWindow> window;
    Ui_MainWindow *ui = nullptr;
};
