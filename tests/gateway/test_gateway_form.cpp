// The converter configurator's form: widget tree, layout cells, texts, combo
// entries, menu, fonts and the window style sheet, built on a plain window.
// The rest of the program finds widgets by object name and compares some
// texts exactly, so every name and every character counts here.

#include "ui_mainwindow.h"

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTranslator>

namespace {

QString u8(const char *text) { return QString::fromUtf8(text); }

struct Form
{
    Form() { ui.setupUi(&window); }
    QMainWindow window;
    Ui_MainWindow ui;
};

QObject *named(QObject *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    return root->findChild<QObject *>(name);
}

// Index of a widget or nested layout inside a layout, or -1.
int itemIndex(QLayout *layout, QObject *object)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == object || item->layout() == object)
            return i;
    }
    return -1;
}

QString visibleText(QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    if (auto *box = qobject_cast<QGroupBox *>(object))
        return box->title();
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->title();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->text();
    return QStringLiteral("<no text property>");
}

// "selector { a; b; }" blocks, in order, each with its declarations.
QList<QPair<QString, QStringList>> styleRules(const QString &sheet)
{
    QList<QPair<QString, QStringList>> rules;
    const QStringList blocks = sheet.split(QLatin1Char('}'));
    for (const QString &block : blocks) {
        const int open = block.indexOf(QLatin1Char('{'));
        if (open < 0) {
            if (!block.trimmed().isEmpty())
                rules.append({block.trimmed(), {QStringLiteral("<unterminated>")}});
            continue;
        }
        QStringList declarations;
        for (const QString &d : block.mid(open + 1).split(QLatin1Char(';'))) {
            if (!d.trimmed().isEmpty())
                declarations << d.simplified();
        }
        rules.append({block.left(open).trimmed(), declarations});
    }
    return rules;
}

// Wraps every text of the window's translation context in brackets, so that a
// text set without going through translation stands out.
class BracketTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText,
                      const char * = nullptr, int = -1) const override
    {
        if (qstrcmp(context, "MainWindow") != 0 || !sourceText || !*sourceText)
            return QString();
        const QString source = QString::fromUtf8(sourceText);
        if (source.contains(QLatin1Char('{')))
            return QString(); // the style sheet, left as it is
        return QLatin1Char('[') + source + QLatin1Char(']');
    }
};

} // namespace

class TestGatewayForm : public QObject
{
    Q_OBJECT

private slots:
    void windowFrame();
    void widgetTree_data();
    void widgetTree();
    void gridCells_data();
    void gridCells();
    void layoutContents();
    void texts_data();
    void texts();
    void comboEntries_data();
    void comboEntries();
    void menuAndActions();
    void scanportFont();
    void lineEditsTakeFreeText();
    void textsGoThroughTranslation();
    void windowStyleSheet();
};

void TestGatewayForm::windowFrame()
{
    Form f;
    QCOMPARE(f.window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(f.window.size(), QSize(760, 601));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("MainWindow"));
    QCOMPARE(f.window.centralWidget(), f.ui.centralwidget);
    QCOMPARE(f.window.menuBar(), f.ui.menuBar);
    QCOMPARE(f.window.statusBar(), f.ui.statusbar);
    QCOMPARE(f.ui.centralwidget->layout(), static_cast<QLayout *>(f.ui.gridLayout_3));

    // A window that already has a name keeps it.
    QMainWindow other;
    other.setObjectName(QStringLiteral("kept"));
    Ui_MainWindow ui;
    ui.setupUi(&other);
    QCOMPARE(other.objectName(), QStringLiteral("kept"));
}

void TestGatewayForm::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const struct { const char *name, *cls, *parent; } rows[] = {
        {"centralwidget", "QWidget", "MainWindow"},
        {"menuBar", "QMenuBar", "MainWindow"},
        {"menu", "QMenu", "menuBar"},
        {"statusbar", "QStatusBar", "MainWindow"},
        {"groupBox", "QGroupBox", "centralwidget"},
        // connection area
        {"label_26", "QLabel", "groupBox"},
        {"serialPortInfoListBox", "QComboBox", "groupBox"},
        {"scanport", "QPushButton", "groupBox"},
        {"connect", "QPushButton", "groupBox"},
        {"label_20", "QLabel", "groupBox"},
        {"conbox0", "QComboBox", "groupBox"},
        {"scan_parameters", "QPushButton", "groupBox"},
        // general parameters
        {"groupBox_2", "QGroupBox", "groupBox"},
        {"label_modeTcp", "QLabel", "groupBox_2"},
        {"comboBox_mode", "QComboBox", "groupBox_2"},
        {"label_version", "QLabel", "groupBox_2"},
        {"lineEdit_version", "QLineEdit", "groupBox_2"},
        {"label_24", "QLabel", "groupBox_2"},
        {"lineEdit_MAC", "QLineEdit", "groupBox_2"},
        {"label_21", "QLabel", "groupBox_2"},
        {"lineEdit_ip", "QLineEdit", "groupBox_2"},
        {"label_22", "QLabel", "groupBox_2"},
        {"lineEdit_mask", "QLineEdit", "groupBox_2"},
        {"label_23", "QLabel", "groupBox_2"},
        {"lineEdit_gateway", "QLineEdit", "groupBox_2"},
        {"label_", "QLabel", "groupBox_2"},
        {"lineEdit_portTCP", "QLineEdit", "groupBox_2"},
        {"label_28", "QLabel", "groupBox_2"},
        {"comboBox", "QComboBox", "groupBox_2"},
        {"label_speed", "QLabel", "groupBox_2"},
        {"comboBox_speed", "QComboBox", "groupBox_2"},
        {"label_27", "QLabel", "groupBox_2"},
        {"comboBox_2", "QComboBox", "groupBox_2"},
        {"label_timewait", "QLabel", "groupBox_2"},
        {"lineEdit_timewait", "QLineEdit", "groupBox_2"},
        // TCP client parameters: hiding the group box hides all of these
        {"groupBox_client", "QGroupBox", "groupBox"},
        {"label_ipserver", "QLabel", "groupBox_client"},
        {"lineEdit_ipservertcp", "QLineEdit", "groupBox_client"},
        {"label_timeout", "QLabel", "groupBox_client"},
        {"lineEdit_timeout", "QLineEdit", "groupBox_client"},
        {"label_id_rtu", "QLabel", "groupBox_client"},
        {"lineEdit_rtu_virtual_id", "QLineEdit", "groupBox_client"},
        {"label_idtcp", "QLabel", "groupBox_client"},
        {"lineEdit_tcp_id", "QLineEdit", "groupBox_client"},
        {"checkBox", "QCheckBox", "groupBox_client"},
        // buttons
        {"applyButton", "QPushButton", "groupBox"},
        {"reset_allparameters", "QPushButton", "groupBox"},
        {"Reset", "QPushButton", "groupBox"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.cls) << QString::fromLatin1(r.parent);
}

void TestGatewayForm::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    Form f;
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    const QList<QWidget *> found = f.window.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *widget = found.first();
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
}

void TestGatewayForm::gridCells_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("rowSpan");
    QTest::addColumn<int>("columnSpan");

    const struct { const char *layout, *item; int row, column, rowSpan, columnSpan; } cells[] = {
        {"gridLayout_3", "groupBox", 0, 0, 1, 1},
        {"gridLayout_2", "gridLayout_4", 0, 0, 1, 1},
        {"gridLayout_2", "horizontalLayout_2", 1, 0, 1, 1},
        // connection area
        {"gridLayout_4", "label_26", 5, 0, 1, 1},
        {"gridLayout_4", "serialPortInfoListBox", 5, 1, 1, 1},
        {"gridLayout_4", "scanport", 5, 2, 1, 1},
        {"gridLayout_4", "connect", 5, 4, 1, 1},
        {"gridLayout_4", "label_20", 7, 0, 1, 1},
        {"gridLayout_4", "conbox0", 7, 1, 1, 2},
        {"gridLayout_4", "scan_parameters", 7, 4, 1, 1},
        // general parameters
        {"gridLayout_7", "gridLayout", 0, 0, 2, 1},
        {"gridLayout", "label_modeTcp", 0, 0, 1, 1},
        {"gridLayout", "comboBox_mode", 0, 2, 1, 2},
        {"gridLayout", "label_version", 1, 0, 1, 1},
        {"gridLayout", "lineEdit_version", 1, 2, 1, 2},
        {"gridLayout", "label_24", 2, 0, 1, 1},
        {"gridLayout", "lineEdit_MAC", 2, 2, 1, 2},
        {"gridLayout", "label_21", 3, 0, 1, 1},
        {"gridLayout", "lineEdit_ip", 3, 2, 1, 2},
        {"gridLayout", "label_22", 4, 0, 1, 1},
        {"gridLayout", "lineEdit_mask", 4, 2, 1, 2},
        {"gridLayout", "label_23", 5, 0, 1, 1},
        {"gridLayout", "lineEdit_gateway", 5, 2, 1, 2},
        {"gridLayout", "label_", 8, 0, 1, 1},
        {"gridLayout", "lineEdit_portTCP", 8, 2, 1, 2},
        {"gridLayout", "label_28", 11, 0, 1, 1},
        {"gridLayout", "comboBox", 11, 2, 1, 2},
        {"gridLayout", "label_speed", 12, 0, 1, 1},
        {"gridLayout", "comboBox_speed", 12, 2, 1, 2},
        {"gridLayout", "label_27", 15, 0, 1, 1},
        {"gridLayout", "comboBox_2", 15, 2, 1, 2},
        {"gridLayout", "label_timewait", 16, 0, 1, 1},
        {"gridLayout", "lineEdit_timewait", 16, 2, 1, 1},
        // TCP client parameters
        {"gridLayout_5", "label_ipserver", 0, 0, 1, 1},
        {"gridLayout_5", "lineEdit_ipservertcp", 0, 1, 1, 2},
        {"gridLayout_5", "label_timeout", 2, 0, 1, 1},
        {"gridLayout_5", "lineEdit_timeout", 2, 1, 1, 2},
        {"gridLayout_5", "label_id_rtu", 3, 0, 1, 1},
        {"gridLayout_5", "lineEdit_rtu_virtual_id", 3, 1, 1, 2},
        {"gridLayout_5", "label_idtcp", 4, 0, 1, 1},
        {"gridLayout_5", "lineEdit_tcp_id", 4, 1, 1, 1},
        {"gridLayout_5", "checkBox", 4, 2, 1, 1},
    };
    for (const auto &c : cells) {
        QTest::newRow(c.item) << QString::fromLatin1(c.layout) << QString::fromLatin1(c.item)
                              << c.row << c.column << c.rowSpan << c.columnSpan;
    }
}

void TestGatewayForm::gridCells()
{
    QFETCH(QString, layout);
    QFETCH(QString, item);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, rowSpan);
    QFETCH(int, columnSpan);
    Form f;

    auto *grid = f.window.findChild<QGridLayout *>(layout);
    QVERIFY2(grid, qPrintable(layout));
    QObject *object = named(&f.window, item);
    QVERIFY2(object, qPrintable(item));
    const int index = itemIndex(grid, object);
    QVERIFY2(index >= 0, qPrintable(item + QStringLiteral(" is not in ") + layout));

    int r = -1, c = -1, rs = -1, cs = -1;
    grid->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(r, row);
    QCOMPARE(c, column);
    QCOMPARE(rs, rowSpan);
    QCOMPARE(cs, columnSpan);
}

void TestGatewayForm::layoutContents()
{
    Form f;
    Ui_MainWindow &ui = f.ui;

    // Which widget each top layout belongs to.
    QCOMPARE(ui.groupBox->layout(), static_cast<QLayout *>(ui.gridLayout_2));
    QCOMPARE(ui.groupBox_2->layout(), static_cast<QLayout *>(ui.gridLayout_7));
    QCOMPARE(ui.groupBox_client->layout(), static_cast<QLayout *>(ui.gridLayout_6));
    QCOMPARE(ui.groupBox->title(), QString());

    // Nothing beyond the listed cells in any grid.
    QCOMPARE(ui.gridLayout_3->count(), 1);
    QCOMPARE(ui.gridLayout_2->count(), 2);
    QCOMPARE(ui.gridLayout_4->count(), 7);
    QCOMPARE(ui.gridLayout_7->count(), 1);
    QCOMPARE(ui.gridLayout->count(), 22);
    QCOMPARE(ui.gridLayout_6->count(), 1);
    QCOMPARE(itemIndex(ui.gridLayout_6, ui.gridLayout_5), 0);
    QCOMPARE(ui.gridLayout_5->count(), 9);

    // Parameter area: general parameters on the left, the client group and
    // the buttons on the right.
    QCOMPARE(ui.horizontalLayout_2->count(), 2);
    QCOMPARE(ui.horizontalLayout_2->itemAt(0)->widget(), ui.groupBox_2);
    QCOMPARE(ui.horizontalLayout_2->itemAt(1)->layout(), static_cast<QLayout *>(ui.verticalLayout));

    QCOMPARE(ui.verticalLayout->count(), 4);
    QCOMPARE(ui.verticalLayout->itemAt(0)->widget(), ui.groupBox_client);
    QCOMPARE(ui.verticalLayout->itemAt(1)->widget(), ui.applyButton);
    QCOMPARE(ui.verticalLayout->itemAt(2)->layout(), static_cast<QLayout *>(ui.horizontalLayout));
    QSpacerItem *spacer = ui.verticalLayout->itemAt(3)->spacerItem();
    QVERIFY(spacer);
    QVERIFY(spacer->expandingDirections() & Qt::Vertical);

    QCOMPARE(ui.horizontalLayout->count(), 2);
    QCOMPARE(ui.horizontalLayout->itemAt(0)->widget(), ui.reset_allparameters);
    QCOMPARE(ui.horizontalLayout->itemAt(1)->widget(), ui.Reset);
}

void TestGatewayForm::texts_data()
{
    QTest::addColumn<QString>("text");

    const struct { const char *name, *text; } rows[] = {
        {"label_26", "Порт"},
        {"scanport", "Обновить"},
        {"connect", "Cоединиться"},
        {"label_20", "Преобразователь протоколов"},
        {"scan_parameters", "Сканировать"},
        {"groupBox_2", "Общие параметры"},
        {"label_modeTcp", "Режим работы "},
        {"label_version", "Версия"},
        {"label_24", "MAC"},
        {"label_21", "IP-адрес"},
        {"label_22", "Маска подсети"},
        {"label_23", "IP-адрес шлюза"},
        {"label_", "Порт TCP (502, 10000-65535)"},
        {"label_28", "Паритет "},
        {"label_speed", "Скорость RS-485 бит/с"},
        {"label_27", "Количество стоп бит"},
        {"label_timewait", "Таймаут  (100-60000) мс"},
        {"groupBox_client", "Параметры для режима клиент TCP"},
        {"label_ipserver", "IP-адрес сервера TCP "},
        {"label_timeout", "Таймаут TCP (5-240) с"},
        {"label_id_rtu", "Адрес в сети RTU (1-247)"},
        {"label_idtcp", "Адрес сервера TCP (1-255)"},
        {"checkBox", "off"},
        {"applyButton", "Записать параметры"},
        {"reset_allparameters", "Сброс к заводским настройкам"},
        {"Reset", "Перезaгрузка"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << u8(r.text);
}

void TestGatewayForm::texts()
{
    QFETCH(QString, text);
    Form f;
    QObject *object = named(&f.window, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(object);
    QCOMPARE(visibleText(object), text);
}

void TestGatewayForm::comboEntries_data()
{
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("serialPortInfoListBox") << QStringList();
    QTest::newRow("conbox0") << QStringList{u8("Modbus TCP-RTU "), u8("Modbus RTU-TCP"),
                                            u8("Modbus universal ")};
    QTest::newRow("comboBox_mode") << QStringList{QString(), u8("Сервер TCP"), u8("Клиент TCP")};
    QTest::newRow("comboBox") << QStringList{QString(), u8("без паритета"),
                                             u8("контроль нечетности"), u8("контроль четности")};
    QTest::newRow("comboBox_2") << QStringList{QString(), u8("1"), u8("2")};
    QTest::newRow("comboBox_speed") << QStringList{QString(), u8("1200"), u8("2400"), u8("4800"),
                                                   u8("9600"), u8("19200"), u8("38400"),
                                                   u8("57600"), u8("115200"), u8("128000"),
                                                   u8("256000")};
}

void TestGatewayForm::comboEntries()
{
    QFETCH(QStringList, entries);
    Form f;
    auto *combo = f.window.findChild<QComboBox *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(combo);

    QCOMPARE(combo->count(), entries.size());
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(combo->itemText(i), entries.at(i));
    // Each list shows its first entry at start (or nothing, when empty).
    QCOMPARE(combo->currentIndex(), entries.isEmpty() ? -1 : 0);
    QVERIFY(!combo->isEditable());
}

void TestGatewayForm::menuAndActions()
{
    Form f;
    Ui_MainWindow &ui = f.ui;

    QCOMPARE(ui.menuBar->actions().size(), 1);
    QCOMPARE(ui.menuBar->actions().first(), ui.menu->menuAction());
    QCOMPARE(ui.menu->title(), u8("Файл настройки"));

    const QList<QAction *> actions = ui.menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->objectName(), QStringLiteral("action_open_2"));
    QCOMPARE(actions.at(0)->text(), u8("Выбрать файл"));
    QCOMPARE(actions.at(1)->objectName(), QStringLiteral("action"));
    QCOMPARE(actions.at(1)->text(), u8("Текущий файл"));
    QCOMPARE(actions.at(2)->objectName(), QStringLiteral("action_save"));
    QCOMPARE(actions.at(2)->text(), u8("Сохранить настройки в файл"));

    // The action slots are bound by these names on the window, and there is
    // no action called "action_show".
    for (QAction *a : actions)
        QCOMPARE(a->parent(), static_cast<QObject *>(&f.window));
    QVERIFY(!f.window.findChild<QAction *>(QStringLiteral("action_show")));
}

void TestGatewayForm::scanportFont()
{
    Form f;
    QVERIFY(f.ui.scanport->testAttribute(Qt::WA_SetFont));
    const QFont font = f.ui.scanport->font();
    QCOMPARE(font.family(), QStringLiteral("Times New Roman"));
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), 50);
    QVERIFY(!font.bold());
    QVERIFY(!font.italic());

    // No other widget carries a font of its own; the style sheet sets the rest.
    for (QWidget *w : f.window.findChildren<QWidget *>()) {
        if (w != f.ui.scanport && !w->objectName().isEmpty()
            && !w->objectName().startsWith(QLatin1String("qt_"))) {
            QVERIFY2(!w->testAttribute(Qt::WA_SetFont), qPrintable(w->objectName()));
        }
    }
}

void TestGatewayForm::lineEditsTakeFreeText()
{
    Form f;
    const QList<QLineEdit *> edits = f.window.findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 11);
    const int defaultMaxLength = QLineEdit().maxLength();
    for (QLineEdit *edit : edits) {
        const QByteArray name = edit->objectName().toLatin1();
        QVERIFY2(edit->inputMask().isEmpty(), name);
        QVERIFY2(!edit->validator(), name);
        QVERIFY2(edit->maxLength() == defaultMaxLength, name);
        QVERIFY2(edit->placeholderText().isEmpty(), name);
        QVERIFY2(!edit->isReadOnly(), name);
        QVERIFY2(edit->text().isEmpty(), name);
        QVERIFY2(edit->isEnabled(), name); // the window disables the display-only ones itself
    }
    QVERIFY(!f.ui.checkBox->isChecked());
}

void TestGatewayForm::textsGoThroughTranslation()
{
    Form f;
    BracketTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    f.ui.retranslateUi(&f.window);
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(f.window.windowTitle(), QStringLiteral("[MainWindow]"));
    int checked = 0;
    const QList<QObject *> objects = f.window.findChildren<QObject *>();
    for (QObject *o : objects) {
        const QString name = o->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("groupBox"))
            continue;
        if (!qobject_cast<QLabel *>(o) && !qobject_cast<QAbstractButton *>(o)
            && !qobject_cast<QGroupBox *>(o) && !qobject_cast<QMenu *>(o) && !qobject_cast<QAction *>(o))
            continue;
        const QString text = visibleText(o);
        QVERIFY2(text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')),
                 qPrintable(name + QStringLiteral(": ") + text));
        ++checked;
    }
    QCOMPARE(checked, 26 + 1 + 3); // texts, menu title, actions
    QCOMPARE(f.ui.conbox0->itemText(0), u8("[Modbus TCP-RTU ]"));
    QCOMPARE(f.ui.comboBox_speed->itemText(10), u8("[256000]"));
    QCOMPARE(f.ui.comboBox->itemText(0), QString());
    QCOMPARE(f.ui.groupBox->title(), QString());

    // Without a translator the source texts come back.
    f.ui.retranslateUi(&f.window);
    QCOMPARE(f.ui.connect->text(), u8("Cоединиться"));
    QCOMPARE(f.ui.Reset->text(), u8("Перезaгрузка"));
    // One Latin letter each (the C in front, the a after "Перез"): the
    // window compares these texts exactly.
    const auto latinLetters = [](const QString &text) {
        QString latin;
        for (QChar c : text) {
            if (c.unicode() < 128)
                latin += c;
        }
        return latin;
    };
    QCOMPARE(latinLetters(f.ui.connect->text()), QStringLiteral("C"));
    QCOMPARE(f.ui.connect->text().at(0), QLatin1Char('C'));
    QCOMPARE(latinLetters(f.ui.Reset->text()), QStringLiteral("a"));
    QCOMPARE(f.ui.Reset->text().at(5), QLatin1Char('a'));
    QVERIFY(f.ui.connect->text() != u8("Соединиться"));
}

void TestGatewayForm::windowStyleSheet()
{
    Form f;
    const QString sheet = f.window.styleSheet();

    // The form carries the shared window style, without its closing newline.
    QFile file(QStringLiteral(WINDOW_STYLE_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString shared = QString::fromUtf8(file.readAll());
    while (shared.endsWith(QLatin1Char('\n')))
        shared.chop(1);
    QCOMPARE(sheet, shared);

    const QList<QPair<QString, QStringList>> expected = {
        {"QTextBrowser", {"color: rgb(0, 255, 0)", "background-color: rgb(0, 0, 0)"}},
        {"QLabel", {"font: 75 12pt \"Times New Roman\""}},
        {"QGroupBox", {"font: 700 12pt \"Times New Roman\""}},
        {"QComboBox", {"font: 75 11pt \"Times New Roman\""}},
        {"QLineEdit", {"border: 1px solid gray", "border-radius: 8px", "padding: 4px",
                       "font: 11pt \"Times New Roman\"", "selection-background-color: darkgray"}},
        {"QMenu", {"font: 12pt \"Times New Roman\""}},
        {"QPushButton", {"border: 1px solid #8f8f91", "border-radius: 5px",
                         "background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, "
                         "stop: 0 #f6f7fa, stop: 1 #dadbde)",
                         "min-width: 50px", "height: 25px", "font: 12pt \"Times New Roman\""}},
        {"QPushButton:pressed", {"background-color: rgb(0, 255, 255)"}},
        {"QPushButton:flat", {"border: none"}},
        {"QPushButton:default", {"border-color: navy"}},
        {"QRadioButton::indicator", {"width: 20px", "height: 30px", "font: 75 12pt \"Times New Roman\""}},
        {"QRadioButton", {"font: 75 12pt \"Times New Roman\""}},
    };
    const QList<QPair<QString, QStringList>> rules = styleRules(sheet);
    QCOMPARE(rules.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(rules.at(i).first, expected.at(i).first);
        QCOMPARE(rules.at(i).second, expected.at(i).second);
    }

    // The sheet parses and reaches the widgets (a sheet left XML-escaped or
    // broken by a stray character would not).
    f.ui.label_26->ensurePolished();
    QCOMPARE(f.ui.label_26->font().pointSize(), 12);
    QCOMPARE(f.ui.label_26->font().family(), QStringLiteral("Times New Roman"));
    f.ui.groupBox_2->ensurePolished();
    QVERIFY(f.ui.groupBox_2->font().bold());
    f.ui.conbox0->ensurePolished();
    QCOMPARE(f.ui.conbox0->font().pointSize(), 11);
    f.ui.lineEdit_ip->ensurePolished();
    QCOMPARE(f.ui.lineEdit_ip->font().pointSize(), 11);
    QCOMPARE(f.ui.lineEdit_ip->font().family(), QStringLiteral("Times New Roman"));
}

QTEST_MAIN(TestGatewayForm)
#include "test_gateway_form.moc"
