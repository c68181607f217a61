#pragma once

#include <QList>
#include <QPoint>
#include <QString>

class QWidget;

// Every modal message of the station goes through here. In test mode nothing
// blocks: each call is recorded and answered from a queue (default: OK).
class MessageBox
{
public:
    enum Kind { Message, Info, StandardInformation, StandardWarning };
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
    // The platform's own boxes with one OK button.
    static void information(QWidget* parent, const QString& title, const QString& text);
    static void warning(QWidget* parent, const QString& title, const QString& text);

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
