#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

class QWidget;

// Every modal message of the station goes through here. In test mode nothing
// blocks: each call is recorded and answered from a queue (default: OK). The
// frameless box is still built, laid out and placed, so its position is
// recorded; information/warning return nothing and take no answer.
class MessageBox
{
public:
    enum Kind { Message, Info, StandardInformation, StandardWarning, Notice };
    struct Record
    {
        Kind kind;
        QString title;
        QString text;
        QPoint position; // where the frameless box was placed (Message, Info)
    };

    // The frameless station box: 1 when its OK button was pressed, 0 otherwise.
    static int showMessage(QWidget* parent, const QString& title, const QString& text);
    static int showInfo(QWidget* parent, const QString& text);
    // A box without a button that stays up, not blocking, while the caller
    // waits for something; it goes with the returned widget (none in test mode).
    static std::unique_ptr<QWidget> showNotice(QWidget* parent, const QString& title, const QString& text);
    // The platform's own boxes with one OK button.
    static void information(QWidget* parent, const QString& title, const QString& text);
    static void warning(QWidget* parent, const QString& title, const QString& text);

    // Where the frameless box goes: half-way across its parent and one box
    // height above the parent's middle, from the parent's on-screen top-left;
    // centred on the screen's free area when there is no parent (null rect).
    static QPoint boxPosition(const QRect& parentGlobal, const QSize& box, const QRect& screenAvailable);

    static void setTestMode(bool enabled);
    static bool testMode();
    static void setNextAnswer(int answer);
    static QList<Record> shown();
    static Record last();
    static void clear();
};

inline int showMessage(QWidget* parent, const QString& title, const QString& text)
{
    return MessageBox::showMessage(parent, title, text);
}

inline int showInfo(QWidget* parent, const QString& text)
{
    return MessageBox::showInfo(parent, text);
}
