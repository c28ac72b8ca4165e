// What the three windows share: the size a window gets on a screen, and Qt's
// own texts in Russian.

#include "qt_russian.h"
#include "window_reach.h"

#include <QDialogButtonBox>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

class SharedUiTest : public QObject
{
    Q_OBJECT

private slots:
    void fittedSize_data()
    {
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("room to spare") << QSize(754, 550) << QRect(0, 0, 1920, 1050) << QSize(754, 550);
        QTest::newRow("just enough") << QSize(754, 550) << QRect(0, 30, 762, 582) << QSize(754, 550);
        // As high as the room allows, wider by the scroll bar; and the other way.
        QTest::newRow("one short") << QSize(754, 550) << QRect(0, 0, 800, 581) << QSize(769, 549);
        QTest::newRow("narrow") << QSize(580, 330) << QRect(0, 0, 480, 640) << QSize(472, 345);
        // The scroll bar of one direction makes the other one scroll too.
        QTest::newRow("bar brings bar") << QSize(780, 550) << QRect(0, 0, 800, 480) << QSize(792, 448);
        QTest::newRow("no screen") << QSize(580, 320) << QRect() << QSize(580, 320);
    }

    void fittedSize()
    {
        QFETCH(QSize, wanted);
        QFETCH(QRect, available);
        QFETCH(QSize, fitted);
        QCOMPARE(window_fit::fittedSize(wanted, {available, QMargins(4, 28, 4, 4)}, 15), fitted);
    }

    // A fixed window whose content asks a few pixels more than the window
    // leaves it (a larger system font) is laid out as without the fitting:
    // squeezed, no scroll area, where the screen holds the window; it scrolls
    // only where the screen is too small, and the field being edited keeps
    // the focus.
    void contentLargerThanWorkingSize()
    {
        const QRect large(0, 0, 1920, 1050);
        RoomOverride screen({large, QMargins(4, 28, 4, 4)});
        QMainWindow w;
        auto *content = new QWidget;
        auto *field = new QLineEdit;
        field->setMinimumSize(250, 215); // with the layout's margins, 230 high
        (new QVBoxLayout(content))->addWidget(field);
        w.setCentralWidget(content);
        window_fit::setFixedSize(w, QSize(300, 200));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        field->setFocus();
        QCOMPARE(w.centralWidget(), content);
        QCOMPARE(content->size(), QSize(300, 200)); // squeezed
        screen.set({QRect(0, 0, 640, 180), QMargins(4, 28, 4, 4)});
        auto *area = qobject_cast<QScrollArea *>(w.centralWidget());
        QVERIFY(area);
        QTRY_VERIFY(area->verticalScrollBar()->isVisible());
        QVERIFY(content->height() >= 230);
        QCOMPARE(QApplication::focusWidget(), field);
        screen.set({large, QMargins(4, 28, 4, 4)});
        QTRY_COMPARE(w.size(), QSize(300, 200));
        QVERIFY(!area->verticalScrollBar()->isVisible() && !area->horizontalScrollBar()->isVisible());
    }

    // The locale here is C: Qt's texts are Russian all the same.
    void qtTextsInRussian()
    {
        QVERIFY(qt_russian::install(*qApp));
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text() + box.button(QDialogButtonBox::Ok)->text(),
                 QStringLiteral("ОтменаOK"));
        QLineEdit edit;
        QScopedPointer<QMenu> menu(edit.createStandardContextMenu());
        QCOMPARE(menu->actions().value(4)->text().section('\t', 0, 0), QStringLiteral("&Копировать"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
                 QStringLiteral("%1 уже существует.\nЗаменить его?"));
    }
};

QTEST_MAIN(SharedUiTest)
#include "test_shared_ui.moc"
