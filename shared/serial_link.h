#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QTimer;

// The serial link the three configurators share: the line settings every
// module of the family talks at, how the bytes of one reply are collected,
// how a reply's text is taken, and what is done when the adapter goes away.
// No widgets: the programs keep their own texts and boxes.
namespace serial_link {

// A collected reply is bounded: a line that never ends its reply (noise, a
// flood) is not buffered without limit.
constexpr int kMaxReplyBytes = 4096;

// A reply without a terminator is complete once the line has been quiet this
// long (about 48 character times at 9600 bit/s). A USB adapter hands bytes
// over every few milliseconds, so one reply often arrives in several reads.
constexpr int kQuietMs = 50;

// 9600 bit/s both ways, 8 data bits, no parity, one stop bit, no flow control.
void applyLineSettings(QSerialPort &port);

// Opens the port of that name at the line settings, for reading and writing.
// False when it cannot be opened: the port's error says why, and each program
// reports it in its own words.
bool open(QSerialPort &port, const QString &name);

// The text of a reply: UTF-8 up to the first NUL byte (a noisy line can put a
// NUL anywhere; what follows it is not taken).
QString textUpToNul(const QByteArray &bytes);

// textUpToNul with every "\r" and "\n" removed.
QString replyText(const QByteArray &bytes);

// The bytes of one reply as they arrive, without timers.
//  - With a terminator (DCON's "\r"), the reply is complete once the bytes
//    hold the terminator; what came after it in the same read is kept with it.
//    Past kMaxReplyBytes without a terminator the bytes are dropped.
//  - Without one, the reply is complete when the line falls quiet (the caller
//    times that); past kMaxReplyBytes the buffer stops growing one byte past
//    the bound, so that the caller can tell it went past.
class ReplyBuffer
{
public:
    enum class Status { Waiting, Complete, Overflow };

    explicit ReplyBuffer(char terminator = '\0') : m_terminator(terminator) {}

    Status add(const QByteArray &bytes);
    // The bytes collected so far; the buffer is empty afterwards.
    QByteArray take();
    void clear() { m_bytes.clear(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    char m_terminator;
    QByteArray m_bytes;
};

// A ReplyBuffer without a terminator, with the quiet timer: the program hands
// it every read, and it says when a reply began and when it is complete.
class QuietCollector : public QObject
{
    Q_OBJECT
public:
    explicit QuietCollector(QObject *parent = nullptr, int quietMs = kQuietMs);

    void add(const QByteArray &bytes);
    // Forgets what was collected, and the quiet time that was running.
    void clear();
    bool isEmpty() const { return m_buffer.isEmpty(); }

signals:
    // The first bytes of a new reply came in.
    void started();
    // The line fell quiet, or the reply went past kMaxReplyBytes (overflowed
    // true: it is judged at once, the line may never fall quiet).
    void complete(const QByteArray &reply, bool overflowed);

private:
    void finish(bool overflowed);

    ReplyBuffer m_buffer;
    QTimer *m_quiet;
};

// The adapter behind an open port was pulled out (ResourceError): the port is
// closed at once, since a dead port goes on reporting the error until it is,
// and the result is true, once per loss. Any other error, or a port already
// closed, gives false.
bool closeOnLoss(QSerialPort &port, QSerialPort::SerialPortError error);

} // namespace serial_link
