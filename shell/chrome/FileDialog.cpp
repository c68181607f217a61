#include "FileDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace {

struct TestState
{
    bool enabled = false;
    QQueue<QString> names;
    QList<FileDialog::Request> requests;
};

TestState& state()
{
    static TestState s;
    return s;
}

// Records the question and answers it from the queue; an empty queue cancels.
QString answer(FileDialog::Kind kind, const QString& caption, const QString& directory, const QString& filter)
{
    state().requests.append({ kind, caption, directory, filter });
    return state().names.isEmpty() ? QString() : state().names.dequeue();
}

} // namespace

QString FileDialog::getOpenFileName(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
{
    if (state().enabled)
        return answer(Open, caption, directory, filter);
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString FileDialog::getSaveFileName(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
{
    if (state().enabled)
        return answer(Save, caption, directory, filter);
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory)
{
    if (state().enabled)
        return answer(Folder, caption, directory, QString());
    return QFileDialog::getExistingDirectory(parent, caption, directory, QFileDialog::ShowDirsOnly);
}

void FileDialog::setTestMode(bool enabled)
{
    state().enabled = enabled;
}

void FileDialog::setNextFileName(const QString& name)
{
    state().names.enqueue(name);
}

QList<FileDialog::Request> FileDialog::requests()
{
    return state().requests;
}

void FileDialog::clear()
{
    state().requests.clear();
    state().names.clear();
}
