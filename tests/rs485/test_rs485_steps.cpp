// The configurator's sequences step by step, without timers or widgets: the
// read and write ticks, what each reply and a time-out do, and the search
// tick. The pauses come from the pacing given, never from the steps.

#include "rs485_steps.h"

#include <QtTest>

using namespace rs485;
Q_DECLARE_METATYPE(rs485::Lamp)

namespace {

// Pauses unlike the module's own, so that a row shows where each comes from.
Pacing oddPacing()
{
    Pacing p;
    p.afterTextMs = 301;
    p.afterReportMs = 503;
    p.afterTakenMs = 1511;
    p.foundReadMs = 2999;
    return p;
}

QString describe(const TickStep &s)
{
    const char *const lists[] = {"", " red Speed", " red StopBits", " red Parity"};
    return s.finished ? QStringLiteral("done, next %1").arg(s.next)
                      : QStringLiteral("send \"%1\"%2, next %3").arg(s.command, lists[int(s.markRed)]).arg(s.next);
}

// One line for all a reply step says, e.g. "Speed green 8, read 503".
QString describe(const ReplyStep &s)
{
    const char *const lists[] = {"", "Speed", "StopBits", "Parity"};
    const char *const looks[] = {"as is", "green", "red"};
    const char *const boxes[] = {"", "no reply", "working", "unexpected"};
    QStringList out;
    if (s.showError)
        out << "error";
    if (s.stopSequences)
        out << "stop";
    if (s.stopReplyTimeout)
        out << "stop time-out";
    if (s.list != Setting::None)
        out << QStringLiteral("%1 %2").arg(lists[int(s.list)], looks[int(s.look)])
                   + (s.index >= 0 ? QStringLiteral(" %1").arg(s.index) : QString());
    if (s.enableButtons)
        out << "buttons";
    if (s.restart != Timer::None)
        out << QStringLiteral("%1 %2").arg(s.restart == Timer::Read ? "read" : "write").arg(s.intervalMs);
    if (s.closeLink)
        out << "close";
    if (s.box != Box::None)
        out << QStringLiteral("box %1").arg(boxes[int(s.box)]) + (s.excerpt.isEmpty() ? QString() : ": " + s.excerpt);
    return out.join(", ");
}

} // namespace

class Rs485StepsTest : public QObject
{
    Q_OBJECT

private slots:
    void readTick_data();
    void readTick();
    void writeTick_data();
    void writeTick();
    void afterReply_data();
    void afterReply();
    void afterTimeOut();
    void searchTick_data();
    void searchTick();
};

void Rs485StepsTest::readTick_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("does");
    QTest::newRow("0") << 0 << "send \"-h\", next 1";
    QTest::newRow("1") << 1 << "send \"-baudrate\", next 2";
    QTest::newRow("2") << 2 << "send \"-stop bits\", next 3";
    QTest::newRow("3") << 3 << "send \"-parity\", next 4";
    QTest::newRow("4 finished") << 4 << "done, next 4";
    QTest::newRow("9 finished") << 9 << "done, next 9";
}

void Rs485StepsTest::readTick()
{
    QFETCH(int, step);
    QFETCH(QString, does);
    QCOMPARE(describe(rs485::readTick(step)), does);
}

void Rs485StepsTest::writeTick_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("form"); // speed, stop bits, parity
    QTest::addColumn<QString>("does");
    const QStringList form{"9600", "1", "none"};
    QTest::newRow("0") << 0 << form << "send \"-baudrate:9600\" red Speed, next 1";
    QTest::newRow("1") << 1 << form << "send \"-stop bits:1\" red StopBits, next 2";
    QTest::newRow("2") << 2 << form << "send \"-parity:none\" red Parity, next 3";
    QTest::newRow("3") << 3 << form << "send \"-st\", next 4";
    QTest::newRow("4 finished") << 4 << form << "done, next 4";
    QTest::newRow("empty speed") << 0 << QStringList{"", "2", "odd"} << "send \"-baudrate:\" red Speed, next 1";
    QTest::newRow("2 odd") << 2 << QStringList{"19200", "2", "odd"} << "send \"-parity:odd\" red Parity, next 3";
}

void Rs485StepsTest::writeTick()
{
    QFETCH(int, step);
    QFETCH(QStringList, form);
    QFETCH(QString, does);
    QCOMPARE(describe(rs485::writeTick(step, {form[0], form[1], form[2]})), does);
}

void Rs485StepsTest::afterReply_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("writeStep"); // as it stands once the command went out
    QTest::addColumn<QString>("does");
    const auto row = [](const char *name, const char *command, const QByteArray &reply, int writeStep,
                        const char *does) {
        QTest::newRow(name) << QString::fromLatin1(command) << reply << writeStep << QString::fromUtf8(does);
    };
    QByteArray flood(kMaxReplyBytes + 1, '~');
    flood.replace(kMaxReplyBytes / 2, 2, "Ok");

    // Reading: 300 ms after the answer to "-h", 500 ms after each report.
    row("-h", "-h", "Vesk-RS485-ST\r\n", 0, "read 301");
    row("115200", "-baudrate", "baudrate 115200\r\n", 0, "Speed green 8, read 503");
    row("unknown rate", "-baudrate", "baudrate 1234", 0, "Speed red, read 503");
    row("stop bits 2", "-stop bits", "stop bits 2\r\n", 0, "StopBits green 2, read 503");
    row("stop bits none", "-stop bits", "stop bits three", 0, "StopBits red, read 503");
    row("parity even", "-parity", "parity even\r\n", 0, "Parity green 3, buttons, read 503");
    row("parity unknown", "-parity", "parity ", 0, "Parity red, buttons, read 503");
    // Writing: each confirmation 1500 ms on, for the list of the command sent.
    row("speed taken", "-baudrate:9600", "Ok\r\n", 1, "Speed green, write 1511");
    row("stop bits taken", "-stop bits:1", "Ok\r\n", 2, "StopBits green, write 1511");
    row("parity taken", "-parity:odd", "Ok\r\n", 3, "Parity green, write 1511");
    row("Ok echoing parity", "-parity:odd", "parity odd Ok", 3, "Parity green, write 1511");
    row("empty speed refused", "-baudrate:", "?\r\n", 1, "Speed red 0");
    row("stop bits refused", "-stop bits:2", "?\r\n", 2, "StopBits red 0");
    row("working", "-st", "module is working\r\n", 4, "close, box working");
    // Anything else ends the sequences before its box.
    row("read noise holding Ok", "-baudrate", "baudrate 9600 #Ok#", 0,
        "stop, stop time-out, Speed red, box unexpected: baudrate 9600 #Ok#");
    row("write flood holding Ok", "-stop bits:1", flood, 2,
        "stop, stop time-out, StopBits red, box unexpected: " + QByteArray(64, '~'));
    row("-h flood", "-h", flood, 0, "stop, stop time-out, box unexpected: " + QByteArray(64, '~'));
    row("-st Ok", "-st", "Ok\r\n", 4, "stop, stop time-out, box unexpected: Ok");
    row("NUL hides Ok", "-stop bits:1", QByteArray("\0Ok", 3), 2, "stop, stop time-out, StopBits red, box unexpected");
}

void Rs485StepsTest::afterReply()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, reply);
    QFETCH(int, writeStep);
    QFETCH(QString, does);
    QCOMPARE(describe(rs485::afterReply(command, reply, writeStep, oddPacing())), does);
}

// Reported, and nothing restarted: the sequence rests until a reply comes.
void Rs485StepsTest::afterTimeOut()
{
    QCOMPARE(describe(rs485::afterTimeOut()), QStringLiteral("error, stop time-out, box no reply"));
}

void Rs485StepsTest::searchTick_data()
{
    QTest::addColumn<int>("ticks"); // counted before this tick
    QTest::addColumn<Lamp>("shown");
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QStringList>("current");
    QTest::addColumn<QString>("does");
    const QStringList none, a{"ttyUSB0"}, b{"ttyUSB1"}, ab{"ttyUSB0", "ttyUSB1"};
    QTest::newRow("blink to gray2") << 0 << Lamp::Gray << a << a << "1, Gray2";
    QTest::newRow("blink to gray") << 1 << Lamp::Gray2 << a << a << "2, Gray";
    QTest::newRow("tick 1200 goes on") << 1199 << Lamp::Gray << none << none << "1200, Gray2";
    QTest::newRow("tick 1201 gives up") << 1200 << Lamp::Gray2 << none << none << "1201, Red, give up";
    QTest::newRow("plugged in") << 5 << Lamp::Gray << none << a << "6, Gray2, ports, take ttyUSB0 read 2999";
    QTest::newRow("two at once") << 5 << Lamp::Gray << none << ab << "6, Gray2, ports, take ttyUSB0 ttyUSB1 read 2999";
    QTest::newRow("one of two new") << 5 << Lamp::Gray << b << ab << "6, Gray2, ports, take ttyUSB0 read 2999";
    QTest::newRow("one out, one in") << 5 << Lamp::Gray << a << b << "6, Gray2";
    QTest::newRow("pulled out") << 5 << Lamp::Gray << ab << a << "6, Gray2, ports";
    QTest::newRow("last tick finds") << 1200 << Lamp::Gray << none << a
                                     << "1201, Red, give up, ports, take ttyUSB0 read 2999";
}

void Rs485StepsTest::searchTick()
{
    QFETCH(int, ticks);
    QFETCH(Lamp, shown);
    QFETCH(QStringList, known);
    QFETCH(QStringList, current);
    QFETCH(QString, does);
    const char *const lamps[] = {"Gray", "Gray2", "Green", "Red"};
    const SearchStep step = rs485::searchTick(ticks, shown, known, current, oddPacing());
    QStringList out{QString::number(step.ticks), lamps[int(step.lamp)]};
    if (step.giveUp)
        out << "give up";
    if (step.portsChanged)
        out << "ports";
    if (!step.found.isEmpty())
        out << "take " + step.found.join(' ') + QStringLiteral(" read %1").arg(step.readDelayMs);
    QCOMPARE(out.join(", "), does);

    // The limit is the pacing's.
    Pacing shortSearch;
    shortSearch.findGiveUpTicks = ticks;
    QVERIFY(rs485::searchTick(ticks, shown, known, current, shortSearch).giveUp);
}

QTEST_APPLESS_MAIN(Rs485StepsTest)
#include "test_rs485_steps.moc"
