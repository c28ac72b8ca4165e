#include "pty_device.h"

#include <QFile>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <QtDebug>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Slave fds held by the devices themselves; openCountInThisProcess() leaves
// them out. Everything runs on the GUI thread, so no lock.
QSet<int> &keptSlaveFds()
{
    static QSet<int> fds;
    return fds;
}

void setFdFlag(int fd, int flag)
{
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl != -1)
        ::fcntl(fd, F_SETFL, fl | flag);
}

void setCloseOnExec(int fd)
{
    const int fl = ::fcntl(fd, F_GETFD);
    if (fl != -1)
        ::fcntl(fd, F_SETFD, fl | FD_CLOEXEC);
}

} // namespace

PtyDevice::PtyDevice(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_frameTimer = new QTimer(this);
    m_frameTimer->setSingleShot(true);
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, &PtyDevice::finishFrame);
    openPair();
}

PtyDevice::~PtyDevice()
{
    closePair();
}

bool PtyDevice::openPair()
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        qWarning("PtyDevice: openpty failed: %s", std::strerror(errno));
        return false;
    }
    // Raw on both sides: the line discipline must not echo, translate line
    // ends or hold bytes back for a line.
    termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    setFdFlag(master, O_NONBLOCK);
    setCloseOnExec(master);
    setCloseOnExec(slave);

    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    keptSlaveFds().insert(m_slave);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyDevice::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyDevice::flushPending);
    return true;
}

void PtyDevice::closePair()
{
    // Notifiers go before their fd is closed.
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slave >= 0) {
        keptSlaveFds().remove(m_slave);
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    m_pendingOut.clear();
}

QString PtyDevice::slavePath() const
{
    return m_slavePath;
}

bool PtyDevice::isPlugged() const
{
    return m_master >= 0;
}

qint64 PtyDevice::elapsedMs() const
{
    return m_clock.elapsed();
}

void PtyDevice::send(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    if (!m_pendingOut.isEmpty()) {
        // Keep the order: behind what is already waiting.
        m_pendingOut += bytes;
        return;
    }
    ssize_t n;
    do {
        n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            qWarning("PtyDevice: write failed: %s", std::strerror(errno));
            return;
        }
        n = 0;
    }
    if (n < bytes.size()) {
        m_pendingOut = bytes.mid(int(n));
        m_writeNotifier->setEnabled(true);
    }
}

void PtyDevice::flushPending()
{
    if (m_master < 0)
        return;
    while (!m_pendingOut.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pendingOut.constData(), size_t(m_pendingOut.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                qWarning("PtyDevice: write failed: %s", std::strerror(errno));
                m_pendingOut.clear();
            }
            break;
        }
        m_pendingOut.remove(0, int(n));
    }
    m_writeNotifier->setEnabled(!m_pendingOut.isEmpty());
}

void PtyDevice::sendAfter(int ms, const QByteArray &bytes)
{
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, bytes] { send(bytes); });
}

void PtyDevice::readMaster()
{
    if (m_master < 0)
        return;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            const qint64 now = m_clock.elapsed();
            const QByteArray bytes(buf, int(n));
            m_chunks.append({now, bytes});
            if (m_partial.isEmpty())
                m_partialMs = now;
            m_partial += bytes;
            m_frameTimer->start(m_frameGap);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO (or end of file) means no slave side is open. That cannot
        // happen while the device keeps its own slave fd; if it does anyway,
        // pause the notifier instead of letting it fire again at once.
        if (m_readNotifier) {
            m_readNotifier->setEnabled(false);
            QTimer::singleShot(50, this, [this] {
                if (m_readNotifier)
                    m_readNotifier->setEnabled(true);
            });
        }
        return;
    }
}

void PtyDevice::finishFrame()
{
    m_frameTimer->stop();
    if (m_partial.isEmpty())
        return;
    const QByteArray bytes = m_partial;
    m_frames.append({m_partialMs, bytes});
    m_partial.clear();
    onFrame(bytes);
    emit frameReceived(bytes);
}

void PtyDevice::unplug()
{
    if (m_master < 0)
        return;
    readMaster();   // take what the program wrote before the plug came out
    finishFrame();
    closePair();
    emit unplugged();
}

bool PtyDevice::replug()
{
    if (m_master >= 0)
        return true;
    return openPair();
}

QList<PtyDevice::Chunk> PtyDevice::chunks() const
{
    return m_chunks;
}

QByteArray PtyDevice::received() const
{
    QByteArray all;
    for (const Chunk &c : m_chunks)
        all += c.bytes;
    return all;
}

QList<PtyDevice::Frame> PtyDevice::frames() const
{
    return m_frames;
}

QList<QByteArray> PtyDevice::frameBytes() const
{
    QList<QByteArray> list;
    for (const Frame &f : m_frames)
        list.append(f.bytes);
    return list;
}

void PtyDevice::setFrameGap(int ms)
{
    m_frameGap = ms;
}

int PtyDevice::frameGap() const
{
    return m_frameGap;
}

void PtyDevice::clear()
{
    m_frameTimer->stop();
    m_chunks.clear();
    m_frames.clear();
    m_partial.clear();
}

int PtyDevice::openCountInThisProcess(const QString &path)
{
    const QByteArray target = QFile::encodeName(
        path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("/dev/") + path);
    DIR *dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    const int ownFd = ::dirfd(dir);
    int count = 0;
    while (const dirent *e = ::readdir(dir)) {
        char *end = nullptr;
        const long fd = std::strtol(e->d_name, &end, 10);
        if (end == e->d_name || *end != '\0' || fd == ownFd || keptSlaveFds().contains(int(fd)))
            continue;
        const QByteArray fdPath = QByteArray("/proc/self/fd/") + e->d_name;
        char buf[512];
        const ssize_t n = ::readlink(fdPath.constData(), buf, sizeof buf - 1);
        if (n < 0)
            continue; // closed while the list was read
        // Once the device is unplugged its slave node is gone, and the
        // program's fd reads as "/dev/pts/N (deleted)".
        const QByteArray link(buf, int(n));
        if (link == target || link == target + " (deleted)")
            ++count;
    }
    ::closedir(dir);
    return count;
}

void PtyDevice::onFrame(const QByteArray &)
{
}
