#pragma once

#include "bus_sequences.h"
#include "dcon_protocol.h"
#include "serial_link.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSerialPort>
#include <QString>

class QCanBusDevice;
class QTimer;
class QWidget;
class Ui_MainWindow;

// The bus module configurator's one window. The link mode is the index of the
// protocol list, read whenever it matters: 0 is DCON on a serial port, 1 is
// CANopen on can0. Three 1000 ms step timers drive the DCON read, the DCON
// write and the LSS write, a 200 ms one the LSS read; each has its step
// counter. The LSS sequences hear the module's answers on can0, opened for
// the length of the sequence. What a press, a tick, a reply or an answer
// leads to is decided by bus_sequences; the window carries it out.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void ScanPortsall();
    void OpenPort();
    void ClosePort();
    void onShowStatus(QString str);
    void ReadData();
    void timer_Scan();
    void scan_DCON();
    void changeParameters_can();
    void changeParameters();
    void on_pushButton_scan_clicked();
    void on_pushButton_Connect_clicked();
    void on_pushButton_changeParameters_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_selectPorotocol_clicked();
    void on_pushButton_clear_clicked();
    void on_pushButton_readCan_clicked();
    void handleError(QSerialPort::SerialPortError error);
    void readCan();
    void canFramesReceived();

private:
    friend struct BusWindowProbe; // read-only look at the state, for the test suite

    int linkMode() const;
    // Runs "sudo ip link set can0 up ..."; its standard output goes to the log
    // when logOutput is set. False, after a critical box naming the command
    // and its error output, when the command failed and can0 is not up.
    bool bringCan0Up(bool logOutput);

    bus_sequences::DconLink dconLink() const;
    bus_sequences::WriteForm writeForm() const;
    void apply(const bus_sequences::Action &action);
    void stopSequence(bus_sequences::Sequence sequence);
    bool canBusy() const;
    bool openCan(bus_sequences::Sequence user);
    void closeCan();
    bool sendLssRequest(const QByteArray &data);
    void setLook(bus_sequences::Fields fields, const QString &styleSheet);
    void showBox(const bus_sequences::Message &message);

    Ui_MainWindow *ui;
    QSerialPort serial;
    QString lastReply;
    QByteArray moduleAddress = "00";
    QByteArray typeCode;
    QByteArray formatCode;
    QTimer *scanTimer = nullptr;
    QTimer *writeTimer = nullptr;
    QTimer *canWriteTimer = nullptr;
    int scanStep = 0;
    int writeStep = 0;
    int canWriteStep = 0;
    QTimer *canReadTimer = nullptr;
    int canReadStep = 0;
    QCanBusDevice *canDevice = nullptr;            // open while an LSS sequence runs
    bus_sequences::Sequence canUser = bus_sequences::Sequence::None; // the sequence it is open for
    bus_sequences::LssAnswers canAnswers;         // heard since each request of that sequence
    serial_link::ReplyBuffer rxBuffer{dcon::kLineEnd}; // the reply being received
};
void prepareMainWindow(MainWindow &window); // fixes the window at its working size, 580 x 330
