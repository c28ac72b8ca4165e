#pragma once

// A serial device on a pseudo-terminal. The program under test opens the
// slave side (slavePath()) as its serial port; the test holds the master side
// and sees every byte the program writes, sends bytes back, and can pull the
// device out (unplug) to make the program's port fail.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

class PtyDevice : public QObject {
    Q_OBJECT
public:
    // One read() on the master, with the time it was made.
    struct Chunk { qint64 ms; QByteArray bytes; };
    // Bytes that arrived with no pause longer than the frame gap; ms is the
    // time of the first of them.
    struct Frame { qint64 ms; QByteArray bytes; };

    explicit PtyDevice(QObject *parent = nullptr);
    ~PtyDevice() override;

    // Path of the slave side, e.g. "/dev/pts/7". Empty if openpty() failed.
    QString slavePath() const;
    bool isPlugged() const;

    // Milliseconds since the device was created: the clock of Chunk/Frame.
    qint64 elapsedMs() const;

    // One write() on the master, now. What the pty does not take at once is
    // kept and written as soon as it can (only if the program reads nothing).
    // An unplugged device sends nothing. Bytes sent while the program has
    // the port closed wait in the line until it opens it.
    void send(const QByteArray &bytes);
    void sendAfter(int ms, const QByteArray &bytes);

    // Pull the device out: whatever the program already wrote is read and
    // framed first, then both of the device's own ends are closed. The
    // program's open port then fails (QSerialPort::ResourceError). Idempotent.
    void unplug();
    // Plug a new device in: a fresh pty pair, so slavePath() changes.
    // Returns false if a pty could not be opened. Does nothing if plugged.
    bool replug();

    QList<Chunk> chunks() const;
    QByteArray received() const;
    QList<Frame> frames() const;
    QList<QByteArray> frameBytes() const;
    void setFrameGap(int ms);
    int frameGap() const;
    virtual void clear();        // forget chunks and frames (a frame being assembled too)

    // How many file descriptors of this process point at path ("/dev/pts/7"
    // or "pts/7"), not counting the slave fds that PtyDevice objects keep for
    // themselves: that is, whether the program still has the port open.
    static int openCountInThisProcess(const QString &path);

signals:
    void frameReceived(const QByteArray &bytes);
    void unplugged();

protected:
    // Called for each completed frame, after it is recorded and before
    // frameReceived is emitted.
    virtual void onFrame(const QByteArray &bytes);

private:
    bool openPair();
    void closePair();
    void readMaster();
    void flushPending();
    void finishFrame();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_frameTimer = nullptr;
    QElapsedTimer m_clock;
    QList<Chunk> m_chunks;
    QList<Frame> m_frames;
    QByteArray m_partial;     // bytes of the frame being assembled
    qint64 m_partialMs = 0;
    QByteArray m_pendingOut;  // bytes send() could not write yet
    int m_frameGap = 40;
};
