// What the three windows share: the size a window gets on a screen, and Qt's
// own texts in Russian.

#include "qt_russian.h"
#include "window_fit.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(QMargins)

class SharedUiTest : public QObject
{
    Q_OBJECT

private slots:
    void fittedSize_data();
    void fittedSize();
    void qtTextsInRussian();
};

void SharedUiTest::fittedSize_data()
{
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("fitted");
    const QMargins frame(4, 28, 4, 4);
    // Room to spare, and exactly enough: the working size.
    QTest::newRow("large") << QSize(754, 550) << QRect(0, 0, 1920, 1050) << frame << QSize(754, 550);
    QTest::newRow("exact") << QSize(754, 550) << QRect(0, 30, 762, 582) << frame << QSize(754, 550);
    // Too low: as high as the room, wider by the scroll bar.
    QTest::newRow("800x480") << QSize(754, 550) << QRect(0, 0, 800, 480) << frame << QSize(769, 448);
    QTest::newRow("one short") << QSize(754, 550) << QRect(0, 0, 800, 581) << frame << QSize(769, 549);
    // Too narrow: as wide as the room, higher by the scroll bar.
    QTest::newRow("narrow") << QSize(580, 330) << QRect(0, 0, 480, 640) << frame << QSize(472, 345);
    // The scroll bar of one direction makes the other scroll too.
    QTest::newRow("bar brings bar") << QSize(780, 550) << QRect(0, 0, 800, 480) << frame << QSize(792, 448);
    QTest::newRow("both") << QSize(754, 550) << QRect(0, 0, 640, 480) << frame << QSize(632, 448);
    // No screen known: the working size.
    QTest::newRow("no screen") << QSize(580, 320) << QRect() << QMargins() << QSize(580, 320);
}

void SharedUiTest::fittedSize()
{
    QFETCH(QSize, wanted);
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QSize, fitted);
    QCOMPARE(window_fit::fittedSize(wanted, {available, frame}, 15), fitted);
}

// The locale here is C: the catalogue is Russian all the same.
void SharedUiTest::qtTextsInRussian()
{
    QVERIFY(qt_russian::install(*qApp));
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
    QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    QLineEdit edit;
    QScopedPointer<QMenu> menu(edit.createStandardContextMenu());
    QStringList actions;
    for (QAction *action : menu->actions())
        actions << action->text().section(QLatin1Char('\t'), 0, 0);
    QVERIFY2(actions.contains(QStringLiteral("&Копировать")) && actions.contains(QStringLiteral("В&ставить")),
             qPrintable(actions.join(" | ")));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
             QStringLiteral("%1 уже существует.\nЗаменить его?"));
    // The programs' own texts are not Qt's.
    QCOMPARE(QCoreApplication::translate("MainWindow", "Critical Error"), QStringLiteral("Critical Error"));
}

QTEST_MAIN(SharedUiTest)
#include "test_shared_ui.moc"
