#pragma once

// A Vesk-RS485-ST module on a pseudo-terminal. Each frame (PtyDevice) is one
// command; the answer is one line:
//   "-h" -> "Vesk-RS485-ST";  "-baudrate" -> "baudrate <rate>" (likewise
//   "-stop bits", "-parity");  "-baudrate:<v>" -> "Ok" and v kept when the
//   module knows v, else "?" (likewise the other two);  "-st" -> "module is
//   working";  anything else -> "?".

#include "pty_device.h"

#include <QMap>

class ModuleSim : public PtyDevice {
    Q_OBJECT
public:
    using PtyDevice::PtyDevice;

    QString speed = QStringLiteral("9600");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("none");

    QMap<QByteArray, QByteArray> answers; // command -> reply instead; "" = silent
    QMap<QByteArray, int> delays;         // command -> reply delay, ms (default 10)
    int splitAt = 0;                      // > 0: each reply in two reads, this many bytes first,
    int splitGapMs = 10;                  // the rest this much later

protected:
    void onFrame(const QByteArray &bytes) override;
};
