#pragma once

// Catches every modal message box and file dialog as it opens, records it and
// answers it, the way a person at the screen would. It polls the top-level
// widgets from a timer, so it keeps working inside the nested event loop of
// QDialog::exec() and of the static QMessageBox / QFileDialog functions.

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QStringList>

#include <functional>

class QFileDialog;
class QTimer;

class ModalCatcher : public QObject {
    Q_OBJECT
public:
    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;           // as set on the box, markup included
        QStringList buttons;    // button texts as shown ('&' mnemonics removed), in QMessageBox::buttons() order
        qint64 ms;              // when first seen, ms since the catcher was created
        QString answer;         // the button pressed, or "" when the box was closed
        QString informativeText;
    };
    struct FileDialog {
        QString title;
        bool save;              // acceptMode() == AcceptSave
        QString directory;      // the folder it opened in
        QStringList nameFilters;
        QString answer;         // path given to it, "" when cancelled
        qint64 ms;
    };

    explicit ModalCatcher(QObject *parent = nullptr);
    ~ModalCatcher() override;

    // Answers for the next boxes, used in order. With the queue empty a box
    // is answered with its default button, else its escape button, else its
    // first button. An answer is a button text ('&' is ignored on both sides);
    // "" closes the box with its window's close button.
    void enqueue(const QString &answer);
    // The next file dialog gets this path selected and accepted; "" (or an
    // empty queue) cancels it.
    void enqueueFile(const QString &path);
    // Keep each message box open this long before answering it.
    void setHoldMs(int ms);
    // Called when a box is first seen, while it is still open, before it is
    // answered. Must not block (no exec(), no qWait()).
    void setInspector(std::function<void(const Box &)> f);

    QList<Box> boxes() const;
    int count() const;
    Box last() const;           // a default Box if none was seen
    void clear();               // forgets the boxes and file dialogs seen (not the queued answers)
    void clearQueue();          // drops the queued answers and file paths
    int fileDialogs() const;
    QList<FileDialog> fileDialogList() const;
    int pendingAnswers() const; // queued box answers not used yet
    qint64 elapsedMs() const;   // the clock of Box::ms

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();
    void takeBox(QMessageBox *box);
    void answerBox(QMessageBox *box, const QString &answer, int showing);
    void takeFileDialog(QFileDialog *dialog);
    bool isMarked(const QWidget *w) const;
    void mark(QWidget *w, bool on);

    QTimer *m_poll = nullptr;
    QElapsedTimer m_clock;
    QStringList m_answers;
    QStringList m_files;
    int m_holdMs = 0;
    std::function<void(const Box &)> m_inspector;
    QList<Box> m_boxes;
    QList<FileDialog> m_fileDialogs;
};
