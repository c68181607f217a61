#include "DatabaseBackup.h"

#include "Database.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cstdio>

namespace DatabaseBackup {

QString targetPath(const QString& folder)
{
    return folder + QLatin1Char('/') + kDatabaseFileName;
}

Outcome copy(const QString& source, const QString& target)
{
    const QFileInfo from(source);
    const QFileInfo to(target);
    // Replacing the target would delete the live database itself.
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath())
        return Outcome::SameFile;

    const QString partial = to.absolutePath() + QStringLiteral("/.")
        + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".db.part");
    if (!QFile::copy(source, partial)) {
        qDebug() << "backup copy failed" << source << partial;
        QFile::remove(partial);
        return Outcome::CopyFailed;
    }
    if (std::rename(
            QFile::encodeName(partial).constData(), QFile::encodeName(to.absoluteFilePath()).constData())
        != 0) {
        QFile::remove(partial);
        return Outcome::CopyFailed;
    }
    return Outcome::Copied;
}

} // namespace DatabaseBackup
