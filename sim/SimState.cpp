#include "SimState.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QTemporaryDir>
#include <QtDebug>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QByteArray DefaultCheckCode = QByteArray::fromHex("5645C0DE0001");

QMutex& pathMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& chosenPath()
{
    static QString path;
    return path;
}

// Test processes get a reader of their own unless told otherwise; the
// temporary folder goes away with the process.
QString temporaryStatePath()
{
    static std::unique_ptr<QTemporaryDir> dir;
    static int serial = 0;
    if (!dir)
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/veloka-sim-XXXXXX"));
    return dir->filePath(QStringLiteral("reader-%1.json").arg(++serial));
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray unhex(const QJsonValue& value, int size)
{
    QByteArray bytes = QByteArray::fromHex(value.toString().toLatin1());
    bytes.resize(size);
    return bytes;
}

const char* const FaultKinds[]
    = { "noAnswer", "corruptChecksum", "forcedStatus", "lostWrite", "removeCard", "unplug" };

QJsonObject faultToJson(const VirtualReader::Fault& fault)
{
    return QJsonObject { { "kind", QLatin1String(FaultKinds[fault.kind]) },
        { "afterFrames", fault.afterFrames }, { "times", fault.times }, { "command", fault.command },
        { "block", fault.block }, { "status", fault.status } };
}

bool faultFromJson(const QJsonObject& object, VirtualReader::Fault& fault)
{
    const QString kind = object.value("kind").toString();
    int index = 0;
    for (const char* name : FaultKinds) {
        if (kind == QLatin1String(name))
            break;
        ++index;
    }
    if (index == int(std::size(FaultKinds)))
        return false;
    fault.kind = VirtualReader::Fault::Kind(index);
    fault.afterFrames = object.value("afterFrames").toInt();
    fault.times = object.value("times").toInt(1);
    fault.command = object.value("command").toInt(-1);
    fault.block = object.value("block").toInt(-1);
    fault.status = quint8(object.value("status").toInt());
    return true;
}

} // namespace

SimState::SimState()
    : checkCode(DefaultCheckCode)
    , infoExtra(7, '\0')
    , cardParam(16, '\0')
    , data7(7, '\0')
    , memory(VirtualReader::DeviceMemorySize, '\0')
{
}

int SimState::cardIndex(const QByteArray& uid) const
{
    for (int i = 0; i < cards.size(); ++i) {
        if (cards[i].uid == uid)
            return i;
    }
    return -1;
}

SimCard* SimState::presentCard()
{
    if (cardOnReader.isEmpty())
        return nullptr;
    const int i = cardIndex(cardOnReader);
    return i < 0 ? nullptr : &cards[i];
}

void SimState::unplug()
{
    unplugged = true;
    pendingResponse.clear();
    reenumerateAfterRead = false;
    ++generation;
}

namespace SimStore {

QString path()
{
    QMutexLocker locker(&pathMutex());
    if (!chosenPath().isEmpty())
        return chosenPath();
    const QString env = qEnvironmentVariable("VELOKA_SIM_STATE");
    if (!env.isEmpty())
        return env;
#ifdef VELOKA_SIM_PRELOAD
    chosenPath() = QStringLiteral("./virtual-reader.json");
#else
    chosenPath() = temporaryStatePath();
#endif
    return chosenPath();
}

void setPath(const QString& path)
{
    QMutexLocker locker(&pathMutex());
    chosenPath() = path;
}

void useTemporaryPath()
{
    QMutexLocker locker(&pathMutex());
    chosenPath() = temporaryStatePath();
}

Locked::Locked(Access access)
    : m_access(access)
    , m_path(path())
{
    // A lock file beside the state lets the state itself be replaced by a
    // rename, so a reader killed mid-write never leaves half a file.
    const QByteArray lockPath = QFile::encodeName(m_path + QStringLiteral(".lock"));
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_lockFd < 0)
        qWarning("virtual reader: cannot open lock file %s", lockPath.constData());
    else
        while (::flock(m_lockFd, LOCK_EX) != 0 && errno == EINTR) { }

    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        if (!fromJson(file.readAll(), m_state)) {
            qWarning("virtual reader: unreadable state file %s, starting fresh", qPrintable(m_path));
            m_state = SimState();
        }
    }
}

Locked::~Locked()
{
    if (m_access == ReadWrite) {
        const QString temporary = m_path + QStringLiteral(".tmp");
        QFile file(temporary);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(toJson(m_state)) >= 0
            && file.flush()) {
            file.close();
            if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData())
                != 0)
                qWarning("virtual reader: cannot replace %s", qPrintable(m_path));
        } else {
            qWarning("virtual reader: cannot write %s", qPrintable(temporary));
        }
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd); // releases the flock
}

QByteArray toJson(const SimState& s)
{
    QJsonArray versions;
    for (quint16 v : s.usedChargeVersions)
        versions.append(int(v));
    const QJsonObject reader { { "mode", s.mode }, { "serial", s.serial }, { "checkCode", hex(s.checkCode) },
        { "infoExtra", hex(s.infoExtra) }, { "balance", qint64(s.balance) },
        { "firmwareVersion", s.firmwareVersion }, { "cardParam", hex(s.cardParam) },
        { "data7", hex(s.data7) }, { "memory", hex(s.memory) }, { "usedChargeVersions", versions } };

    QJsonArray cards;
    for (const SimCard& card : s.cards) {
        QJsonArray blocks;
        for (int b = 0; b < VirtualReader::BlockCount; ++b)
            blocks.append(hex(card.blocks.mid(b * VirtualReader::BlockSize, VirtualReader::BlockSize)));
        cards.append(QJsonObject { { "uid", hex(card.uid) }, { "blocks", blocks } });
    }

    const QJsonObject device { { "unplugged", s.unplugged }, { "refuseOpens", s.refuseOpens },
        { "upgradeOpenRefusals", s.upgradeOpenRefusals }, { "generation", qint64(s.generation) },
        { "pendingResponse", hex(s.pendingResponse) }, { "reenumerateAfterRead", s.reenumerateAfterRead } };
    const QJsonObject upgrade { { "active", s.upgrading }, { "announcedPackets", s.announcedPackets },
        { "nextPacket", s.nextPacket }, { "image", hex(s.firmware) }, { "complete", s.firmwareComplete } };
    const QJsonObject delays { { "lookupMs", s.delays.lookupMs }, { "reportMs", s.delays.reportMs },
        { "noAnswerMs", s.delays.noAnswerMs } };
    QJsonArray faults;
    for (const VirtualReader::Fault& fault : s.faults)
        faults.append(faultToJson(fault));
    const QJsonObject counters { { "reportsWritten", s.counters.reportsWritten },
        { "reportsRead", s.counters.reportsRead }, { "lookups", s.counters.lookups },
        { "opens", s.counters.opens }, { "failedOpens", s.counters.failedOpens } };

    const QJsonObject root { { "reader", reader }, { "cards", cards },
        { "cardOnReader", s.cardOnReader.isEmpty() ? QJsonValue() : QJsonValue(hex(s.cardOnReader)) },
        { "device", device }, { "upgrade", upgrade }, { "delays", delays }, { "faults", faults },
        { "counters", counters } };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool fromJson(const QByteArray& json, SimState& s)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();

    const QJsonObject reader = root.value("reader").toObject();
    s.mode = quint8(reader.value("mode").toInt(s.mode));
    s.serial = quint16(reader.value("serial").toInt(s.serial));
    s.checkCode = unhex(reader.value("checkCode"), 6);
    s.infoExtra = unhex(reader.value("infoExtra"), 7);
    s.balance = quint32(reader.value("balance").toDouble(s.balance));
    s.firmwareVersion = quint16(reader.value("firmwareVersion").toInt(s.firmwareVersion));
    s.cardParam = unhex(reader.value("cardParam"), 16);
    s.data7 = unhex(reader.value("data7"), 7);
    s.memory = unhex(reader.value("memory"), VirtualReader::DeviceMemorySize);
    s.usedChargeVersions.clear();
    for (const QJsonValue& v : reader.value("usedChargeVersions").toArray())
        s.usedChargeVersions.append(quint16(v.toInt()));

    s.cards.clear();
    for (const QJsonValue& value : root.value("cards").toArray()) {
        const QJsonObject object = value.toObject();
        SimCard card;
        card.uid = unhex(object.value("uid"), 4);
        const QJsonArray blocks = object.value("blocks").toArray();
        for (int b = 0; b < VirtualReader::BlockCount; ++b)
            card.blocks += unhex(blocks.at(b), VirtualReader::BlockSize);
        s.cards.append(card);
    }
    const QJsonValue onReader = root.value("cardOnReader");
    s.cardOnReader = onReader.isString() ? unhex(onReader, 4) : QByteArray();

    const QJsonObject device = root.value("device").toObject();
    s.unplugged = device.value("unplugged").toBool();
    s.refuseOpens = device.value("refuseOpens").toInt();
    s.upgradeOpenRefusals = device.value("upgradeOpenRefusals").toInt(s.upgradeOpenRefusals);
    s.generation = quint32(device.value("generation").toDouble());
    s.pendingResponse = QByteArray::fromHex(device.value("pendingResponse").toString().toLatin1());
    s.reenumerateAfterRead = device.value("reenumerateAfterRead").toBool();

    const QJsonObject upgrade = root.value("upgrade").toObject();
    s.upgrading = upgrade.value("active").toBool();
    s.announcedPackets = quint16(upgrade.value("announcedPackets").toInt());
    s.nextPacket = quint16(upgrade.value("nextPacket").toInt());
    s.firmware = QByteArray::fromHex(upgrade.value("image").toString().toLatin1());
    s.firmwareComplete = upgrade.value("complete").toBool();

    const QJsonObject delays = root.value("delays").toObject();
    s.delays.lookupMs = delays.value("lookupMs").toInt();
    s.delays.reportMs = delays.value("reportMs").toInt();
    s.delays.noAnswerMs = delays.value("noAnswerMs").toInt();

    s.faults.clear();
    for (const QJsonValue& value : root.value("faults").toArray()) {
        VirtualReader::Fault fault;
        if (faultFromJson(value.toObject(), fault))
            s.faults.append(fault);
    }

    const QJsonObject counters = root.value("counters").toObject();
    s.counters.reportsWritten = qint64(counters.value("reportsWritten").toDouble());
    s.counters.reportsRead = qint64(counters.value("reportsRead").toDouble());
    s.counters.lookups = qint64(counters.value("lookups").toDouble());
    s.counters.opens = qint64(counters.value("opens").toDouble());
    s.counters.failedOpens = qint64(counters.value("failedOpens").toDouble());
    return true;
}

} // namespace SimStore
