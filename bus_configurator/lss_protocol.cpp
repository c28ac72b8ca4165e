#include "lss_protocol.h"

#include "dcon_protocol.h"
#include "window_text.h"

namespace lss {
namespace {

constexpr int kRequestBytes = 8;

using window_text::tr;

bool isInquiry(Command command)
{
    return command >= InquireVendor && command <= InquireNodeId;
}

// An identity answer holds its value in bytes 1 to 4, least significant first.
int minimumLength(Command command)
{
    return isInquiry(command) && command != InquireNodeId ? 5 : 2;
}

quint32 value(Command command, const QByteArray &answer)
{
    if (command == InquireNodeId)
        return quint8(answer.at(1));
    quint32 v = 0;
    for (int i = 4; i >= 1; --i)
        v = (v << 8) | quint8(answer.at(i));
    return v;
}

QString meaning(Command command, const Verdict &verdict)
{
    if (verdict.code == 0xFF)
        return verdict.vendorCode < 0 ? tr("ошибка производителя")
                                      : tr("ошибка производителя ") + QString::number(verdict.vendorCode);
    if (command == ConfigureNodeId && verdict.code == 1)
        return tr("ID вне диапазона");
    if (command == ConfigureBitTiming && verdict.code == 1)
        return tr("скорость не поддерживается");
    if (command == StoreConfiguration && verdict.code == 1)
        return tr("сохранение не поддерживается");
    if (command == StoreConfiguration && verdict.code == 2)
        return tr("ошибка доступа к памяти");
    return tr("неизвестный код");
}

} // namespace

const Command kReadOrder[5] = {InquireNodeId, InquireVendor, InquireProduct, InquireRevision, InquireSerial};

QByteArray request(Command command, quint8 argument, quint8 second)
{
    QByteArray data(kRequestBytes, '\0');
    data[0] = char(command);
    data[1] = char(argument);
    data[2] = char(second);
    return data;
}

int parseNodeId(const QString &text)
{
    const int id = dcon::parseNewAddress(text);
    return id >= 1 && id <= 127 ? id : -1;
}

QString frameText(quint32 id, const QByteArray &data)
{
    return QString::number(id, 16).toUpper() + QLatin1Char('#') + QString::fromLatin1(data.toHex().toUpper());
}

Verdict judge(Command command, const QList<QByteArray> &frames)
{
    QList<QByteArray> answers;
    for (const QByteArray &frame : frames)
        if (frame.size() >= minimumLength(command) && quint8(frame.at(0)) == command)
            answers << frame;
    Verdict verdict;
    if (answers.size() != 1) {
        verdict.kind = answers.isEmpty() ? Verdict::Silent : Verdict::Several;
        return verdict;
    }
    const QByteArray &answer = answers.first();
    if (isInquiry(command)) {
        verdict.kind = Verdict::Done;
        verdict.value = value(command, answer);
        return verdict;
    }
    verdict.code = quint8(answer.at(1));
    verdict.kind = verdict.code == 0 ? Verdict::Done : Verdict::Refused;
    if (verdict.code == 0xFF && answer.size() > 2)
        verdict.vendorCode = quint8(answer.at(2));
    return verdict;
}

QString requestName(Command command)
{
    switch (command) {
    case ConfigureNodeId:
        return tr("смена ID");
    case ConfigureBitTiming:
        return tr("смена скорости");
    case StoreConfiguration:
        return tr("сохранение параметров");
    case InquireNodeId:
        return tr("чтение ID");
    case InquireVendor:
        return tr("чтение кода производителя");
    case InquireProduct:
        return tr("чтение кода изделия");
    case InquireRevision:
        return tr("чтение версии");
    case InquireSerial:
        return tr("чтение серийного номера");
    case SwitchStateGlobal:
        break;
    }
    return {};
}

QString failureText(Command command, const Verdict &verdict)
{
    const QString name = requestName(command);
    switch (verdict.kind) {
    case Verdict::Silent:
        return tr("Модуль не ответил на запрос: ") + name;
    case Verdict::Several:
        return tr("Ответили несколько модулей на запрос: ") + name + tr(". Оставьте на шине один модуль.");
    case Verdict::Refused:
        return tr("Модуль отклонил запрос: ") + name + tr(", код ") + QString::number(verdict.code) + QStringLiteral(" (")
               + meaning(command, verdict) + QLatin1Char(')');
    case Verdict::Done:
        break;
    }
    return {};
}

} // namespace lss
