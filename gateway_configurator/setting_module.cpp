#include "setting_module.h"

#include <QFileDialog>
#include <QVariant>

setting_module::setting_module(QObject *parent)
    : QObject(parent)
{
}

// Deleting the QSettings flushes whatever it still holds to its file.
setting_module::~setting_module()
{
    delete settings;
}

bool setting_module::lastSaveFailed() const
{
    return saveFailed;
}

// Replaces the settings object of the previous call by one on `path`; an empty
// path leaves none. The old object is deleted first, so that its pending
// writes are on disk before the new one reads the same file.
void setting_module::openSettings(const QString &path)
{
    delete settings;
    settings = nullptr;
    if (!path.isEmpty())
        settings = new QSettings(path, QSettings::IniFormat);
}

void setting_module::clearValues()
{
    modul_name.clear();
    ip_address.clear();
    mask.clear();
    gateway.clear();
    port_tcp.clear();
    speed_rs485 = 0;
    stop_bit = 0;
    parity = 0;
    mode_tcp = 0;
    timeout_response.clear();
    ip_server_tcp.clear();
    timeout_tcp.clear();
    rtu_virtual_id.clear();
    tcp_slave_id.clear();
}

void setting_module::LoadNTSetting()
{
    file_name = QFileDialog::getOpenFileName(nullptr, tr("Настройки"), QString(),
                                             tr("TCP_RTU settings (*.TRset);"));
    LoadNTSetting(file_name);
}

void setting_module::SaveNTSetting()
{
    file_name = QFileDialog::getSaveFileName(nullptr, tr("Настройки"), QString(),
                                             tr("TCP_RTU settings (*.TRset);"));
    SaveNTSetting(file_name);
}

// Every field is overwritten: a missing key, a missing or unreadable file and a
// cancelled dialog all give the empty set (texts empty, list indices 0).
void setting_module::LoadNTSetting(QString FileName)
{
    openSettings(FileName);
    if (!settings) {
        clearValues();
        return;
    }

    modul_name = settings->value("MODUL/Name", QString()).toString();
    ip_address = settings->value("IP_ADRESS", QString()).toString();
    mask = settings->value("MASK", QString()).toString();
    gateway = settings->value("GATEWAY", QString()).toString();
    port_tcp = settings->value("PORT_TCP", QString()).toString();
    speed_rs485 = settings->value("SPEED_RS485", 0).toInt();
    stop_bit = settings->value("STOP_BIT", 0).toInt();
    parity = settings->value("PARITY", 0).toInt();
    mode_tcp = settings->value("MODE_TCP", 0).toInt();
    timeout_response = settings->value("TIMEOUT_RESPONSE", QString()).toString();
    ip_server_tcp = settings->value("Client_TCP/IP_SERVER_TCP", QString()).toString();
    timeout_tcp = settings->value("Client_TCP/TIMEOUT_TCP", QString()).toString();
    rtu_virtual_id = settings->value("Client_TCP/RTU_VIRTUAL_ID", QString()).toString();
    tcp_slave_id = settings->value("Client_TCP/TCP_SLAVE_ID", QString()).toString();
}

// An empty name (cancelled dialog) writes nothing. Otherwise the file is synced
// before returning, so that lastSaveFailed() tells whether it reached the disk.
void setting_module::SaveNTSetting(QString FileName)
{
    saveFailed = false;
    openSettings(FileName);
    if (!settings)
        return;

    settings->setValue("MODUL/Name", modul_name);
    settings->setValue("IP_ADRESS", ip_address);
    settings->setValue("MASK", mask);
    settings->setValue("GATEWAY", gateway);
    settings->setValue("PORT_TCP", port_tcp);
    settings->setValue("SPEED_RS485", speed_rs485);
    settings->setValue("STOP_BIT", stop_bit);
    settings->setValue("PARITY", parity);
    settings->setValue("MODE_TCP", mode_tcp);
    settings->setValue("TIMEOUT_RESPONSE", timeout_response);
    settings->setValue("Client_TCP/IP_SERVER_TCP", ip_server_tcp);
    settings->setValue("Client_TCP/TIMEOUT_TCP", timeout_tcp);
    settings->setValue("Client_TCP/RTU_VIRTUAL_ID", rtu_virtual_id);
    settings->setValue("Client_TCP/TCP_SLAVE_ID", tcp_slave_id);

    settings->sync();
    saveFailed = settings->status() != QSettings::NoError;
}
