// Runs a fuzz target once on every file of the folders (or files) given on
// the command line, without libFuzzer: the corpus as a regression test.
// Folders are read through QDir, which also lists them right for a 32-bit
// program on a 64-bit file system (under qemu-arm).

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Targets that need a set-up (an application object, a folder) define this.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

bool runFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(arg);
        if (!info.exists()) {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 1;
        }
        QStringList paths;
        if (info.isDir()) {
            const QDir dir(arg);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                paths << dir.filePath(name);
        } else {
            paths << arg;
        }
        for (const QString &path : paths) {
            ++inputs;
            if (!runFile(path))
                ++failures;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    // An empty corpus means the seeds went missing: that is a failure too.
    return (failures == 0 && inputs > 0) ? 0 : 1;
}
