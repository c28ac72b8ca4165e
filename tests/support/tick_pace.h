#pragma once

// Events of a sequence on a 1000 ms timer, ms[i] after its start, against
// their ticks: none before 950 ms a tick (a coarse timer fires up to 5 % early,
// and a late tick does not delay the next), and at least one within half a
// tick of its own, since load delays some events while a lost tick or a slower
// timer delays all. Empty when in pace, else what was off.

#include <QString>

inline QString offPace(const QList<qint64> &ms, const QList<int> &ticks)
{
    qint64 closest = 1000;
    for (int i = 0; i < ms.size() && i < ticks.size(); ++i) {
        if (ms[i] < ticks[i] * 950)
            return QStringLiteral("event %1 at %2 ms, before tick %3").arg(i).arg(ms[i]).arg(ticks[i]);
        closest = qMin(closest, ms[i] - ticks[i] * 1000);
    }
    return closest > 500 ? QStringLiteral("no event within 500 ms of its tick") : QString();
}
