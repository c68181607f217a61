#include "MessageBox.h"

#include "MsgBox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>
#include <QScreen>

namespace {

struct TestState
{
    bool enabled = false;
    QQueue<int> answers;
    QList<MessageBox::Record> shown;
};

TestState& state()
{
    static TestState s;
    return s;
}

int nextAnswer()
{
    return state().answers.isEmpty() ? 1 : state().answers.dequeue();
}

// Shows (or in test mode only lays out) the box, places it and returns where.
QPoint placeBox(QWidget* parent, MsgBox* box)
{
    if (state().enabled) {
        // Same size the box would have on screen, without putting it there.
        box->ensurePolished();
        if (box->layout())
            box->layout()->activate();
    } else {
        box->show();
    }
    // Long messages wrap; grow the box downwards so no line is cut off.
    const int needed = box->heightForWidth(box->width());
    if (needed > box->height())
        box->resize(box->width(), needed);

    QRect parentRect;
    if (parent)
        parentRect = QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QPoint pos = MessageBox::boxPosition(parentRect, box->size(), available);
    box->move(pos);
    return pos;
}

int runBox(QWidget* parent, MessageBox::Kind kind, MsgBox* box)
{
    // Modal before it is first shown: exec() on a box that is already visible
    // does not block, and the window under it would still take clicks.
    box->setWindowModality(Qt::ApplicationModal);
    const QPoint pos = placeBox(parent, box);
    if (kind == MessageBox::Info)
        qDebug() << "showInfo parent geometry" << (parent ? parent->geometry() : QRect()) << "box at" << pos;

    if (state().enabled) {
        state().shown.append({ kind, box->title(), box->message(), pos });
        delete box;
        return nextAnswer();
    }

    // The box is a child of its parent only for stacking and modality; it is
    // freed here rather than piling up under a long-lived parent.
    QPointer<MsgBox> guard(box);
    const int result = box->exec() == QDialog::Accepted ? 1 : 0;
    delete guard.data();
    return result;
}

} // namespace

QPoint MessageBox::boxPosition(const QRect& parentGlobal, const QSize& box, const QRect& screenAvailable)
{
    if (parentGlobal.isNull()) {
        return { screenAvailable.x() + (screenAvailable.width() - box.width()) / 2,
            screenAvailable.y() + (screenAvailable.height() - box.height()) / 2 };
    }
    // Half-way across and a box height above the middle, measured from where
    // the parent actually is on screen.
    return { parentGlobal.x() + parentGlobal.width() / 2 - box.width() / 2,
        parentGlobal.y() + parentGlobal.height() / 2 - box.height() };
}

int MessageBox::showMessage(QWidget* parent, const QString& title, const QString& text)
{
    auto* box = new MsgBox(parent);
    box->setMessage(text);
    box->setTitle(title);
    return runBox(parent, Message, box);
}

int MessageBox::showInfo(QWidget* parent, const QString& text)
{
    auto* box = new MsgBox(parent);
    box->setMessage(text);
    return runBox(parent, Info, box);
}

std::unique_ptr<QWidget> MessageBox::showNotice(QWidget* parent, const QString& title, const QString& text)
{
    auto box = std::make_unique<MsgBox>(parent);
    box->setMessage(text);
    box->setTitle(title);
    box->setOkVisible(false);
    const QPoint pos = placeBox(parent, box.get());
    if (state().enabled) {
        state().shown.append({ Notice, title, text, pos });
        return nullptr;
    }
    // Painted now: the caller goes on blocking the event loop in steps.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return box;
}

void MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    if (state().enabled) {
        state().shown.append({ StandardInformation, title, text, QPoint() });
        return;
    }
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void MessageBox::warning(QWidget* parent, const QString& title, const QString& text)
{
    if (state().enabled) {
        state().shown.append({ StandardWarning, title, text, QPoint() });
        return;
    }
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

void MessageBox::setTestMode(bool enabled)
{
    state().enabled = enabled;
}

bool MessageBox::testMode()
{
    return state().enabled;
}

void MessageBox::setNextAnswer(int answer)
{
    state().answers.enqueue(answer);
}

QList<MessageBox::Record> MessageBox::shown()
{
    return state().shown;
}

MessageBox::Record MessageBox::last()
{
    return state().shown.isEmpty() ? Record { Message, QString(), QString(), QPoint() }
                                   : state().shown.last();
}

void MessageBox::clear()
{
    state().shown.clear();
    state().answers.clear();
}
