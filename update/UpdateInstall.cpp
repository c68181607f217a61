#include "UpdateInstall.h"

#include "ProgramLauncher.h"
#include "UpdateText.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace UpdateInstall {

namespace {
const QString TmpSuffix = QStringLiteral("_tmp");
// The old file during the install, kept until every file of the set is in place.
const QString BackupSuffix = QStringLiteral("_old");

QString backupName(const QString& fileName)
{
    return fileName + BackupSuffix;
}

// Present as a file or as a link, even one whose target is gone.
bool isPresent(const QFileInfo& info)
{
    return info.exists() || info.isSymLink();
}

// Programs must stay executable: whoever may read the file may run it.
QFileDevice::Permissions executable(QFileDevice::Permissions mode)
{
    if (mode & QFileDevice::ReadOwner)
        mode |= QFileDevice::ExeOwner;
    if (mode & QFileDevice::ReadUser)
        mode |= QFileDevice::ExeUser;
    if (mode & QFileDevice::ReadGroup)
        mode |= QFileDevice::ExeGroup;
    if (mode & QFileDevice::ReadOther)
        mode |= QFileDevice::ExeOther;
    return mode;
}

// A second name for the old file, so it can be put back in one step. A hard
// link keeps a link to the installed program a link and costs no copy.
bool keepBackup(const QString& fileName)
{
    const QString backup = backupName(fileName);
    if (QFileInfo(backup).isSymLink() || QFile::exists(backup))
        QFile::remove(backup);
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(fileName).constData(), QFile::encodeName(backup).constData()) == 0;
#else
    return QFile::copy(fileName, backup);
#endif
}

struct Step
{
    QString fileName;
    bool hadOld;
};

void rollBack(const QList<Step>& done)
{
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        const bool restored
            = it->hadOld ? replaceFile(backupName(it->fileName), it->fileName) : QFile::remove(it->fileName);
        if (!restored)
            qDebug() << "cannot put back" << it->fileName;
    }
}

quint64 readUnsigned(const QByteArray& data, int offset, int size, bool bigEndian)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | static_cast<uchar>(data.at(offset + (bigEndian ? i : size - 1 - i)));
    return value;
}

#ifndef Q_OS_WIN
bool tableFits(quint64 offset, quint64 entrySize, quint64 count, quint64 fileSize)
{
    return count == 0 || (offset <= fileSize && entrySize * count <= fileSize - offset);
}

// The program and section header tables must lie within the file; the
// section table is normally the last thing a linker writes.
bool isCompleteElf(QFile& file)
{
    const QByteArray head = file.read(64);
    if (head.size() < 52
        || !head.startsWith("\x7f"
                            "ELF"))
        return false;
    const bool wide = head.at(4) == 2;
    const bool bigEndian = head.at(5) == 2;
    if ((!wide && head.at(4) != 1) || (!bigEndian && head.at(5) != 1) || (wide && head.size() < 64))
        return false;
    const int width = wide ? 8 : 4;
    const int tableOffsets = wide ? 0x20 : 0x1C;
    const int tableSizes = tableOffsets + 2 * width + 6;
    const quint64 programTable = readUnsigned(head, tableOffsets, width, bigEndian);
    const quint64 sectionTable = readUnsigned(head, tableOffsets + width, width, bigEndian);
    const quint64 programEntry = readUnsigned(head, tableSizes, 2, bigEndian);
    const quint64 programCount = readUnsigned(head, tableSizes + 2, 2, bigEndian);
    const quint64 sectionEntry = readUnsigned(head, tableSizes + 4, 2, bigEndian);
    const quint64 sectionCount = readUnsigned(head, tableSizes + 6, 2, bigEndian);
    const quint64 size = static_cast<quint64>(file.size());
    return programCount > 0 && tableFits(programTable, programEntry, programCount, size)
        && tableFits(sectionTable, sectionEntry, sectionCount, size);
}
#else
bool isPeImage(QFile& file)
{
    const QByteArray dos = file.read(64);
    if (dos.size() < 64 || !dos.startsWith("MZ"))
        return false;
    return file.seek(static_cast<qint64>(readUnsigned(dos, 0x3C, 4, false)))
        && file.read(4) == QByteArray("PE\0\0", 4);
}
#endif

Result failed(Outcome outcome, const QString& fileName, const QStringList& fileNames)
{
    discardSet(fileNames);
    return { outcome, fileName };
}
} // namespace

QString temporaryName(const QString& fileName)
{
    return fileName + TmpSuffix;
}

bool isProgramFile(const QString& fileName)
{
    return fileName == ProgramLauncher::stationProgramName()
        || fileName == ProgramLauncher::updaterProgramName();
}

ListVerdict checkList(const QStringList& addresses, QStringList& localNames, QString& refused)
{
    localNames.clear();
    for (const QString& address : addresses) {
        const QString localName = UpdateText::localFileName(address);
        if (localName.isEmpty()) {
            refused = address;
            return ListVerdict::AddressRefused;
        }
        const QString bareName = UpdateText::safeFileName(QUrl(address));
        if (!isProgramFile(bareName)) {
            refused = bareName;
            return ListVerdict::NotProgramFile;
        }
        localNames << localName;
    }
    return ListVerdict::Accepted;
}

bool isCompleteProgram(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
#ifdef Q_OS_WIN
    return isPeImage(file);
#else
    return isCompleteElf(file);
#endif
}

bool replaceFile(const QString& from, const QString& to)
{
    // rename() replaces an existing target atomically; QFile::rename would
    // refuse an existing target and invite a delete first.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

Result installSet(const QStringList& fileNames)
{
    QStringList names = fileNames;
    names.removeDuplicates();

    // Checked before anything changes, so a missing file costs nothing.
    for (const QString& name : qAsConst(names)) {
        const QFileInfo copy(temporaryName(name));
        if (!copy.isFile() || copy.isSymLink())
            return failed(Outcome::Missing, name, names);
        if (isProgramFile(QFileInfo(name).fileName()) && !isCompleteProgram(copy.filePath()))
            return failed(Outcome::NotAProgram, name, names);
        if (QFileInfo(name).isDir())
            return failed(Outcome::ReplaceFailed, name, names);
    }

    QList<Step> done;
    for (const QString& name : qAsConst(names)) {
        const QString copy = temporaryName(name);
        const bool hadOld = isPresent(QFileInfo(name));
        // The mode of the file replaced; a link's target decides for a link.
        QFileDevice::Permissions mode = hadOld ? QFile::permissions(name) : QFileDevice::Permissions();
        if (!(mode & QFileDevice::ReadOwner))
            mode = QFile::permissions(copy);
        bool ok = QFile::setPermissions(copy, executable(mode));
        ok = ok && (!hadOld || keepBackup(name));
        if (ok && !replaceFile(copy, name)) {
            if (hadOld)
                QFile::remove(backupName(name));
            ok = false;
        }
        if (!ok) {
            qDebug() << "cannot install" << name;
            rollBack(done);
            return failed(Outcome::ReplaceFailed, name, names);
        }
        done << Step { name, hadOld };
    }
    for (const Step& step : qAsConst(done)) {
        if (step.hadOld)
            QFile::remove(backupName(step.fileName));
    }
    return {};
}

void discardSet(const QStringList& fileNames)
{
    for (const QString& name : fileNames) {
        const QString copy = temporaryName(name);
        if (QFileInfo(copy).isSymLink() || QFile::exists(copy))
            QFile::remove(copy);
    }
}

} // namespace UpdateInstall
