// A settings file of arbitrary contents taken the way the menu takes it:
// checked, read through QSettings, and put into the converter window's form.
// Whatever the check lets through must read as plain text: QSettings may
// decode no value of it as a serialized Qt type.

#include "fuzz_check.h"
#include "mainwindow.h"
#include "setting_module.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The window befriends this struct; here it reaches the load of the form.
struct GatewayWindowProbe
{
    static bool load(MainWindow &w, const QString &path) { return w.loadSettingsIntoForm(path, false); }
};

namespace {

QApplication *app = nullptr;
MainWindow *window = nullptr;
QTemporaryDir *dir = nullptr;
int serial = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The window's debug lines for every load would only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    app = new QApplication(*argc, *argv);
    window = new MainWindow;
    dir = new QTemporaryDir;
    std::atexit([] { delete dir; }); // the folder goes with the process
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A new name each time: QSettings keeps the files it parsed in a cache.
    const QString path = dir->filePath(QStringLiteral("f%1.TRset").arg(++serial));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    if (setting_module::isSafeToRead(path)) {
        {
            QSettings reference(path, QSettings::IniFormat);
            for (const QString &key : reference.allKeys()) {
                // (A key QSettings cannot look up, such as an empty one, gives no value.)
                const int type = reference.value(key).userType();
                FUZZ_CHECK(type == QMetaType::QString || type == QMetaType::QStringList
                           || type == QMetaType::UnknownType);
            }
        }
        // A file that passes the check loads into the form without a box.
        FUZZ_CHECK(GatewayWindowProbe::load(*window, path));
        // The window lets go of its settings object with deleteLater(); with
        // no event loop running here, that happens now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } else {
        setting_module module(nullptr);
        module.LoadNTSetting(path);
        FUZZ_CHECK(module.lastLoadFailed());
    }
    QFile::remove(path);
    return 0;
}
