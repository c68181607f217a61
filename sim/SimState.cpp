#include "SimState.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QTemporaryDir>
#include <QVector>
#include <QtDebug>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
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

// Writes JSON as QJsonDocument::Indented does (four spaces a level) straight
// into one buffer: a save is on the path of every report that changes the
// reader, and building a document first costs more than the save itself.
class JsonWriter
{
public:
    void beginObject(const char* key = nullptr) { begin(key, '{'); }
    void endObject() { end('}'); }
    void beginArray(const char* key = nullptr) { begin(key, '['); }
    void endArray() { end(']'); }
    void number(const char* key, qint64 value)
    {
        item(key);
        m_out += QByteArray::number(value);
    }
    void boolean(const char* key, bool value)
    {
        item(key);
        m_out += value ? "true" : "false";
    }
    void null(const char* key)
    {
        item(key);
        m_out += "null";
    }
    // Plain ASCII names only: nothing is escaped.
    void text(const char* key, const char* value)
    {
        item(key);
        m_out += '"';
        m_out += value;
        m_out += '"';
    }
    void hex(const char* key, const QByteArray& bytes)
    {
        static const char digits[] = "0123456789ABCDEF";
        item(key);
        const int at = m_out.size();
        m_out.resize(at + 2 + 2 * bytes.size());
        char* p = m_out.data() + at;
        *p++ = '"';
        for (const char c : bytes) {
            *p++ = digits[quint8(c) >> 4];
            *p++ = digits[quint8(c) & 0xF];
        }
        *p = '"';
    }
    QByteArray finish()
    {
        m_out += '\n';
        return m_out;
    }

private:
    void item(const char* key)
    {
        if (!m_empty.isEmpty()) {
            if (!m_empty.back())
                m_out += ",\n";
            m_empty.back() = false;
            indent();
        }
        if (key) {
            m_out += '"';
            m_out += key;
            m_out += "\": ";
        }
    }
    void begin(const char* key, char bracket)
    {
        item(key);
        m_out += bracket;
        m_out += '\n';
        m_empty.append(true);
    }
    void end(char bracket)
    {
        if (!m_empty.takeLast())
            m_out += '\n';
        indent();
        m_out += bracket;
    }
    void indent() { m_out.append(4 * m_empty.size(), ' '); }

    QByteArray m_out;
    QVector<bool> m_empty; // per open level: nothing written in it yet
};

QByteArray unhex(const QJsonValue& value, int size)
{
    QByteArray bytes = QByteArray::fromHex(value.toString().toLatin1());
    bytes.resize(size);
    return bytes;
}

const char* const FaultKinds[]
    = { "noAnswer", "corruptChecksum", "forcedStatus", "lostWrite", "removeCard", "unplug", "swapCard" };

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
    fault.card = quint32(object.value("card").toDouble());
    return true;
}

bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    return a.isSharedWith(b) || a == b;
}

bool sameFault(const VirtualReader::Fault& a, const VirtualReader::Fault& b)
{
    return a.kind == b.kind && a.afterFrames == b.afterFrames && a.times == b.times && a.command == b.command
        && a.block == b.block && a.status == b.status && a.card == b.card;
}

bool sameCounters(const VirtualReader::Counters& a, const VirtualReader::Counters& b)
{
    return a.reportsWritten == b.reportsWritten && a.reportsRead == b.reportsRead && a.lookups == b.lookups
        && a.opens == b.opens && a.failedOpens == b.failedOpens;
}

// What tells one state file from the next: every save renames a new file
// into place, and a hand edit changes the time at least.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no file
    qint64 mtimeSec = 0;
    qint64 mtimeNsec = 0;

    bool operator==(const FileId& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && mtimeSec == o.mtimeSec
            && mtimeNsec == o.mtimeNsec;
    }
    bool operator!=(const FileId& o) const { return !(*this == o); }
};

FileId fileIdOf(const QByteArray& path)
{
    FileId id;
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.mtimeSec = qint64(st.st_mtim.tv_sec);
    id.mtimeNsec = qint64(st.st_mtim.tv_nsec);
    return id;
}

// The lock file carries what changes with nearly every report, so the state
// file is saved only when the reader itself changes. `version` goes up with
// every save and keys each process's parsed copy (inode numbers come back
// and file times are coarse, so the file's identity alone is not enough);
// `file` is the identity that save left, so a file put there any other way
// is noticed; `busEpoch` goes up whenever the device loses the response it
// holds (unplug, re-enumeration, reset, a replaced file).
struct LockHeader
{
    quint32 magic = 0;
    quint32 size = 0;
    quint64 version = 0;
    quint64 busEpoch = 0;
    FileId file;
    qint64 counters[5] = {};
};

constexpr quint32 LockMagic = 0x4B4C5356;

bool readHeader(int fd, LockHeader& header)
{
    return fd >= 0 && ::pread(fd, &header, sizeof header, 0) == ssize_t(sizeof header)
        && header.magic == LockMagic && header.size == sizeof header;
}

void writeHeader(int fd, LockHeader& header)
{
    header.magic = LockMagic;
    header.size = sizeof header;
    if (fd >= 0 && ::pwrite(fd, &header, sizeof header, 0) != ssize_t(sizeof header))
        qWarning("virtual reader: cannot write the lock file");
}

VirtualReader::Counters countersOf(const LockHeader& h)
{
    VirtualReader::Counters n;
    n.reportsWritten = h.counters[0];
    n.reportsRead = h.counters[1];
    n.lookups = h.counters[2];
    n.opens = h.counters[3];
    n.failedOpens = h.counters[4];
    return n;
}

void setCounters(LockHeader& h, const VirtualReader::Counters& n)
{
    h.counters[0] = n.reportsWritten;
    h.counters[1] = n.reportsRead;
    h.counters[2] = n.lookups;
    h.counters[3] = n.opens;
    h.counters[4] = n.failedOpens;
}

struct WaitingResponse
{
    quint64 busEpoch = 0;
    QByteArray report;
};

// The process's side of the store, touched only by the holder of the lock.
// The lock file stays open: the lock is a flock on it, taken and released.
struct Store
{
    QMutex mutex; // threads of this process; the flock keeps other processes out
    QString path;
    QByteArray statePath;
    QByteArray lockPath;
    int lockFd = -1;
    LockHeader header;
    bool headerChanged = false;

    bool cached = false;
    quint64 cachedVersion = 0;
    FileId cachedFile;
    SimState state;

    // Responses waiting to be read, per state file.
    QHash<QString, WaitingResponse> responses;
};

Store& store()
{
    static Store* s = new Store; // lives until exit: hidapi calls may come from static destructors
    return *s;
}

void closeLockFile(Store& s)
{
    if (s.lockFd >= 0)
        ::close(s.lockFd);
    s.lockFd = -1;
}

// Opens the lock file when needed and takes the lock. A lock file that was
// removed or replaced since it was opened is opened anew, so every process
// locks the same file.
void lockStore(Store& s)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (s.lockFd < 0) {
            s.lockFd = ::open(s.lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (s.lockFd < 0) {
                qWarning("virtual reader: cannot open lock file %s", s.lockPath.constData());
                return;
            }
        }
        while (::flock(s.lockFd, LOCK_EX) != 0 && errno == EINTR) { }
        struct stat held, named;
        if (::fstat(s.lockFd, &held) == 0 && ::stat(s.lockPath.constData(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return;
        closeLockFile(s);
    }
}

void loadState(Store& s)
{
    s.state = SimState();
    QFile file(s.path);
    if (file.open(QIODevice::ReadOnly) && !SimStore::fromJson(file.readAll(), s.state)) {
        qWarning("virtual reader: unreadable state file %s, starting fresh", qPrintable(s.path));
        s.state = SimState();
    }
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// The new state goes to a fresh file that then takes the old one's place, so
// nobody ever reads half a state. Swapping the two and removing the old one
// spares the disk write some file systems force on a rename over an existing
// file; where swapping is not supported a plain rename does.
bool saveState(Store& s)
{
    const QByteArray temporary = s.statePath + ".tmp";
    ::unlink(temporary.constData()); // a leftover would be truncated, which flushes it too
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || !writeAll(fd, SimStore::toJson(s.state))) {
        if (fd >= 0)
            ::close(fd);
        qWarning("virtual reader: cannot write %s", temporary.constData());
        return false;
    }
    ::close(fd);
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, s.statePath.constData(), RENAME_EXCHANGE)
        == 0) {
        ::unlink(temporary.constData());
        return true;
    }
    if (::rename(temporary.constData(), s.statePath.constData()) != 0) {
        qWarning("virtual reader: cannot replace %s", qPrintable(s.path));
        return false;
    }
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

bool SimState::sameSharedState(const SimState& o) const
{
    if (!(mode == o.mode && serial == o.serial && sameBytes(checkCode, o.checkCode)
            && sameBytes(infoExtra, o.infoExtra) && balance == o.balance
            && firmwareVersion == o.firmwareVersion && sameBytes(cardParam, o.cardParam)
            && sameBytes(data7, o.data7) && sameBytes(memory, o.memory)
            && usedChargeVersions == o.usedChargeVersions && sameBytes(cardOnReader, o.cardOnReader)
            && unplugged == o.unplugged && refuseOpens == o.refuseOpens
            && upgradeOpenRefusals == o.upgradeOpenRefusals && generation == o.generation
            && reenumerateAfterRead == o.reenumerateAfterRead && upgrading == o.upgrading
            && announcedPackets == o.announcedPackets && nextPacket == o.nextPacket
            && sameBytes(firmware, o.firmware) && firmwareComplete == o.firmwareComplete
            && delays.lookupMs == o.delays.lookupMs && delays.reportMs == o.delays.reportMs
            && delays.noAnswerMs == o.delays.noAnswerMs && cards.size() == o.cards.size()
            && faults.size() == o.faults.size()))
        return false;
    for (int i = 0; i < cards.size(); ++i) {
        if (!sameBytes(cards[i].uid, o.cards[i].uid) || !sameBytes(cards[i].blocks, o.cards[i].blocks))
            return false;
    }
    for (int i = 0; i < faults.size(); ++i) {
        if (!sameFault(faults[i], o.faults[i]))
            return false;
    }
    return true;
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
{
    Store& s = store();
    s.mutex.lock();
    const QString current = path();
    if (current != s.path) {
        closeLockFile(s);
        s.path = current;
        s.statePath = QFile::encodeName(current);
        // A lock file beside the state lets the state itself be replaced by a
        // rename, so a reader killed mid-write never leaves half a file.
        s.lockPath = QFile::encodeName(current + QStringLiteral(".lock"));
        s.cached = false;
    }
    lockStore(s);

    s.headerChanged = false;
    const bool headerRead = readHeader(s.lockFd, s.header);
    if (!headerRead)
        s.header = LockHeader();
    const FileId file = fileIdOf(s.statePath);
    // The header speaks for the file only when its last save put it there.
    const bool saved = headerRead && s.header.file == file;
    if (!saved || !s.cached || s.cachedVersion != s.header.version || s.cachedFile != file) {
        loadState(s);
        s.cached = s.lockFd >= 0;
        s.cachedFile = file;
        if (!saved) {
            // Deleted, replaced or edited by hand: this file is the reader now,
            // counters included, and a response waiting anywhere is gone.
            ++s.header.version;
            ++s.header.busEpoch;
            s.header.file = file;
            setCounters(s.header, s.state.counters);
            s.headerChanged = true;
        }
        s.cachedVersion = s.header.version;
    }
    if (s.lockFd >= 0)
        s.state.counters = countersOf(s.header);

    const auto waiting = s.responses.constFind(s.path);
    s.state.pendingResponse = waiting != s.responses.cend() && waiting->busEpoch == s.header.busEpoch
        ? waiting->report
        : QByteArray();

    m_state = &s.state;
    if (m_access == ReadWrite)
        m_before = s.state;
}

void Locked::resetDevice()
{
    *m_state = SimState();
    m_busReset = true;
}

void Locked::discard()
{
    if (m_access == ReadWrite)
        *m_state = m_before;
    m_access = ReadOnly;
    m_busReset = false;
}

Locked::~Locked()
{
    Store& s = store();
    if (m_access == ReadWrite) {
        const bool countersChanged = !sameCounters(s.state.counters, m_before.counters);
        if (m_busReset || s.state.generation != m_before.generation) {
            ++s.header.busEpoch;
            s.headerChanged = true;
        }
        // Without a lock file there is nowhere else to keep the counters.
        if (!s.state.sameSharedState(m_before) || (s.lockFd < 0 && countersChanged)) {
            if (saveState(s)) {
                ++s.header.version;
                s.header.file = fileIdOf(s.statePath);
                s.cachedVersion = s.header.version;
                s.cachedFile = s.header.file;
            } else {
                s.cached = false; // the file keeps the old state: read it again
            }
            s.headerChanged = true;
        }
        if (countersChanged) {
            setCounters(s.header, s.state.counters);
            s.headerChanged = true;
        }
        if (s.state.pendingResponse.isEmpty())
            s.responses.remove(s.path);
        else
            s.responses.insert(s.path, WaitingResponse { s.header.busEpoch, s.state.pendingResponse });
    }
    if (s.lockFd >= 0) {
        if (s.headerChanged)
            writeHeader(s.lockFd, s.header);
        ::flock(s.lockFd, LOCK_UN);
    }
    s.mutex.unlock();
}

QByteArray toJson(const SimState& s)
{
    // Keys in the order QJsonObject keeps them (sorted), so the text is the
    // one QJsonDocument writes.
    JsonWriter w;
    w.beginObject();
    if (s.cardOnReader.isEmpty())
        w.null("cardOnReader");
    else
        w.hex("cardOnReader", s.cardOnReader);
    w.beginArray("cards");
    for (const SimCard& card : s.cards) {
        w.beginObject();
        w.beginArray("blocks");
        for (int b = 0; b < VirtualReader::BlockCount; ++b)
            w.hex(nullptr, card.blocks.mid(b * VirtualReader::BlockSize, VirtualReader::BlockSize));
        w.endArray();
        w.hex("uid", card.uid);
        w.endObject();
    }
    w.endArray();
    w.beginObject("counters");
    w.number("failedOpens", s.counters.failedOpens);
    w.number("lookups", s.counters.lookups);
    w.number("opens", s.counters.opens);
    w.number("reportsRead", s.counters.reportsRead);
    w.number("reportsWritten", s.counters.reportsWritten);
    w.endObject();
    w.beginObject("delays");
    w.number("lookupMs", s.delays.lookupMs);
    w.number("noAnswerMs", s.delays.noAnswerMs);
    w.number("reportMs", s.delays.reportMs);
    w.endObject();
    w.beginObject("device");
    w.number("generation", s.generation);
    w.hex("pendingResponse", QByteArray()); // kept by the process that asked
    w.boolean("reenumerateAfterRead", s.reenumerateAfterRead);
    w.number("refuseOpens", s.refuseOpens);
    w.boolean("unplugged", s.unplugged);
    w.number("upgradeOpenRefusals", s.upgradeOpenRefusals);
    w.endObject();
    w.beginArray("faults");
    for (const VirtualReader::Fault& fault : s.faults) {
        w.beginObject();
        w.number("afterFrames", fault.afterFrames);
        w.number("block", fault.block);
        if (fault.kind == VirtualReader::Fault::SwapCard)
            w.number("card", fault.card);
        w.number("command", fault.command);
        w.text("kind", FaultKinds[fault.kind]);
        w.number("status", fault.status);
        w.number("times", fault.times);
        w.endObject();
    }
    w.endArray();
    w.beginObject("reader");
    w.number("balance", s.balance);
    w.hex("cardParam", s.cardParam);
    w.hex("checkCode", s.checkCode);
    w.hex("data7", s.data7);
    w.number("firmwareVersion", s.firmwareVersion);
    w.hex("infoExtra", s.infoExtra);
    w.hex("memory", s.memory);
    w.number("mode", s.mode);
    w.number("serial", s.serial);
    w.beginArray("usedChargeVersions");
    for (quint16 v : s.usedChargeVersions)
        w.number(nullptr, v);
    w.endArray();
    w.endObject();
    w.beginObject("upgrade");
    w.boolean("active", s.upgrading);
    w.number("announcedPackets", s.announcedPackets);
    w.boolean("complete", s.firmwareComplete);
    w.hex("image", s.firmware);
    w.number("nextPacket", s.nextPacket);
    w.endObject();
    w.endObject();
    return w.finish();
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
