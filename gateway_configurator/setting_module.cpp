#include "setting_module.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QVariant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A real settings file is a few hundred bytes.
constexpr qint64 kMaxFileSize = 64 * 1024;

// The value parts ("key=value") of an INI text, split into logical lines the
// way QSettings splits them: a line goes on across a line break inside quotes
// or after a backslash, an unquoted ';' starts a comment, and the first
// unquoted '=' separates key and value. Returns [start, end) byte ranges.
QVector<QPair<int, int>> iniValueRanges(const QByteArray &data)
{
    QVector<QPair<int, int>> ranges;
    const int size = data.size();
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
    int pos = 0;
    while (pos < size) {
        int lineStart = pos;
        while (lineStart < size && isSpace(data.at(lineStart)))
            ++lineStart;
        int equals = -1;
        bool inQuotes = false;
        int i = lineStart;
        while (i < size) {
            const char ch = data.at(i++);
            if (ch == '=') {
                if (!inQuotes && equals < 0)
                    equals = i - 1;
            } else if (ch == '\n' || ch == '\r') {
                if (i == lineStart + 1) {
                    ++lineStart;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            } else if (ch == '\\') {
                if (i < size) {
                    const char next = data.at(i++);
                    if (i < size) {
                        const char after = data.at(i);
                        if ((next == '\n' && after == '\r') || (next == '\r' && after == '\n'))
                            ++i;
                    }
                }
            } else if (ch == '"') {
                inQuotes = !inQuotes;
            } else if (ch == ';') {
                if (i == lineStart + 1) {
                    while (i < size && data.at(i) != '\n' && data.at(i) != '\r')
                        ++i;
                    while (i < size && isSpace(data.at(i)))
                        ++i;
                    lineStart = i;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            }
        }
        if (equals >= 0)
            ranges.append({equals + 1, i});
        pos = qMax(i, lineStart + 1);
    }
    return ranges;
}

// The elements of one value as QSettings unescapes them: quotes removed,
// backslash escapes (named, hex, octal) decoded, a list split at unquoted
// commas, blanks skipped at the start of an element and after a closing quote.
QStringList iniValueElements(const QByteArray &data, int from, int to)
{
    static const char named[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                    {'v', '\v'}, {'"', '"'},   {'?', '?'},   {'\'', '\''}, {'\\', '\\'}};
    QStringList elements;
    QString current;
    bool inQuotes = false;
    bool skipBlanks = true;
    int i = from;
    auto hexDigit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    while (i < to) {
        const char ch = data.at(i);
        if (skipBlanks && (ch == ' ' || ch == '\t')) {
            ++i;
            continue;
        }
        skipBlanks = false;
        if (ch == '\\') {
            if (++i >= to)
                break;
            const char esc = data.at(i++);
            bool done = false;
            for (const auto &n : named) {
                if (esc == n[0]) {
                    current += QLatin1Char(n[1]);
                    done = true;
                    break;
                }
            }
            if (done)
                continue;
            // The code of a numeric escape is cut to 16 bits, as QChar takes it.
            if (esc == 'x' && i < to && hexDigit(data.at(i)) >= 0) {
                uint code = 0;
                while (i < to && hexDigit(data.at(i)) >= 0)
                    code = ((code << 4) + uint(hexDigit(data.at(i++)))) & 0xFFFFu;
                current += QChar(ushort(code));
            } else if (esc >= '0' && esc <= '7') {
                uint code = uint(esc - '0');
                while (i < to && data.at(i) >= '0' && data.at(i) <= '7')
                    code = ((code << 3) + uint(data.at(i++) - '0')) & 0xFFFFu;
                current += QChar(ushort(code));
            } else if (esc == '\n' || esc == '\r') {
                if (i < to && (data.at(i) == '\n' || data.at(i) == '\r') && data.at(i) != esc)
                    ++i;
            }
            // Any other escaped character is dropped.
        } else if (ch == '"') {
            ++i;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks = true;
        } else if (ch == ',' && !inQuotes) {
            elements.append(current);
            current.clear();
            ++i;
            skipBlanks = true;
        } else {
            current += QLatin1Char(ch);
            ++i;
        }
    }
    elements.append(current);
    return elements;
}

// Whether QSettings would take this value for a serialized one rather than
// plain text: an element with a leading '@' that is not the escaped "@@".
// "@String(...)" standing alone is plain text too: QSettings writes a text
// that holds a NUL character that way and reads it back as the text between
// the parentheses. Inside a list it turns the whole list into a list of
// variants, which no saved file holds.
bool looksSerialized(const QStringList &elements)
{
    if (elements.size() == 1 && elements.first().startsWith(QLatin1String("@String("))
        && elements.first().endsWith(QLatin1Char(')')))
        return false;
    for (const QString &element : elements) {
        if (element.startsWith(QLatin1Char('@')) && !element.startsWith(QLatin1String("@@")))
            return true;
    }
    return false;
}

} // namespace

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

bool setting_module::lastLoadFailed() const
{
    return loadFailed;
}

bool setting_module::isSafeToRead(const QString &path)
{
    // stat() first: a FIFO or a device is refused without being opened.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return false;

    // Non-blocking, and checked again on the descriptor, in case the name
    // was pointed at something else in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QByteArray data;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileSize;
    if (ok) {
        data.resize(int(kMaxFileSize) + 1);
        int got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            got += int(n);
        }
        data.truncate(got);
        ok = ok && got <= kMaxFileSize;
    }
    ::close(fd);
    if (!ok)
        return false;

    for (const auto &range : iniValueRanges(data)) {
        if (looksSerialized(iniValueElements(data, range.first, range.second)))
            return false;
    }
    return true;
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

// Every field is overwritten: a missing key, a refused file and a cancelled
// dialog all give the empty set (texts empty, list indices 0). A file is
// checked before QSettings sees it (isSafeToRead).
void setting_module::LoadNTSetting(QString FileName)
{
    loadFailed = !FileName.isEmpty() && !isSafeToRead(FileName);
    openSettings(loadFailed ? QString() : FileName);
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
//
// QSettings reads a file before it writes it (the keys of the file that are
// not ours are kept), so a file already there must pass the same check as
// a load; one that does not is left alone and the save fails.
void setting_module::SaveNTSetting(QString FileName)
{
    saveFailed = false;
    if (!FileName.isEmpty() && QFileInfo(FileName).exists() && !isSafeToRead(FileName)) {
        openSettings(QString());
        saveFailed = true;
        return;
    }
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
