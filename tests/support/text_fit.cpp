#include "text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QtMath>

namespace {

// A mnemonic '&' takes no room; "&&" shows one '&'.
QString shownText(const QString &text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

int advance(const QFontMetrics &fm, const QString &text)
{
    return fm.horizontalAdvance(text);
}

QString describe(const QWidget *w, const QString &text, int needs, int has)
{
    return QStringLiteral("%1 (%2): '%3' needs %4 px, has %5 px")
        .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()), text)
        .arg(needs)
        .arg(has);
}

void check(QStringList &out, const QWidget *w, const QString &text, int needs, int has)
{
    if (!text.isEmpty() && needs > has)
        out << describe(w, text, needs, has);
}

void checkLabel(QStringList &out, QLabel *label)
{
    if (label->text().isEmpty() || label->wordWrap() || !label->pixmap(Qt::ReturnByValue).isNull())
        return;
    QRect cr = label->contentsRect();
    const int m = label->margin();
    cr.adjust(m, m, -m, -m);
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    const int has = cr.width() - qMax(indent, 0);
    int needs;
    QString text = label->text();
    if (Qt::mightBeRichText(text) && label->textFormat() != Qt::PlainText) {
        QTextDocument doc;
        doc.setDefaultFont(label->font());
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        needs = qCeil(doc.idealWidth());
        text = doc.toPlainText();
    } else {
        if (label->buddy())
            text = shownText(text);
        needs = advance(label->fontMetrics(), text);
    }
    check(out, label, text, needs, has);
    if (cr.height() < label->fontMetrics().ascent())
        check(out, label, text + QStringLiteral(" [height]"), label->fontMetrics().ascent(), cr.height());
}

void checkButton(QStringList &out, QAbstractButton *button)
{
    const QString text = shownText(button->text());
    if (text.isEmpty())
        return;
    const QFontMetrics fm = button->fontMetrics();
    QRect area;
    int needs = advance(fm, text);
    if (auto *push = qobject_cast<QPushButton *>(button)) {
        QStyleOptionButton opt;
        opt.initFrom(push);
        opt.features = push->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
        if (push->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        opt.text = push->text();
        opt.icon = push->icon();
        opt.iconSize = push->iconSize();
        area = push->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, push);
        if (!push->icon().isNull())
            needs += push->iconSize().width() + 4;
    } else if (auto *box = qobject_cast<QCheckBox *>(button)) {
        QStyleOptionButton opt;
        opt.initFrom(box);
        opt.text = box->text();
        area = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
    } else if (auto *radio = qobject_cast<QRadioButton *>(button)) {
        QStyleOptionButton opt;
        opt.initFrom(radio);
        opt.text = radio->text();
        area = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio);
    } else {
        area = button->contentsRect();
    }
    check(out, button, text, needs, area.width());
    if (area.height() < fm.ascent())
        check(out, button, text + QStringLiteral(" [height]"), fm.ascent(), area.height());
}

// QLineEdit keeps two pixels free on each side of its text.
constexpr int kLineEditMargin = 2;

void checkLineEdit(QStringList &out, QLineEdit *edit)
{
    const QString text = edit->displayText();
    if (text.isEmpty())
        return;
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = edit->rect();
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    QRect area = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    const QMargins tm = edit->textMargins();
    area = area.marginsRemoved(tm);
    const int has = area.width() - 2 * kLineEditMargin;
    const QFontMetrics fm = edit->fontMetrics();
    check(out, edit, text, advance(fm, text), has);
    if (area.height() < fm.ascent())
        check(out, edit, text + QStringLiteral(" [height]"), fm.ascent(), area.height());
}

void checkCombo(QStringList &out, QComboBox *combo)
{
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.currentText = combo->currentText();
    opt.subControls = QStyle::SC_All;
    const QRect area = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    const QFontMetrics fm = combo->fontMetrics();
    for (int i = 0; i < combo->count(); ++i) {
        const QString text = combo->itemText(i);
        int needs = advance(fm, text);
        if (!combo->itemIcon(i).isNull())
            needs += combo->iconSize().width() + 4;
        check(out, combo, text, needs, area.width());
    }
    if (combo->isEditable() && combo->count() == 0)
        check(out, combo, combo->currentText(), advance(fm, combo->currentText()), area.width());
    if (area.height() < fm.ascent() && combo->count() > 0)
        check(out, combo, combo->itemText(0) + QStringLiteral(" [height]"), fm.ascent(), area.height());
}

void checkGroupBox(QStringList &out, QGroupBox *group)
{
    const QString title = shownText(group->title());
    if (title.isEmpty())
        return;
    // The title is drawn on the frame, starting a little in from its left.
    QStyleOptionGroupBox opt;
    opt.initFrom(group);
    opt.text = group->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    if (group->isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group);
    const int start = qMax(label.left(), 0);
    check(out, group, title, start + advance(group->fontMetrics(), title), group->width());
}

// A status bar draws its message from 6 px in, up to 12 px short of its right
// end or 2 px short of the first widget shown at its right.
void checkStatusBar(QStringList &out, QStatusBar *bar)
{
    int right = bar->width() - 12;
    for (QWidget *w : bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible() && !qobject_cast<QSizeGrip *>(w))
            right = qMin(right, w->x() - 2);
    check(out, bar, bar->currentMessage(), advance(bar->fontMetrics(), bar->currentMessage()), right - 6);
}

} // namespace

QStringList cutTexts(QWidget *window)
{
    QStringList out;
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        if (auto *label = qobject_cast<QLabel *>(w))
            checkLabel(out, label);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            checkButton(out, button);
        else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            // The edit field inside an editable combo box is measured with its combo box.
            if (!qobject_cast<QComboBox *>(edit->parentWidget()))
                checkLineEdit(out, edit);
        } else if (auto *combo = qobject_cast<QComboBox *>(w))
            checkCombo(out, combo);
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            checkGroupBox(out, group);
        else if (auto *bar = qobject_cast<QStatusBar *>(w))
            checkStatusBar(out, bar);
    }
    return out;
}
