#pragma once

// A Vesk-RS485-ST module on a pseudo-terminal. It takes the module's text
// commands (no terminator; one command is one frame of PtyDevice) and
// answers each with one line:
//   "-h"              -> "Vesk-RS485-ST\r\n"
//   "-baudrate"       -> "baudrate <rate>\r\n"     (likewise "-stop bits", "-parity")
//   "-baudrate:<v>"   -> "Ok\r\n" and v stored, when v is a value the module
//                        knows; "?\r\n" otherwise (likewise the other two)
//   "-st"             -> "module is working\r\n"
//   anything else     -> "?\r\n"

#include "pty_device.h"

#include <QMap>
#include <QStringList>

class ModuleSim : public PtyDevice {
    Q_OBJECT
public:
    explicit ModuleSim(QObject *parent = nullptr);

    // Stored settings, as the module reports them.
    QString speed = QStringLiteral("9600");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("none");

    // Answer this exact command with reply instead; an empty reply: no answer.
    void answer(const QByteArray &command, const QByteArray &reply);
    void setReplyDelayMs(int ms);            // after the command's frame; default 10
    void setReplyDelayMs(const QByteArray &command, int ms); // for one command only
    // Hand every reply over in two reads: its first `at` bytes, the rest
    // gapMs later (at 0: whole).
    void setSplit(int at, int gapMs);

    QStringList commands() const;            // every command received, in order
    QList<qint64> commandTimes() const;      // ms of each command's first byte
    void clear() override;

protected:
    void onFrame(const QByteArray &bytes) override;

private:
    QByteArray replyTo(const QByteArray &command);

    QMap<QByteArray, QByteArray> m_answers;
    QMap<QByteArray, int> m_delays;
    int m_delay = 10;
    int m_splitAt = 0;
    int m_splitGap = 0;
    QStringList m_commands;
    QList<qint64> m_times;
};
