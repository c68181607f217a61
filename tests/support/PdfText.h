#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>

// Reads a PDF back with poppler-utils (the writer compresses its pages, so
// the text is not in the file as such). Empty when the tool is missing.
namespace PdfText {

inline bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString text(const QString& path)
{
    return run(QStringLiteral("pdftotext"),
        { QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-") });
}

// -1 when the file does not open as a PDF.
inline int pages(const QString& path)
{
    for (const QString& line : run(QStringLiteral("pdfinfo"), { path }).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

} // namespace PdfText
