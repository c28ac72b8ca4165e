#pragma once

// The service serial line of a Modbus TCP <-> RTU protocol converter, on a
// pseudo-terminal.
//
// The converter takes plain ASCII commands with no terminator; a command is
// one frame (see PtyDevice). Its answers:
//   read-back command  -> the command, ':', the stored value, "\r\n"
//                         e.g. "ip" -> "ip:192.168.0.1\r\n"
//   known write        -> "OK\r\n" (TCP-RTU, RTU-TCP) or "ok\r\n" (universal);
//                         the value is stored and read back from then on
//   anything else      -> "?\r\n"
//   restart commands   -> no answer; with drop-after-restart the line goes
//                         away about 100 ms later (the device unplugs).
//                         "RESET" restarts every variant, "reset" only the
//                         universal one; "LOAD SETTING:DEFAULT" restores the
//                         factory values first.
// Which commands a variant knows, and how it spells parity, follow the
// converter variants: TCP-RTU has the network and RS-485 parameters, RTU-TCP
// adds the TCP-client ones, the universal one has all of them and speaks
// lower-case "ok", "reset" and parity words.

#include "pty_device.h"

#include <QMap>
#include <QStringList>

class ConverterSim : public PtyDevice {
    Q_OBJECT
public:
    enum Variant { TcpRtu, RtuTcp, Universal };

    explicit ConverterSim(Variant variant, QObject *parent = nullptr);

    Variant variant() const;

    // Stored parameters, keyed by their read-back command ("ip", "MASK",
    // "SPEED RS485", "tcp slave id", ...). Preset with the factory values.
    QString value(const QString &readCommand) const;
    void setValue(const QString &readCommand, const QString &value);
    static QMap<QString, QString> factoryValues(Variant variant);

    // The read-back commands and write prefixes this variant knows.
    QStringList readCommands() const;
    QStringList writePrefixes() const;

    void setSilent(bool silent);             // answer nothing, do not restart
    void setOnlyLineEnds(bool on);           // answer every command with "\r\n" (nothing is stored)
    void setSplitReplies(bool on);           // each reply in two writes ~150 ms apart
    // Answer this command (a read: exact match; a prefix that holds ':': any
    // command starting with it) with reply + "\r\n" instead, storing nothing.
    // An empty reply means no answer at all to that command.
    void rejectCommand(const QByteArray &commandOrPrefix, const QByteArray &reply = "ERROR");
    void clearRejections();
    void setReplyDelayMs(int ms);            // after the frame completes; default 20
    void setSplitDelayMs(int ms);            // gap between the halves of a split reply; default 150
    void setDropAfterRestart(bool on);       // default true

    QStringList commands() const;            // every received frame as Latin-1 text
    QList<qint64> commandTimes() const;      // ms of each command's first byte (PtyDevice clock)
    QStringList replies() const;             // every reply sent, whole, as Latin-1 text
    QList<qint64> replyTimes() const;        // ms of each reply's first write
    int restarts() const;                    // restart commands taken ("RESET", "reset", factory reset)
    void clear() override;                   // also forgets commands and replies (not the values)

    static constexpr char separator = ':';

protected:
    void onFrame(const QByteArray &bytes) override;

private:
    QByteArray answerFor(const QByteArray &cmd, bool *restart);
    void reply(const QByteArray &bytes);

    Variant m_variant;
    QMap<QString, QString> m_values;
    QList<QPair<QByteArray, QByteArray>> m_rejections;
    bool m_silent = false;
    bool m_onlyLineEnds = false;
    bool m_split = false;
    bool m_dropAfterRestart = true;
    int m_replyDelay = 20;
    int m_splitDelay = 150;
    int m_restarts = 0;
    QStringList m_commands;
    QList<qint64> m_commandTimes;
    QStringList m_replies;
    QList<qint64> m_replyTimes;
};
