#include "PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QQueue>

namespace {

struct TestState
{
    bool enabled = false;
    QQueue<QString> names;
    QList<QString> requests;
};

TestState& state()
{
    static TestState s;
    return s;
}

} // namespace

bool PrintDialog::exec(QWidget* parent, QPrinter& printer)
{
    if (state().enabled) {
        state().requests.append(printer.docName());
        const QString name = state().names.isEmpty() ? QString() : state().names.dequeue();
        if (name.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(name);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::setTestMode(bool enabled)
{
    state().enabled = enabled;
}

void PrintDialog::setNextFileName(const QString& name)
{
    state().names.enqueue(name);
}

QList<QString> PrintDialog::requests()
{
    return state().requests;
}

void PrintDialog::clear()
{
    state().requests.clear();
    state().names.clear();
}
