#include "status_progress.h"

#include <QProgressBar>
#include <QStatusBar>

namespace status_progress {

QProgressBar *add(QStatusBar &statusBar)
{
    auto *bar = new QProgressBar;
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setTextVisible(false);
    bar->setMaximumSize(120, bar->fontMetrics().height());
    bar->hide();
    statusBar.addPermanentWidget(bar);
    return bar;
}

} // namespace status_progress
