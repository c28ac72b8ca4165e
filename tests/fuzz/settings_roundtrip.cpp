// Save and load of a parameter set: whatever the form holds, a file saved
// from it passes the reader's check and gives back every value.

#include "fuzz_check.h"
#include "setting_module.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *dir = nullptr;
int serial = 0;

// Cuts the input into texts at NUL bytes; the last ones may be missing. In a
// text the byte 0xFE (never part of UTF-8) stands for a NUL character.
struct Texts
{
    QList<QByteArray> parts;
    QString text(int i) const
    {
        if (i >= parts.size())
            return QString();
        const QByteArray bytes = QByteArray(parts.at(i)).replace('\xfe', '\0');
        return QString::fromUtf8(bytes.constData(), bytes.size()); // the QByteArray overload stops at a NUL
    }
    int number(int i) const { return i < parts.size() ? parts.at(i).size() % 20 : 0; }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dir = new QTemporaryDir;
    std::atexit([] { delete dir; }); // the folder goes with the process
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Texts in;
    in.parts = QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\0');

    setting_module saved(nullptr);
    saved.modul_name = in.text(0);
    saved.ip_address = in.text(1);
    saved.mask = in.text(2);
    saved.gateway = in.text(3);
    saved.port_tcp = in.text(4);
    saved.speed_rs485 = in.number(5);
    saved.stop_bit = in.number(6);
    saved.parity = in.number(7);
    saved.mode_tcp = in.number(8);
    saved.timeout_response = in.text(9);
    saved.ip_server_tcp = in.text(10);
    saved.timeout_tcp = in.text(11);
    saved.rtu_virtual_id = in.text(12);
    saved.tcp_slave_id = in.text(13);

    // A new name each time: QSettings keeps the files it parsed in a cache.
    const QString path = dir->filePath(QStringLiteral("r%1.TRset").arg(++serial));
    saved.SaveNTSetting(path);
    FUZZ_CHECK(!saved.lastSaveFailed());
    delete saved.settings;
    saved.settings = nullptr;

    setting_module loaded(nullptr);
    loaded.LoadNTSetting(path);
    FUZZ_CHECK(!loaded.lastLoadFailed());
    FUZZ_CHECK(loaded.modul_name == saved.modul_name);
    FUZZ_CHECK(loaded.ip_address == saved.ip_address);
    FUZZ_CHECK(loaded.mask == saved.mask);
    FUZZ_CHECK(loaded.gateway == saved.gateway);
    FUZZ_CHECK(loaded.port_tcp == saved.port_tcp);
    FUZZ_CHECK(loaded.speed_rs485 == saved.speed_rs485);
    FUZZ_CHECK(loaded.stop_bit == saved.stop_bit);
    FUZZ_CHECK(loaded.parity == saved.parity);
    FUZZ_CHECK(loaded.mode_tcp == saved.mode_tcp);
    FUZZ_CHECK(loaded.timeout_response == saved.timeout_response);
    FUZZ_CHECK(loaded.ip_server_tcp == saved.ip_server_tcp);
    FUZZ_CHECK(loaded.timeout_tcp == saved.timeout_tcp);
    FUZZ_CHECK(loaded.rtu_virtual_id == saved.rtu_virtual_id);
    FUZZ_CHECK(loaded.tcp_slave_id == saved.tcp_slave_id);
    QFile::remove(path);
    return 0;
}
