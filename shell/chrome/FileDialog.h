#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every open, save and folder question of the station goes through here. In
// test mode nothing is shown: each request is recorded and answered with the
// next queued name (an empty name is a cancel).
class FileDialog
{
public:
    enum Kind { Open, Save, Folder };
    struct Request
    {
        Kind kind;
        QString caption;
        QString directory;
        QString filter;
    };

    static QString getOpenFileName(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter);
    static QString getSaveFileName(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter);
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory);

    static void setTestMode(bool enabled);
    static void setNextFileName(const QString& name);
    static QList<Request> requests();
    static void clear();
};
