#pragma once

#include <QMainWindow>
#include <QSerialPort>
#include <QString>

#include <initializer_list>

class QProgressBar;
class QTimer;
class QWidget;
class Ui_MainWindow;

namespace gateway { enum class Field; enum class Variant; }
namespace gateway_sequences { struct Action; struct Effects; enum class Operation; }
namespace serial_link { class QuietCollector; }

// The converter configurator's one window. It owns the form, the serial port
// through which every converter command goes, and four 1000 ms step timers:
// the read-back scan and the write of the TCP-RTU/RTU-TCP converters, and the
// same two for the universal converter. Which timer runs says what the window
// is doing; the timer's step counter says which command is on the line.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void universal_show(int index);
    void on_scanport_clicked();
    void on_applyButton_clicked();
    void on_Reset_clicked();
    void on_scan_parameters_clicked();
    void readData();
    void openport();
    void closeport();
    void timerforScan();
    void Reset_Default();
    void change_mode_TCP();
    void scan_pa_modbus_RTU_TCP();
    void scan_pa_modbus_TCP_RTU();
    void scan_pa_modbus_all();
    void change_pa_modbus_RTU_TCP();
    void change_pa_modbus_TCP_RTU();
    void change_parametersofmodbus();
    void checkCustomDevicePathPolicy();
    void handleError(QSerialPort::SerialPortError error);
    void on_reset_allparameters_clicked();
    void on_checkBox_clicked(bool checked);
    void on_connect_clicked();
    void styleclear();
    void OnSaveSetting_File();

private slots:
    void on_action_open_2_triggered();
    void on_action_save_triggered();
    void on_action_triggered();

private:
    friend struct GatewayWindowProbe; // read-only look at the state, for the test suite

    QWidget *fieldWidget(gateway::Field field) const;
    void disconnectedForm();
    void startScan(QTimer *timer, bool universal);
    void scanTick(gateway::Variant variant);
    void writeTick(gateway::Variant variant);
    void replyStarted();
    void judgeReply(const QByteArray &bytes);
    QTimer *timerOf(gateway_sequences::Operation operation, int **counter);
    gateway_sequences::Operation runningOperation();
    void showProgress();
    void perform(const gateway_sequences::Action &action, QTimer *timer, int *counter, int step);
    void applyEffects(const gateway_sequences::Effects &effects, QTimer *timer, int *counter, int step);
    void showField(const gateway_sequences::Action &action);
    void clearFieldStyles(std::initializer_list<gateway::Field> fields);
    void paintUnlessRed(QWidget *widget, const char *style);
    void clearRedMarks();
    bool loadSettingsIntoForm(const QString &fileName, bool verbose);


    Ui_MainWindow *ui;
    QSerialPort serial;
    QString lastReply;
    QTimer *scanTimer = nullptr;
    QTimer *writeTimer = nullptr;
    QTimer *universalScanTimer = nullptr;
    QTimer *universalWriteTimer = nullptr;
    int writeStep = 0;
    int universalScanStep = 0;
    int scanStep = 0;
    int universalWriteStep = 0;
    bool rebootExpected = false;
    QString settingsFileName;
    bool writeConfirmed = false;

    // A reply being collected until the line falls quiet, and the operation
    // and step that were current when its first byte came in.
    serial_link::QuietCollector *replies = nullptr;
    gateway_sequences::Operation replyOperation{};
    int replyStep = 0;
    // Whether the last command of a scan or write got any reply.
    bool commandAnswered = true;
    // The box of a scan that found nothing received at its first check is open.
    bool silenceReported = false;
    // At the right of the status bar while a scan or write runs.
    QProgressBar *progress = nullptr;
};
