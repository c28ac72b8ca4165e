// The three sequences and the reply judge step by step, without timers: each
// row a step (or a reply) and what the window is told to do, written out whole.

#include "bus_sequences.h"
#include "lss_protocol.h"

#include <QtTest>

using namespace bus_sequences;

namespace {

QString fieldNames(Fields fields)
{
    const char *const names[] = {"ID", "LINK", "SPEED", "PROTO"}; // IdField, LinkField, ... bit by bit
    QStringList set;
    for (int bit = 0; bit < 4; ++bit)
        if (fields & (1u << bit))
            set << names[bit];
    return set.join(',');
}

QString sequenceName(Sequence s)
{
    return QStringList{"None", "Scan", "Write", "Lss", "CanRead"}.at(int(s));
}

// An action as one line; "\r" shown as \r.
QString describe(const Action &a)
{
    QStringList parts;
    const auto add = [&parts](bool on, const QString &part) {
        if (on)
            parts << part;
    };
    add(a.openCan, "open can0");
    add(!a.send.isEmpty(), "send " + QString::fromLatin1(a.send));
    add(!a.log.isEmpty(), "log " + a.log);
    add(!a.run.isEmpty(), "run " + a.run.join(' '));
    add(!a.canSend.isEmpty(), "can " + lss::frameText(lss::kRequestId, a.canSend));
    add(!a.id.isEmpty(), "id " + a.id);
    add(a.speedIndex >= 0, "speed " + QString::number(a.speedIndex));
    add(a.protocolIndex >= 0, "protocol " + QString::number(a.protocolIndex));
    add(a.takeCodes, "codes " + a.typeCode + "/" + a.formatCode);
    add(a.mark, "mark " + fieldNames(a.mark));
    add(a.clear, "clear " + fieldNames(a.clear));
    static const char *const kinds[] = {"", "critical", "warning", "information"};
    add(a.box.kind != Message::None, QString("box ") + kinds[a.box.kind] + (a.box.plain ? " plain " : " ")
                                         + a.box.title + "/" + a.box.text);
    add(a.stop != Sequence::None, "stop " + sequenceName(a.stop) + (a.when == Stop::Now ? " now" : " after box"));
    add(a.forgetReply, "forget reply");
    add(a.start != Sequence::None, "start " + sequenceName(a.start) + " " + QString::number(a.startMs));
    return parts.join(" | ").replace('\r', "\\r");
}

const QString kNoModule = "box critical Ошибка/нет соединения с модулем";

// Answers to one request, frames as hex separated by blanks.
QList<QByteArray> frames(const QString &hex)
{
    QList<QByteArray> list = hex.toLatin1().split(' ');
    std::transform(list.begin(), list.end(), list.begin(), QByteArray::fromHex);
    return list;
}

} // namespace

class TestBusSteps : public QObject
{
    Q_OBJECT

private slots:
    // The read: "$002", the check that the module answered, "~00P", the end.
    void scanSteps_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("replied");
        QTest::addColumn<QString>("action");
        QTest::newRow("port closed") << 0 << false << false << "log error connecting | stop Scan now";
        QTest::newRow("0") << 0 << true << false << "send $002\\r | log Команда чтения: $002\\r";
        QTest::newRow("1, answered") << 1 << true << true << "";
        QTest::newRow("1, silent") << 1 << true << false << kNoModule + " | stop Scan after box";
        QTest::newRow("2") << 2 << true << true << "send ~00P\\r | log Команда скорости: ~00P\\r";
        QTest::newRow("3, marks of the read go")
            << 3 << true << true << "clear ID,LINK,SPEED,PROTO | stop Scan now | forget reply";
        QTest::newRow("4, nothing") << 4 << true << true << "";
    }
    void scanSteps()
    {
        QFETCH(int, step);
        QFETCH(bool, open);
        QFETCH(bool, replied);
        QTEST(describe(scanTick(step, {open, replied, "00"})), "action");
    }

    // The write: "%00NNTTCCFF", the check, "~00Pn", the closing box.
    void writeSteps_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("replied");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QByteArray>("typeAndFormat");
        QTest::addColumn<QString>("action");
        QTest::newRow("port closed") << 0 << false << true << "10" << 3 << 0 << QByteArray("40/00")
                                     << "log error connecting | stop Write now";
        QTest::newRow("0, ID 10, 9600, type and format read")
            << 0 << true << false << "10" << 3 << 0 << QByteArray("40/00")
            << "send %000A400600\\r | log запись ID/Speed: %000A400600\\r";
        QTest::newRow("0, ID 0, 115200, nothing read before")
            << 0 << true << false << "0" << 7 << 1 << QByteArray("/") << "send %00000A\\r | log запись ID/Speed: %00000A\\r";
        QTest::newRow("0, ID changed to -1 after the press")
            << 0 << true << false << "-1" << 3 << 0 << QByteArray("40/00")
            << "box critical plain Ошибка/Адрес «-1» не записан: новый адрес модуля должен быть десятичным числом "
               "от 0 до 255. | stop Write now";
        QTest::newRow("1, answered") << 1 << true << true << "10" << 3 << 0 << QByteArray("/") << "";
        QTest::newRow("1, silent") << 1 << true << false << "10" << 3 << 0 << QByteArray("/")
                                   << kNoModule + " | stop Write now";
        QTest::newRow("2, Modbus") << 2 << true << true << "10" << 3 << 0 << QByteArray("/")
                                   << "send ~00P1\\r | log запись Protocol: ~00P1\\r | forget reply";
        QTest::newRow("2, DCON") << 2 << true << false << "0" << 7 << 1 << QByteArray("/")
                                 << "send ~00P0\\r | log запись Protocol: ~00P0\\r | forget reply";
        QTest::newRow("3, protocol unanswered") << 3 << true << false << "10" << 3 << 0 << QByteArray("/")
                                                << kNoModule + " | stop Write now";
        QTest::newRow("3, closing box") << 3 << true << true << "10" << 3 << 0 << QByteArray("/")
            << "clear ID,LINK,SPEED | box information Сообщение/<FONT COLOR='#001e80'>Команды записи параметров "
               "отправлены</FONT> | stop Write after box | forget reply";
        QTest::newRow("4, box open, nothing") << 4 << true << true << "10" << 3 << 0 << QByteArray("/") << "";
    }
    void writeSteps()
    {
        QFETCH(int, step);
        QFETCH(bool, open);
        QFETCH(bool, replied);
        QFETCH(QString, id);
        QFETCH(int, speed);
        QFETCH(int, protocol);
        QFETCH(QByteArray, typeAndFormat);
        const WriteForm form{id, speed, protocol, typeAndFormat.split('/')[0], typeAndFormat.split('/')[1]};
        QTEST(describe(writeTick(step, {open, replied, "00"}, form)), "action");
    }

    // The LSS write: switch state global, node-ID, bit timing (CiA 305 table
    // index), store, then the closing box; a command that fails ends it.
    void lssSteps_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("canSpeed");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("action");
        QTest::newRow("0") << 0 << "1" << 4 << false << "run cansend can0 7E5#0401000000000000";
        QTest::newRow("1, ID 127") << 1 << "127" << 8 << false << "run cansend can0 7E5#117F000000000000";
        QTest::newRow("1, ID changed to 128 after the press")
            << 1 << "128" << 4 << false << "box critical Ошибка/ID модуля CANopen: число от 1 до 127 | stop Lss now";
        QTest::newRow("2, 1000 kbit/s") << 2 << "127" << 8 << false << "run cansend can0 7E5#1300000000000000";
        QTest::newRow("2, 125 kbit/s") << 2 << "1" << 4 << false << "run cansend can0 7E5#1300040000000000";
        QTest::newRow("3") << 3 << "127" << 8 << false << "run cansend can0 7E5#1700000000000000";
        QTest::newRow("4, closing box") << 4 << "1" << 4 << false
            << "box information Сообщение/<FONT COLOR='#001e80'>Команды записи отправлены</FONT> | stop Lss after box";
        QTest::newRow("5, box open, nothing") << 5 << "1" << 4 << false << "";
        QTest::newRow("1, refused") << 1 << "1" << 4 << true
            << "box critical plain Ошибка/Команда не выполнена: sudo cansend can0 7E5#1101000000000000\n"
               "write: Network is down | stop Lss now";
    }
    void lssSteps()
    {
        QFETCH(int, step);
        QFETCH(QString, id);
        QFETCH(int, canSpeed);
        QFETCH(bool, fails);
        const LssAnswers confirmed{{}, frames("1100"), frames("1300"), frames("1700")};
        const Action a = lssTick(step, id, canSpeed, confirmed);
        QTEST(describe(fails ? lssFailed(a.run, "write: Network is down") : a), "action");
    }

    // A complete reply, by the sequence running and its counter.
    void replies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("scanStep"); // -1: the read is not running
        QTest::addColumn<int>("writeStep"); // -1: the write is not running
        QTest::addColumn<QString>("action");
        const QString emptyBox = "box critical нет соединения с модуля/Ошибка соединения | stop ";
        QTest::newRow("line ends only, read") << "" << 1 << -1 << emptyBox + "Scan after box";
        QTest::newRow("line ends only, write stopped first") << "" << -1 << 1 << emptyBox + "Write now";
        QTest::newRow("read 1: 01 40 06 00")
            << "!01400600" << 1 << -1 << "log !01400600 | id 1 | speed 3 | codes 40/00 | mark ID,SPEED";
        QTest::newRow("read 2: 1F, checksum ignored")
            << "!1F420A02C7" << 2 << -1 << "log !1F420A02C7 | id 31 | speed 7 | codes 42/02 | mark ID,SPEED";
        QTest::newRow("read 1: baud code 0B") << "!01400B00" << 1 << -1 << "log !01400B00 | id 1 | codes 40/00 | mark ID";
        QTest::newRow("read 1: noise")
            << "!-F400600" << 1 << -1 << "log !-F400600 | box critical Ошибка/Неверный ответ модуля | stop Scan now";
        QTest::newRow("read 1: cut at a NUL")
            << "!01" << 1 << -1 << "log !01 | box critical Ошибка/Неверный ответ модуля | stop Scan now";
        QTest::newRow("read 3: DCON") << "!000" << 3 << -1 << "log !000 | protocol 1 | mark PROTO";
        QTest::newRow("read 3: Modbus") << "!001" << 3 << -1 << "log !001 | protocol 0 | mark PROTO";
        QTest::newRow("read 3: P echoed") << "!00P" << 3 << -1 << "log !00P";
        QTest::newRow("read 3: refusal")
            << "?001" << 3 << -1 << "log ?001 | box critical Ошибка/Неверный ответ модуля | stop Scan now";
        QTest::newRow("read 3: noise") << "zz01" << 3 << -1 << "log zz01 | box critical Ошибка/Неверный ответ модуля | stop Scan now";
        QTest::newRow("read 0: logged only") << "!01400600" << 0 << -1 << "log !01400600";
        QTest::newRow("write 1: confirmed") << "!0A" << -1 << 1 << "log !0A | mark ID,SPEED";
        QTest::newRow("write 3: confirmed") << "!00" << -1 << 3 << "log !00 | mark ID,SPEED";
        QTest::newRow("write 4: confirmed, box open") << "!00" << -1 << 4 << "log !00 | mark LINK";
        for (int step : {1, 3, 4})
            QTest::addRow("write %d: refused", step)
                << "?00" << -1 << step << "log ?00 | box warning Ошибка/Ошибка записи | stop Write now";
        QTest::newRow("nothing running") << "?00" << -1 << -1 << "log ?00";
    }
    void replies()
    {
        QFETCH(QString, reply);
        QFETCH(int, scanStep);
        QFETCH(int, writeStep);
        QTEST(describe(judgeReply(reply, {scanStep >= 0, qMax(scanStep, 0), writeStep >= 0, qMax(writeStep, 0)})),
              "action");
    }

    // The answers to each LSS request, judged at the next step: the write's
    // configure node-ID, bit timing and store, the read's five inquiries.
    void lssAnswers_data()
    {
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("answers"); // since the request judged at this step
        QTest::addColumn<QString>("action");
        const QString no = "box critical plain Ошибка/Модуль не ответил на запрос: ";
        const QString two = "box critical plain Ошибка/Ответили несколько модулей на запрос: ";
        const QString refused = "box critical plain Ошибка/Модуль отклонил запрос: ";
        const QString stopLss = " | stop Lss now", stopRead = " | stop CanRead now";
        QTest::newRow("ID taken") << false << 2 << "1100000000000000" << "run cansend can0 7E5#1300040000000000";
        QTest::newRow("ID: silent; late, foreign and cut frames") << false << 2 << "0401 1300 11" << no + "смена ID" + stopLss;
        QTest::newRow("ID: two modules") << false << 2 << "1100 1100"
                                         << two + "смена ID. Оставьте на шине один модуль." + stopLss;
        QTest::newRow("ID: 1") << false << 2 << "1101" << refused + "смена ID, код 1 (ID вне диапазона)" + stopLss;
        QTest::newRow("ID: 5") << false << 2 << "1105" << refused + "смена ID, код 5 (неизвестный код)" + stopLss;
        QTest::newRow("speed: 1") << false << 3 << "1301" << refused + "смена скорости, код 1 (скорость не поддерживается)" + stopLss;
        QTest::newRow("speed: FF 7") << false << 3 << "13FF07" << refused + "смена скорости, код 255 (ошибка производителя 7)" + stopLss;
        QTest::newRow("stored") << false << 4 << "1700"
            << "box information Сообщение/<FONT COLOR='#001e80'>Команды записи отправлены</FONT> | stop Lss after box";
        QTest::newRow("store: 1") << false << 4 << "1701" << refused + "сохранение параметров, код 1 (сохранение не поддерживается)" + stopLss;
        QTest::newRow("store: 2") << false << 4 << "1702" << refused + "сохранение параметров, код 2 (ошибка доступа к памяти)" + stopLss;
        QTest::newRow("maker: silent") << true << 2 << "" << no + "чтение кода производителя" + stopRead;
        QTest::newRow("revision: silent") << true << 4 << "5D78563412" << no + "чтение версии" + stopRead;
        QTest::newRow("serial: too short") << true << 5 << "5D785634" << no + "чтение серийного номера" + stopRead;
        QTest::newRow("all read, no ID") << true << 5 << "5EFF" << "box information plain Модуль CANopen/ID: не назначен\n"
            "Производитель: 0x000001A2\nИзделие: 0x00000C35\nВерсия: 0x00010002\nСерийный номер: 0x12345678" + stopRead;
    }
    void lssAnswers()
    {
        QFETCH(bool, read);
        QFETCH(int, step);
        QFETCH(QString, answers);
        if (!read) {
            const LssAnswers heard = LssAnswers{{}, {}, {}, {}}.mid(0, step - 1) << frames(answers);
            QTEST(describe(lssTick(step, "1", 4, heard)), "action");
            return;
        }
        // A module that answers everything, but for the request judged now
        // (node-ID answers stand for the node-ID's, at the end too).
        LssAnswers heard{{}, frames("5E05"), frames("5AA2010000"), frames("5B350C0000"), frames("5C02000100"),
                         frames("5D78563412")};
        heard[answers.startsWith("5E") ? 1 : qMax(step, 1)] = frames(answers);
        QTEST(describe(canReadTick(step, heard)), "action");
    }

    // The buttons: which sequence starts, at the interval given.
    void presses_data()
    {
        QTest::addColumn<bool>("write"); // "Запиcать параметры", or else "Сканировать"
        QTest::addColumn<int>("linkMode");
        QTest::addColumn<bool>("scanRunning");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<QString>("action");
        QTest::newRow("scan, DCON") << false << 0 << false << "" << 1000 << "start Scan 1000";
        QTest::newRow("scan, DCON, faster tick") << false << 0 << false << "" << 250 << "start Scan 250";
        QTest::newRow("scan running: not restarted") << false << 0 << true << "" << 1000 << "";
        QTest::newRow("scan, CANOpen") << false << 1 << false << "" << 1000 << "";
        QTest::newRow("write, DCON") << true << 0 << false << "10" << 1000 << "start Write 1000";
        QTest::newRow("write, DCON, 256") << true << 0 << false << "256" << 1000
            << "box critical plain Ошибка/Адрес «256» не записан: новый адрес модуля должен быть десятичным числом "
               "от 0 до 255.";
        QTest::newRow("write, DCON, long text cut") << true << 0 << false << QString(40, '9') << 1000
            << "box critical plain Ошибка/Адрес «" + QString(32, '9') + "…» не записан: новый адрес модуля "
               "должен быть десятичным числом от 0 до 255.";
        QTest::newRow("write, CANOpen") << true << 1 << false << " 127 " << 1000 << "open can0 | start Lss 1000";
        for (const char *id : {"0", "128", "300", "+5", ""})
            QTest::addRow("write, CANOpen, ID '%s'", id) << true << 1 << false << id << 1000
                                                      << "box critical Ошибка/ID модуля CANopen: число от 1 до 127";
        QTest::newRow("write, no link") << true << -1 << false << "10" << 1000 << "";
    }
    void presses()
    {
        QFETCH(bool, write);
        QFETCH(int, linkMode);
        QFETCH(bool, scanRunning);
        QFETCH(QString, id);
        QFETCH(int, tickMs);
        QTEST(describe(write ? writePress(linkMode, id, tickMs, false) : scanPress(linkMode, scanRunning, tickMs)), "action");
    }
};

QTEST_GUILESS_MAIN(TestBusSteps)
#include "test_bus_steps.moc"
