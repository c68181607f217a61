#pragma once

#include <QList>
#include <QString>

class QPrinter;
class QWidget;

// Every print question of the station goes through here. In test mode nothing
// is shown: each request is recorded and answered with the next queued file,
// the printer then set to write a PDF there (an empty name, or none queued,
// is a cancel).
class PrintDialog
{
public:
    // True when the operator chose a printer and pressed print.
    static bool exec(QWidget* parent, QPrinter& printer);

    static void setTestMode(bool enabled);
    static void setNextFileName(const QString& name);
    // The document names asked for, oldest first.
    static QList<QString> requests();
    static void clear();
};
