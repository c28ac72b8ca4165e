// The module's command set and the reply decoder: which word of a reply
// decides, which answer each command takes, and which list entry a report
// selects.

#include "rs485_protocol.h"

#include <QtTest>

using namespace rs485;
Q_DECLARE_METATYPE(rs485::ReplyKind)
Q_DECLARE_METATYPE(rs485::Answer)

class Rs485ProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void judge_data();
    void judge();
    void commands();
    void replyBytes();
};

void Rs485ProtocolTest::decode_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ReplyKind>("kind");
    QTest::addColumn<int>("index"); // entry the report selects, -1 none

    QTest::newRow("Ok") << "Ok\r\n" << ReplyKind::Confirmation << -1;
    QTest::newRow("Ok before parity") << "parity even Ok" << ReplyKind::Confirmation << -1;
    QTest::newRow("Ok before baudrate") << "baudrate:9600 Ok" << ReplyKind::Confirmation << -1;
    QTest::newRow("ok is not Ok") << "ok" << ReplyKind::Other << -1;
    QTest::newRow("baudrate before stop bits") << "baudrate 19200 stop bits 2" << ReplyKind::BaudRateReport << 5;
    QTest::newRow("stop bits before parity") << "stop bits 2, parity odd" << ReplyKind::StopBitsReport << 2;
    QTest::newRow("parity before ?") << "parity ?" << ReplyKind::ParityReport << -1;
    QTest::newRow("? before working") << "module is working?" << ReplyKind::Refusal << -1;
    QTest::newRow("refusal") << "?\r\n" << ReplyKind::Refusal << -1;
    QTest::newRow("working") << "module is working\r\n" << ReplyKind::WorkingMode << -1;
    QTest::newRow("help") << "Vesk-RS485-ST\r\n" << ReplyKind::Other << -1;
    QTest::newRow("empty") << "" << ReplyKind::Other << -1;
    QTest::newRow("Baudrate (case)") << "Baudrate 9600" << ReplyKind::Other << -1;

    const QStringList rates = speedItems();
    for (int i = 1; i < rates.size(); ++i)
        QTest::newRow(qPrintable("rate " + rates[i])) << "baudrate " + rates[i] + "\r\n" << ReplyKind::BaudRateReport << i;
    QTest::newRow("rate unknown") << "baudrate 1234" << ReplyKind::BaudRateReport << -1;
    QTest::newRow("rate none") << "baudrate" << ReplyKind::BaudRateReport << -1;
    QTest::newRow("rate: first in list order") << "baudrate 9600 (was 1200)" << ReplyKind::BaudRateReport << 1;

    QTest::newRow("stop 1") << "stop bits 1" << ReplyKind::StopBitsReport << 1;
    QTest::newRow("stop 2 without 1") << "stop bits 2" << ReplyKind::StopBitsReport << 2;
    QTest::newRow("stop 1 before 2") << "stop bits 2 (1)" << ReplyKind::StopBitsReport << 1;
    QTest::newRow("stop none") << "stop bits three" << ReplyKind::StopBitsReport << -1;

    QTest::newRow("parity none") << "parity none" << ReplyKind::ParityReport << 1;
    QTest::newRow("parity odd") << "parity odd" << ReplyKind::ParityReport << 2;
    QTest::newRow("parity even") << "parity even\r\n" << ReplyKind::ParityReport << 3;
    QTest::newRow("parity none before even") << "parity even/none" << ReplyKind::ParityReport << 1;
    QTest::newRow("parity cut") << "parity " << ReplyKind::ParityReport << -1;
    QTest::newRow("parity EVEN") << "parity EVEN" << ReplyKind::ParityReport << -1;
}

void Rs485ProtocolTest::decode()
{
    QFETCH(QString, reply);
    QFETCH(ReplyKind, kind);
    QFETCH(int, index);
    QCOMPARE(classify(reply), kind);
    switch (kind) {
    case ReplyKind::BaudRateReport: QCOMPARE(speedIndex(reply), index); break;
    case ReplyKind::StopBitsReport: QCOMPARE(stopBitsIndex(reply), index); break;
    case ReplyKind::ParityReport: QCOMPARE(parityIndex(reply), index); break;
    default: break;
    }
}

void Rs485ProtocolTest::judge_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Answer>("answer");

    const QByteArray bound(kMaxReplyBytes, 'z');
    const auto row = [](const char *name, const char *command, const QByteArray &reply, Answer answer) {
        QTest::newRow(name) << QString::fromLatin1(command) << reply << answer;
    };
    // "-h": any text, whatever words it holds; only the bound applies.
    row("-h help", "-h", "Vesk-RS485-ST help: -baudrate -stop bits -parity -st\r\n", Answer::Text);
    row("-h Ok", "-h", "xxOkxx", Answer::Text);
    row("-h line ends", "-h", "\r\n", Answer::Text);
    row("-h at the bound", "-h", bound, Answer::Text);
    row("-h past the bound", "-h", bound + 'z', Answer::Unexpected);
    // The read commands: their own report, by its first word.
    row("-baudrate report", "-baudrate", "baudrate 9600\r\n", Answer::BaudRate);
    row("-baudrate unknown rate", "-baudrate", "baudrate 1234", Answer::BaudRate);
    row("-baudrate Ok in noise", "-baudrate", "baudrate 9600 #Ok#", Answer::Unexpected);
    row("-baudrate ?", "-baudrate", "?\r\n", Answer::Unexpected);
    row("-baudrate other report", "-baudrate", "stop bits 1", Answer::Unexpected);
    row("-baudrate line ends", "-baudrate", "\r\n", Answer::Unexpected);
    row("-baudrate past the bound", "-baudrate", "baudrate 9600" + bound, Answer::Unexpected);
    row("-stop bits report", "-stop bits", "stop bits 2", Answer::StopBits);
    row("-stop bits baudrate", "-stop bits", "baudrate 9600 stop bits 1", Answer::Unexpected);
    row("-parity report", "-parity", "parity odd\r\n", Answer::Parity);
    row("-parity cut at NUL", "-parity", QByteArray("parity\0Ok", 9), Answer::Parity);
    row("-parity working", "-parity", "module is working", Answer::Unexpected);
    // The write commands: "Ok" or "?".
    row("write Ok", "-baudrate:9600", "Ok\r\n", Answer::Taken);
    row("write Ok echoing", "-stop bits:2", "stop bits:2 Ok", Answer::Taken);
    row("write ?", "-baudrate:9600", "?\r\n", Answer::Refused);
    row("write report", "-baudrate:9600", "baudrate 9600", Answer::Unexpected);
    row("write garbage", "-parity:odd", "#$%", Answer::Unexpected);
    row("write half an Ok", "-stop bits:1", "O", Answer::Unexpected);
    row("write nothing but NUL", "-stop bits:1", QByteArray("\0Ok", 3), Answer::Unexpected);
    row("write Ok past the bound", "-stop bits:1", "Ok" + bound, Answer::Unexpected);
    // "-st": the module's word that it works.
    row("-st working", "-st", "module is working\r\n", Answer::Working);
    row("-st Ok", "-st", "Ok", Answer::Unexpected);
    row("-st ?", "-st", "?", Answer::Unexpected);
    row("no command", "", "Ok", Answer::Unexpected);
}

void Rs485ProtocolTest::judge()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, reply);
    QFETCH(Answer, answer);
    QCOMPARE(rs485::judge(command, reply), answer);
}

void Rs485ProtocolTest::commands()
{
    QCOMPARE(speedItems(), (QStringList{"", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
                                        "128000", "256000"}));
    QCOMPARE(stopBitsItems(), (QStringList{"", "1", "2"}));
    QCOMPARE(parityItems(), (QStringList{"", "none", "odd", "even"}));

    const QStringList reads{"-h", "-baudrate", "-stop bits", "-parity", ""};
    for (int step = 0; step < reads.size(); ++step)
        QCOMPARE(readCommand(step), reads[step]);
    QCOMPARE(readCommand(-1), QString());

    QCOMPARE(writeCommand(0, "115200"), QStringLiteral("-baudrate:115200"));
    QCOMPARE(writeCommand(1, "2"), QStringLiteral("-stop bits:2"));
    QCOMPARE(writeCommand(2, "even"), QStringLiteral("-parity:even"));
    QCOMPARE(writeCommand(2, ""), QStringLiteral("-parity:"));
    QCOMPARE(writeCommand(3, "ignored"), QStringLiteral("-st"));
    QCOMPARE(writeCommand(4, "x"), QString());
    QCOMPARE(commandBytes(writeCommand(1, "1")), QByteArray("-stop bits:1"));

    // A confirmation or refusal concerns the list of the command last sent;
    // the step counter has already moved past it.
    QCOMPARE(settingOfWriteStep(0), Setting::None);
    QCOMPARE(settingOfWriteStep(1), Setting::Speed);
    QCOMPARE(settingOfWriteStep(2), Setting::StopBits);
    QCOMPARE(settingOfWriteStep(3), Setting::Parity);
    QCOMPARE(settingOfWriteStep(4), Setting::None); // after "-st"
    QCOMPARE(settingOfWriteStep(-1), Setting::None);

    // The list a command reads or writes.
    QCOMPARE(settingOfCommand("-baudrate"), Setting::Speed);
    QCOMPARE(settingOfCommand("-baudrate:"), Setting::Speed);
    QCOMPARE(settingOfCommand("-stop bits:2"), Setting::StopBits);
    QCOMPARE(settingOfCommand("-parity"), Setting::Parity);
    for (const char *none : {"-h", "-st", "", "-parity2"})
        QCOMPARE(settingOfCommand(none), Setting::None);
}

void Rs485ProtocolTest::replyBytes()
{
    // A reply's text, as the window takes it from the serial link.
    using serial_link::textUpToNul;
    QCOMPARE(textUpToNul(QByteArray("parity odd\0junk", 15)), QStringLiteral("parity odd"));
    QCOMPARE(textUpToNul(QByteArray("\0Ok", 3)), QString());
    QCOMPARE(textUpToNul(QByteArray()), QString());
    QCOMPARE(textUpToNul("stop bits 1\r\n"), QStringLiteral("stop bits 1\r\n")); // line ends kept
    QCOMPARE(textUpToNul("\xd0\x9e\xd0\xba"), QStringLiteral("Ок"));

    // A flood stops growing the reply one byte past the bound.
    using Status = serial_link::ReplyBuffer::Status;
    serial_link::ReplyBuffer reply;
    QCOMPARE(reply.add(QByteArray(kMaxReplyBytes - 1, 'x')), Status::Waiting);
    QCOMPARE(reply.add("y"), Status::Waiting);
    QCOMPARE(reply.bytes().size(), kMaxReplyBytes);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(reply.add(QByteArray(1 << 18, 'z')), Status::Overflow);
    QCOMPARE(reply.bytes().size(), kMaxReplyBytes + 1);
    QVERIFY(reply.bytes().endsWith("yz"));

    // What the box shows of a reply: no line ends, 64 characters at most.
    QCOMPARE(replyExcerpt("Ok\r\n"), QStringLiteral("Ok"));
    QCOMPARE(replyExcerpt("\r\na\rb\n"), QStringLiteral("ab"));
    QCOMPARE(replyExcerpt(QString(70, 'q') + "\r\n"), QString(64, 'q'));
    QCOMPARE(replyExcerpt("\r" + QString(64, 'q')), QString(64, 'q'));
    const QString clef = QString::fromUtf8("\xf0\x9d\x84\x9e"); // two UTF-16 units
    QCOMPARE(replyExcerpt(QString(63, 'q') + clef), QString(63, 'q'));
}

QTEST_APPLESS_MAIN(Rs485ProtocolTest)
#include "test_rs485_protocol.moc"
