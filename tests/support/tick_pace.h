#pragma once

// Whether the events of a sequence on a 1000 ms timer came at their ticks:
// event i, ms[i] after the start, at tick ticks[i]. A coarse timer fires up to
// 5 % early and a late tick does not delay the ticks after it, so no event
// comes before 950 ms a tick; a loaded machine delays some events, not all of
// them, so at least one comes within half a tick of its time, which a
// sequence that lost a tick (or runs a slower timer) never does. Empty when
// in pace, else what was off.

#include <QList>
#include <QString>

#include <climits>

inline QString offPace(const QList<qint64> &ms, const QList<int> &ticks)
{
    if (ms.size() != ticks.size())
        return QStringLiteral("%1 events for %2 ticks").arg(ms.size()).arg(ticks.size());
    qint64 closest = LLONG_MAX;
    for (int i = 0; i < ms.size(); ++i) {
        if (ms[i] < ticks[i] * 950)
            return QStringLiteral("event %1 at %2 ms, before tick %3").arg(i).arg(ms[i]).arg(ticks[i]);
        closest = qMin(closest, ms[i] - ticks[i] * 1000);
    }
    return closest > 500 ? QStringLiteral("every event %1 ms or more after its tick").arg(closest) : QString();
}
