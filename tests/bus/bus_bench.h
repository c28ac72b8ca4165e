#pragma once

// A bench for the bus module configurator: the real window, a simulated DCON
// module on a pseudo-terminal listed as its serial port, a stand-in sudo that
// records the command lines, and a catcher that answers the modal boxes.

#include "mainwindow.h"
#include "modal_catcher.h"
#include "pty_device.h"
#include "bench_ports.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <iterator>
#include <memory>

struct BusWindowProbe
{
    static Ui_MainWindow *ui(const MainWindow &w) { return w.ui; }
    static const QSerialPort &serial(const MainWindow &w) { return w.serial; }
    static QString lastReply(const MainWindow &w) { return w.lastReply; }
    static QByteArray typeAndFormat(const MainWindow &w) { return w.typeCode + "/" + w.formatCode; }
    static QList<QTimer *> timers(const MainWindow &w) { return {w.scanTimer, w.writeTimer, w.canWriteTimer}; }
    // No sequence running, every step counter 0.
    static bool idle(const MainWindow &w)
    {
        return !w.scanTimer->isActive() && !w.writeTimer->isActive() && !w.canWriteTimer->isActive()
               && !w.canReadTimer->isActive() && w.scanStep == 0 && w.writeStep == 0 && w.canWriteStep == 0
               && w.canReadStep == 0;
    }
};
using Probe = BusWindowProbe;

inline const QString kGreen = QStringLiteral("background-color:  #90ee90;");
inline const QString kConnect = QStringLiteral("C") + QStringLiteral("оединиться"); // Latin C
inline const QString kDisconnect = QStringLiteral("Отсоединиться");

// A DCON module at any address. Each command ends with "\r" and is answered
// 20 ms later: "$AA2" -> "!" + config, "~AAP" -> "!AA" + protocol digit,
// "%AA..." and "~AAPn" -> "!NN" / "!AA" (or "?AA" when refusing writes),
// anything else -> "?AA".
class DconModuleSim : public PtyDevice
{
public:
    QByteArray config = "1F400600"; // address, type, baud code, format
    char protocol = '0';
    bool silent = false;
    bool refuseWrites = false;
    QList<Frame> commands; // each with its "\r"

    QList<QByteArray> commandBytes() const
    {
        QList<QByteArray> list;
        std::transform(commands.begin(), commands.end(), std::back_inserter(list), [](const Frame &c) { return c.bytes; });
        return list;
    }

protected:
    void onFrame(const QByteArray &bytes) override
    {
        m_line += bytes;
        for (int end; (end = m_line.indexOf('\r')) >= 0; m_line.remove(0, end + 1)) {
            commands << Frame{elapsedMs(), m_line.left(end + 1)};
            const QByteArray c = m_line.left(end), aa = c.mid(1, 2);
            QByteArray answer = "?" + aa;
            if (c.size() == 4 && c.startsWith('$') && c.endsWith('2'))
                answer = "!" + config;
            else if (c == "~" + aa + "P")
                answer = "!" + aa + protocol;
            else if (c.startsWith('%') && !refuseWrites)
                answer = "!" + c.mid(3, 2);
            else if (c.startsWith("~" + aa + "P") && !refuseWrites)
                answer = "!" + aa;
            if (!silent)
                sendAfter(20, answer + "\r");
        }
    }

private:
    QByteArray m_line;
};

// The stand-in sudo (tests/bus/fake_sudo, copied as FAKE_SUDO_DIR/sudo) goes
// first on this process's PATH and logs every command line it is given.
class FakeSudo
{
public:
    struct Call { qint64 ms; QString dir; QString line; };

    FakeSudo()
    {
        static const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray(FAKE_SUDO_DIR) + ":" + path);
        qputenv("FAKE_SUDO_LOG", QFile::encodeName(m_dir.filePath("calls.log")));
        for (const char *name : {"FAKE_SUDO_FAIL", "FAKE_SUDO_ERROR", "FAKE_SUDO_STDOUT"})
            qunsetenv(name);
    }
    void failOn(const QByteArray &text, const QByteArray &error)
    {
        qputenv("FAKE_SUDO_FAIL", text);
        qputenv("FAKE_SUDO_ERROR", error);
    }
    void remove() { qputenv("PATH", QFile::encodeName(m_dir.path())); } // no sudo at all

    QList<Call> calls() const
    {
        QList<Call> list;
        QFile file(m_dir.filePath("calls.log"));
        file.open(QIODevice::ReadOnly);
        for (const QByteArray &raw : file.readAll().split('\n'))
            if (raw.count('\t') == 2)
                list << Call{raw.split('\t')[0].toLongLong(), raw.split('\t')[1], raw.split('\t')[2]};
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

// Starting a program from a test under user-mode emulation is not safe (see
// CMakeLists.txt): the parts that run sudo are skipped there.
#ifdef BUS_TESTS_EMULATED
#define SKIP_IF_NO_PROCESSES() QSKIP("no programs are started under user-mode emulation")
#else
#define SKIP_IF_NO_PROCESSES() do {} while (false)
#endif

// ms within [from, to], for a 1000 ms tick on a loaded machine.
#define VERIFY_MS(ms, from, to) QVERIFY2((ms) >= (from) && (ms) <= (to), qPrintable(QString::number(ms) + " ms: " #ms))

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
