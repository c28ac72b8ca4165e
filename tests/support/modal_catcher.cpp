#include "modal_catcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtDebug>

namespace {

const char *const kMark = "_modalCatcherOwner";
const char *const kShowing = "_modalCatcherShowing";   // counts the showings of a window

// True while w is still in the showing numbered `showing`.
bool sameShowing(const QWidget *w, int showing)
{
    return w && w->isVisible() && w->property(kMark).isValid()
        && w->property(kShowing).toInt() == showing;
}

// The text a person sees on a button: mnemonic markers removed.
QString shownText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            out += text.at(i);
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
            out += text.at(++i);  // "&&" is a literal '&'
    }
    return out;
}

// The button Enter would press, else the one Escape would press, else the first.
QAbstractButton *fallbackButton(QMessageBox *box)
{
    if (QAbstractButton *b = box->defaultButton())
        return b;
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *b : buttons) {
        auto *pb = qobject_cast<QPushButton *>(b);
        if (pb && pb->isDefault())
            return pb;
    }
    if (QAbstractButton *b = box->escapeButton())
        return b;
    return buttons.isEmpty() ? nullptr : buttons.first();
}

QAbstractButton *buttonByText(QMessageBox *box, const QString &text)
{
    const QString wanted = shownText(text);
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *b : buttons) {
        if (shownText(b->text()) == wanted)
            return b;
    }
    return nullptr;
}

} // namespace

ModalCatcher::ModalCatcher(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_poll = new QTimer(this);
    m_poll->setInterval(15);
    connect(m_poll, &QTimer::timeout, this, &ModalCatcher::poll);
    m_poll->start();
}

ModalCatcher::~ModalCatcher()
{
    // Leave no mark behind, so a later catcher can take these windows.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->property(kMark).value<quintptr>() == quintptr(this))
            mark(w, false);
    }
}

bool ModalCatcher::isMarked(const QWidget *w) const
{
    return w->property(kMark).isValid();
}

void ModalCatcher::mark(QWidget *w, bool on)
{
    w->setProperty(kMark, on ? QVariant(quintptr(this)) : QVariant());
    // A window answered and hidden may be shown again (a box kept as a
    // member, exec() called twice): that showing is a new question.
    if (on) {
        w->setProperty(kShowing, w->property(kShowing).toInt() + 1);
        w->installEventFilter(this);
    } else {
        w->removeEventFilter(this);
    }
}

bool ModalCatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType())
        mark(static_cast<QWidget *>(watched), false);
    return QObject::eventFilter(watched, event);
}

void ModalCatcher::poll()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        auto *box = qobject_cast<QMessageBox *>(w);
        auto *dialog = qobject_cast<QFileDialog *>(w);
        if (!box && !dialog)
            continue;
        if (isMarked(w) || !w->isVisible())
            continue;   // already taken (by this catcher or another one), or not shown yet
        mark(w, true);
        if (box)
            takeBox(box);
        else
            takeFileDialog(dialog);
    }
}

void ModalCatcher::takeBox(QMessageBox *box)
{
    Box b;
    b.icon = box->icon();
    b.title = box->windowTitle();
    b.text = box->text();
    b.informativeText = box->informativeText();
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *button : buttons)
        b.buttons << shownText(button->text());
    b.ms = m_clock.elapsed();

    if (!m_answers.isEmpty()) {
        b.answer = m_answers.takeFirst();
        if (!b.answer.isEmpty() && !buttonByText(box, b.answer)) {
            qWarning() << "ModalCatcher: no button" << b.answer << "in box" << b.title
                       << b.buttons << "- pressing the default one";
            b.answer = QString();
            if (QAbstractButton *f = fallbackButton(box))
                b.answer = shownText(f->text());
        }
    } else if (QAbstractButton *f = fallbackButton(box)) {
        b.answer = shownText(f->text());
    }

    m_boxes.append(b);
    if (m_inspector)
        m_inspector(b);

    // Answer from a fresh event, never from inside this timer's slot: a
    // timer whose slot is running is not fired again by nested event loops.
    QPointer<QMessageBox> guard(box);
    const QString answer = b.answer;
    const int showing = box->property(kShowing).toInt();
    QTimer::singleShot(m_holdMs, Qt::PreciseTimer, this, [this, guard, answer, showing] {
        if (sameShowing(guard, showing))
            answerBox(guard, answer, showing);
    });
}

void ModalCatcher::answerBox(QMessageBox *box, const QString &answer, int showing)
{
    if (!answer.isEmpty()) {
        if (QAbstractButton *b = buttonByText(box, answer))
            b->click();
        return;
    }
    box->close();
    // A box without an escape button ignores its close button. A person
    // would then be stuck; a test must not be, so press the default button.
    QPointer<QMessageBox> guard(box);
    QTimer::singleShot(1000, this, [guard, showing] {
        if (!sameShowing(guard, showing))
            return;
        qWarning() << "ModalCatcher: box" << guard->windowTitle()
                   << "ignores its close button - pressing the default one";
        if (QAbstractButton *f = fallbackButton(guard))
            f->click();
    });
}

void ModalCatcher::takeFileDialog(QFileDialog *dialog)
{
    FileDialog f;
    f.title = dialog->windowTitle();
    f.save = dialog->acceptMode() == QFileDialog::AcceptSave;
    f.directory = dialog->directory().absolutePath();
    f.nameFilters = dialog->nameFilters();
    f.answer = m_files.isEmpty() ? QString() : m_files.takeFirst();
    f.ms = m_clock.elapsed();
    m_fileDialogs.append(f);

    QPointer<QFileDialog> guard(dialog);
    const QString path = f.answer;
    const int showing = dialog->property(kShowing).toInt();
    QTimer::singleShot(0, this, [this, guard, path, showing] {
        if (!sameShowing(guard, showing))
            return;
        if (path.isEmpty()) {
            guard->reject();
            return;
        }
        // accept() may open a box of its own (a file to replace); that runs
        // in a nested loop here, where the poll timer goes on catching it.
        // selectFile() leaves the name field alone while that field has the
        // focus, as it has in a freshly shown dialog; so type the path into
        // the field as well, the way a person would.
        guard->selectFile(path);
        if (auto *nameEdit = guard->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            nameEdit->setText(QFileInfo(path).absoluteFilePath());
        static_cast<QDialog *>(guard.data())->accept();   // public in QDialog, virtual
        QTimer::singleShot(1500, this, [guard, path, showing] {
            if (!sameShowing(guard, showing))
                return;
            qWarning() << "ModalCatcher: file dialog" << guard->windowTitle()
                       << "did not take" << path << "- cancelling it";
            guard->reject();
        });
    });
}

void ModalCatcher::enqueue(const QString &answer)
{
    m_answers.append(answer);
}

void ModalCatcher::enqueueFile(const QString &path)
{
    m_files.append(path);
}

void ModalCatcher::setHoldMs(int ms)
{
    m_holdMs = qMax(0, ms);
}

void ModalCatcher::setInspector(std::function<void(const Box &)> f)
{
    m_inspector = std::move(f);
}

QList<ModalCatcher::Box> ModalCatcher::boxes() const
{
    return m_boxes;
}

int ModalCatcher::count() const
{
    return m_boxes.size();
}

ModalCatcher::Box ModalCatcher::last() const
{
    return m_boxes.isEmpty() ? Box{QMessageBox::NoIcon, {}, {}, {}, -1, {}, {}} : m_boxes.last();
}

void ModalCatcher::clear()
{
    m_boxes.clear();
    m_fileDialogs.clear();
}

void ModalCatcher::clearQueue()
{
    m_answers.clear();
    m_files.clear();
}

int ModalCatcher::fileDialogs() const
{
    return m_fileDialogs.size();
}

QList<ModalCatcher::FileDialog> ModalCatcher::fileDialogList() const
{
    return m_fileDialogs;
}

int ModalCatcher::pendingAnswers() const
{
    return m_answers.size();
}

qint64 ModalCatcher::elapsedMs() const
{
    return m_clock.elapsed();
}
