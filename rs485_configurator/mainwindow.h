#pragma once

#include "rs485_steps.h"
#include "serial_link.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSerialPort>
#include <QString>
#include <QStringList>

class QComboBox;
class QProgressBar;
class QStatusBar;
class QTimer;
class Ui_MainWindow;

// Lamp looks of the lists and of the search button (border radius 5).
extern const QString greenSS; // read or confirmed; module found
extern const QString graySS;  // search idle, one phase of its blinking
extern const QString gray2SS; // the other phase of the blinking
extern const QString redSS;   // being written, not recognised or refused; search gave up

// The Vesk-RS485-ST configurator's one window. It owns the form, the serial
// link to the module (a new port object for each link) and four timers: the
// read and write sequences, the module search and the reply time-out. Each
// read or write tick stops its own timer and sends one command; the reply
// decoder restarts the timer with the pause that fits the reply. What each
// tick and reply means is worked out by the steps of rs485_steps.h; the
// window does what they say.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    // Link
    void on_BT_Open_Connect_clicked();
    void openSerialPort();
    void handleError(QSerialPort::SerialPortError error);

    // Commands and replies
    void sendCommand(QString com, bool crl);
    void onReadyRead();
    void getResult();
    void onTimerTimeOut();

    // Read and write sequences
    void on_BT_Read_values_clicked();
    void on_BT_Write_values_clicked();
    void onTimerST5();
    void onTimerWriteST5();

    // Search
    void on_BT_find_clicked();
    void onfindTimerST5();
    void on_BT_Open_Connect_2_clicked();

private:
    friend struct Rs485WindowProbe; // read-only look at the state, for the test suite

    void listPorts();
    void onReplyComplete(const QByteArray &reply);
    void apply(const rs485::ReplyStep &step);
    QComboBox *settingList(rs485::Setting setting) const;
    void dropPort();
    void showProgress(rs485::Timer sequence);

    int readStep = 0;
    int writeStep = 0;
    bool awaitingReply = false;
    QTimer *findTimer = nullptr;
    QTimer *readTimer = nullptr;
    QTimer *writeTimer = nullptr;
    QTimer *replyTimer = nullptr;
    // Takes a reply in once the line has been quiet after its last byte: the
    // USB adapter hands a reply over in pieces.
    serial_link::QuietCollector *collector = nullptr;
    int findTicks = 0;
    QStringList ports;
    bool portsListed = false; // the first paint lists them
    QSerialPort *serial = nullptr;
    QString lastCommand; // the command the awaited reply answers
    QString lastReply;
    QByteArray rxBuffer; // the bytes of the last reply
    QStatusBar *status = nullptr;
    // At the right of the status bar: the read or write under way
    // (`progressOf`), or a search waiting for a module.
    QProgressBar *progress = nullptr;
    rs485::Timer progressOf = rs485::Timer::None;
    Ui_MainWindow *ui = nullptr;
};
