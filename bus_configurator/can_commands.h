#pragma once

// The CAN side of the bus module: the socketcan interface can0, brought up and
// down with `ip`, and the CANopen layer setting service (LSS) requests that
// `cansend` puts on the bus, all run through `sudo`. Every command is a
// program with an argument list; no shell is involved.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QCanBusDevice;

namespace can_link {

// The program every CAN command line starts with.
QString sudoProgram();

// sudo's arguments for "ip link set can0 up type can bitrate 125000" and
// "ip link set can0 down".
QStringList upArguments();
QStringList downArguments();

// Where the kernel shows the state of can0; its "flags" file holds the
// interface flags as hex text ("0x1003"), IFF_UP among them.
constexpr char kCan0SysfsDir[] = "/sys/class/net/can0";

// Whether interface flags as the kernel prints them ("0x1003\n") have the
// up flag set; false for text that is not such a number.
bool flagsSayUp(const QByteArray &flagsText);
// Whether the interface whose sysfs folder this is is up; false when the
// folder or its flags file is missing or unreadable.
bool interfaceUp(const QString &sysfsDir);

// LSS master-to-slave requests (identifier 0x7E5, 8 data bytes), in the order
// the write sends them.
enum class LssStep {
    SwitchToConfiguration = 0, // switch state global, configuration state
    ConfigureNodeId = 1,       // node-ID from the ID field
    ConfigureBitTiming = 2,    // table selector 0, index from the speed list
    StoreConfiguration = 3,
};
constexpr int kLssSteps = 4;

// Bit-timing table index by the index of the CAN speed list ("10" ... "1000"
// kbit/s -> "08" ... "00", with "05" for 100 kbit/s); empty for any other index.
QByteArray bitTimingCode(int canSpeedIndex);

// The cansend frame "7E5#" + 16 hex digits of the step: the node-ID from the
// decimal ID text (as hex, upper case), the bit timing from the speed index.
// Empty for an ID that is not 1 to 127 or a speed index off the list: no
// such frame may go out.
QByteArray lssFrame(LssStep step, const QString &idText, int canSpeedIndex);
// sudo's arguments for the step: "cansend can0 <frame>".
QStringList lssArguments(LssStep step, const QString &idText, int canSpeedIndex);

// A command line as the user would type it, for messages.
QString commandLine(const QString &program, const QStringList &arguments);

// How long one command may take.
constexpr int kCommandTimeoutMs = 30000;

struct CommandResult {
    bool ok = false;        // started, finished in time, exit code 0
    QByteArray output;      // standard output
    QString error;          // why it failed: error output, or what went wrong
};

// Runs the program in the user's home directory and waits for it, at most
// timeoutMs; a command still running then is killed.
CommandResult runCommand(const QString &program, const QStringList &arguments,
                         int timeoutMs = kCommandTimeoutMs);

// Opens can0 (Qt's "socketcan" plugin) to hear the LSS answers: only frames
// with identifier 0x7E4 and no error frames come in, and the interface's bit
// rate is left as `ip link` set it (the plugin would otherwise set its own on
// connect). nullptr, with Qt's error text, when it cannot be created or
// connected. The caller owns the device.
QCanBusDevice *openCan0(QString *error);

// Where openCan0 gets its device from: nullptr is the socketcan plugin. The
// test suite puts a device of its own here.
using DeviceSource = QCanBusDevice *(*)(QString *error);
void setDeviceSource(DeviceSource source);

} // namespace can_link
