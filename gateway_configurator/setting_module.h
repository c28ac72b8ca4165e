#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

// One parameter set of the converter as kept in a ".TRset" settings file (INI,
// read and written through QSettings). The window copies the form into the
// public fields before a save and the fields back into the form after a load;
// this class knows nothing of the form.
//
// File layout: "MODUL/Name" in section [MODUL], the four "Client_TCP/..." keys
// in [Client_TCP], the other nine keys in the general section. Keys of the file
// that are not among these fourteen are left as they are by a save.
class setting_module : public QObject
{
    Q_OBJECT

public:
    explicit setting_module(QObject *parent);
    ~setting_module() override;

    QString modul_name;
    QString ip_address;
    QString mask;
    QString gateway;
    QString port_tcp;
    int speed_rs485 = 0;      // index in the speed list, 0 = nothing chosen
    int stop_bit = 0;         // index in the stop-bit list
    int parity = 0;           // index in the parity list
    int mode_tcp = 0;         // index in the TCP-mode list
    QString timeout_response;
    QString ip_server_tcp;
    QString timeout_tcp;
    QString rtu_virtual_id;
    QString tcp_slave_id;     // decimal text or "off"

    QString file_name;        // answer of the last file dialog (empty when cancelled)
    QSettings *settings = nullptr; // settings object of the last load or save, owned

    // True when the last save had a file to write to and the file could not be
    // put on disk (QSettings::status() after sync() was not NoError): a folder
    // that can be neither written nor created (QSettings creates missing ones),
    // a full disk. The settings object of that save stays
    // in `settings` with its status. False before any save, after a save that
    // reached the disk, and after a save whose dialog was cancelled (nothing
    // was meant to be written). Loads leave it unchanged.
    bool lastSaveFailed() const;

    // True when the last load was given a file and refused it without reading
    // a value: not a regular file (a FIFO would block the window in open()),
    // larger than 64 KiB, unreadable or gone, or holding a value that QSettings
    // would decode as a serialized Qt type ("@Variant(...)" and the like, whose
    // decoding can crash the program; "@String(...)" as a whole value, the way
    // a text holding a NUL character is saved, is text and is taken). The
    // fields are then the empty set and no settings object is kept. False after a load that read its file and after
    // a load with no file name (cancelled dialog). Saves leave it unchanged.
    bool lastLoadFailed() const;

    // Whether a file may be handed to QSettings, by the rules above. Reads at
    // most 64 KiB + 1 bytes and never blocks.
    static bool isSafeToRead(const QString &path);

public slots:
    void LoadNTSetting();
    void SaveNTSetting();
    void LoadNTSetting(QString FileName);
    void SaveNTSetting(QString FileName);

private:
    void openSettings(const QString &path);
    void clearValues();

    bool saveFailed = false;
    bool loadFailed = false;
};
