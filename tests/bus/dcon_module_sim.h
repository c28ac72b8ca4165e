#pragma once

// A DCON I/O module on a pseudo-terminal, at whatever address the program
// asks for. Commands end with "\r"; each answer goes out 20 ms after its
// command, ended by "\r":
//   "$AA2"           -> "!" + address + type + baud code + format
//   "~AAP"           -> "!AA" + protocol digit ("0" DCON, "1" Modbus)
//   "%AANNTTCCFF"    -> "!NN"; the new address, baud code etc. are stored
//   "%AANNCC"        -> "!NN" (a write without a read before: no type, no format)
//   "~AAPn"          -> "!AA"; the protocol digit is stored
//   anything else    -> "?AA"
// Refusing writes answers both write commands with "?AA" instead.

#include "pty_device.h"

#include <QList>

class DconModuleSim : public PtyDevice {
    Q_OBJECT
public:
    explicit DconModuleSim(QObject *parent = nullptr);

    QByteArray address = "01";
    QByteArray typeCode = "40";
    QByteArray baudCode = "06";
    QByteArray formatCode = "00";
    char protocol = '0';

    void setSilent(bool on) { m_silent = on; }
    void setRefuseWrites(bool on) { m_refuseWrites = on; }

    struct Command { qint64 ms; QByteArray bytes; };
    QList<Command> commands() const { return m_commands; } // each with its "\r"
    QList<QByteArray> commandBytes() const;
    void clear() override;

protected:
    void onFrame(const QByteArray &bytes) override;

private:
    QByteArray answer(const QByteArray &command);

    QByteArray m_line;
    QList<Command> m_commands;
    bool m_silent = false;
    bool m_refuseWrites = false;
};
