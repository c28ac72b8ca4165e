#include "serial_link.h"

#include <QTimer>

namespace serial_link {

void applyLineSettings(QSerialPort &port)
{
    port.setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

bool open(QSerialPort &port, const QString &name)
{
    port.setPortName(name);
    applyLineSettings(port);
    return port.open(QIODevice::ReadWrite);
}

QString textUpToNul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

QString replyText(const QByteArray &bytes)
{
    QString text = textUpToNul(bytes);
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

ReplyBuffer::Status ReplyBuffer::add(const QByteArray &bytes)
{
    if (m_terminator != '\0') {
        // Judged on the bytes: a NUL must not hide the terminator behind it.
        m_bytes += bytes;
        if (m_bytes.contains(m_terminator))
            return Status::Complete;
        if (m_bytes.size() > kMaxReplyBytes) {
            m_bytes.clear();
            return Status::Overflow;
        }
        return Status::Waiting;
    }
    const int room = kMaxReplyBytes + 1 - m_bytes.size();
    if (room > 0)
        m_bytes += bytes.left(room);
    return m_bytes.size() > kMaxReplyBytes ? Status::Overflow : Status::Waiting;
}

QByteArray ReplyBuffer::take()
{
    QByteArray bytes;
    bytes.swap(m_bytes);
    return bytes;
}

QuietCollector::QuietCollector(QObject *parent, int quietMs)
    : QObject(parent), m_quiet(new QTimer(this))
{
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(quietMs);
    connect(m_quiet, &QTimer::timeout, this, [this] { finish(false); });
}

void QuietCollector::add(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_buffer.isEmpty())
        emit started();
    if (m_buffer.add(bytes) == ReplyBuffer::Status::Overflow) {
        finish(true);
        return;
    }
    m_quiet->start();
}

void QuietCollector::clear()
{
    m_quiet->stop();
    m_buffer.clear();
}

void QuietCollector::finish(bool overflowed)
{
    m_quiet->stop();
    emit complete(m_buffer.take(), overflowed);
}

bool closeOnLoss(QSerialPort &port, QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError || !port.isOpen())
        return false;
    port.close();
    return true;
}

} // namespace serial_link
