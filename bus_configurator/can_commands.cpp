#include "can_commands.h"


#include "lss_protocol.h"

#include <QCanBus>
#include <QCanBusDevice>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QVariant>

namespace can_link {
namespace {

// CAN speed list index ("10", "20", "50", "100", "125", "250", "500", "800",
// "1000" kbit/s) -> index in the CiA bit-timing table.
const char *const kBitTimingCodes[] = {"08", "07", "06", "05", "04", "03", "02", "01", "00"};
constexpr int kBitTimingCount = int(sizeof kBitTimingCodes / sizeof kBitTimingCodes[0]);

// IFF_UP of <net/if.h>: the interface was set up.
constexpr uint kInterfaceUpFlag = 0x1;

// How long a killed command is given to go.
constexpr int kKillWaitMs = 1000;

DeviceSource deviceSource = nullptr;

} // namespace

QString sudoProgram()
{
    return QStringLiteral("sudo");
}

QStringList upArguments()
{
    return {"ip", "link", "set", "can0", "up", "type", "can", "bitrate", "125000"};
}

QStringList downArguments()
{
    return {"ip", "link", "set", "can0", "down"};
}

bool flagsSayUp(const QByteArray &flagsText)
{
    QByteArray hex = flagsText.trimmed();
    if (!hex.startsWith("0x"))
        return false;
    hex.remove(0, 2);
    bool ok = false;
    const uint flags = hex.toUInt(&ok, 16);
    return ok && !hex.isEmpty() && (flags & kInterfaceUpFlag);
}

bool interfaceUp(const QString &sysfsDir)
{
    QFile flags(QDir(sysfsDir).filePath(QStringLiteral("flags")));
    if (!flags.open(QIODevice::ReadOnly))
        return false;
    // The file is one short line; a bounded read keeps anything odd out.
    return flagsSayUp(flags.read(64));
}

QByteArray bitTimingCode(int canSpeedIndex)
{
    if (canSpeedIndex < 0 || canSpeedIndex >= kBitTimingCount)
        return {};
    return kBitTimingCodes[canSpeedIndex];
}

QByteArray lssFrame(LssStep step, const QString &idText, int canSpeedIndex)
{
    QByteArray data;
    switch (step) {
    case LssStep::SwitchToConfiguration:
        data = lss::request(lss::SwitchStateGlobal, 1);
        break;
    case LssStep::ConfigureNodeId: {
        const int id = lss::parseNodeId(idText);
        if (id < 0)
            return {};
        data = lss::request(lss::ConfigureNodeId, quint8(id));
        break;
    }
    case LssStep::ConfigureBitTiming: {
        const QByteArray code = bitTimingCode(canSpeedIndex);
        if (code.isEmpty())
            return {};
        data = lss::request(lss::ConfigureBitTiming, 0, quint8(code.toUInt(nullptr, 16)));
        break;
    }
    case LssStep::StoreConfiguration:
        data = lss::request(lss::StoreConfiguration);
        break;
    }
    return lss::frameText(lss::kRequestId, data).toLatin1();
}

QStringList lssArguments(LssStep step, const QString &idText, int canSpeedIndex)
{
    return {"cansend", "can0", QString::fromLatin1(lssFrame(step, idText, canSpeedIndex))};
}

QString commandLine(const QString &program, const QStringList &arguments)
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

CommandResult runCommand(const QString &program, const QStringList &arguments, int timeoutMs)
{
    CommandResult result;
    QProcess process;
    process.setWorkingDirectory(QDir::homePath());
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        result.error = process.errorString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        result.output = process.readAllStandardOutput();
        result.error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (!result.error.isEmpty())
            result.error += QLatin1Char('\n');
        result.error += QStringLiteral("нет завершения за %1 мс").arg(timeoutMs);
        if (process.processId() > 0)
            process.kill();
        process.waitForFinished(kKillWaitMs);
        return result;
    }
    result.output = process.readAllStandardOutput();
    result.error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit) {
        if (result.error.isEmpty())
            result.error = process.errorString();
        return result;
    }
    if (process.exitCode() != 0) {
        if (result.error.isEmpty())
            result.error = QStringLiteral("код завершения %1").arg(process.exitCode());
        return result;
    }
    result.ok = true;
    return result;
}

void setDeviceSource(DeviceSource source)
{
    deviceSource = source;
}

QCanBusDevice *openCan0(QString *error)
{
    QCanBusDevice *device = deviceSource
                                ? deviceSource(error)
                                : QCanBus::instance()->createDevice(QStringLiteral("socketcan"), QStringLiteral("can0"), error);
    if (!device)
        return nullptr;
    QCanBusDevice::Filter answers;
    answers.frameId = lss::kAnswerId;
    answers.frameIdMask = 0x7FF;
    answers.format = QCanBusDevice::Filter::MatchBaseFormat;
    answers.type = QCanBusFrame::DataFrame;
    device->setConfigurationParameter(QCanBusDevice::RawFilterKey,
                                      QVariant::fromValue(QList<QCanBusDevice::Filter>{answers}));
    device->setConfigurationParameter(QCanBusDevice::ErrorFilterKey,
                                      QVariant::fromValue(QCanBusFrame::FrameErrors()));
    device->setConfigurationParameter(QCanBusDevice::BitRateKey, QVariant());
    if (!device->connectDevice()) {
        *error = device->errorString();
        delete device;
        return nullptr;
    }
    return device;
}

} // namespace can_link
