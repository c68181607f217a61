#include "ReaderTool.h"

#include "BindBlock.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "SimCardInfo.h"
#include "VirtualReader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <functional>
#include <limits>
#include <map>

namespace {

namespace VR = VirtualReader;

constexpr int SectorCount = VR::BlockCount / 4;

struct Command
{
    const char* name;
    const char* summary;
};

const Command Commands[] = {
    { "show", "Show the reader: settings, device state, faults, delays, counters." },
    { "reset", "Start over with a fresh reader (no cards, sale mode, serial 1)." },
    { "new-card", "Make a blank card (random UID unless --id is given); prints its id." },
    { "place", "Lay a card on the reader (taking away the one lying there)." },
    { "take", "Take the card away from the reader." },
    { "delete", "Throw a card away." },
    { "list", "List the cards with their decoded contents." },
    { "dump", "Print the raw blocks of a card." },
    { "set", "Change reader settings: mode, serial, balance, check code, firmware version." },
    { "unplug", "Pull the reader's USB cable." },
    { "replug", "Plug the reader back in." },
    { "refuse-opens", "Make the next N opens fail (a reader that is re-enumerating)." },
    { "delays", "Set the simulated USB delays in milliseconds." },
    { "charge-file", "Write a 32-byte charge file for a reader." },
    { "fault", "Arm a fault, or clear all faults." },
    { "firmware", "Show the firmware image received by the last upgrade, or save it." },
};

QString commandList()
{
    QString text = QStringLiteral("Commands:\n");
    for (const Command& command : Commands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(command.name), -14)
                    .arg(QLatin1String(command.summary));
    text += QStringLiteral("\nRun 'veloka-reader <command> --help' for the options of a command.\n"
                           "Cards are named by their id value in hexadecimal (as 'list' shows it).\n");
    return text;
}

struct Context
{
    QCommandLineParser& parser;
    QTextStream& out;
    QTextStream& err;
};

class UsageError
{
public:
    explicit UsageError(QString message)
        : text(std::move(message))
    {
    }
    QString text;
};

quint64 number(const QString& text, quint64 max, const QString& what, int base = 10)
{
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, base);
    if (!ok || value > max)
        throw UsageError(
            QStringLiteral("%1 must be a number from 0 to %2, not '%3'").arg(what).arg(max).arg(text));
    return value;
}

quint32 cardArgument(const Context& c)
{
    const QStringList args = c.parser.positionalArguments();
    if (args.size() != 1)
        throw UsageError(QStringLiteral("expected one card id (8 hexadecimal digits)"));
    QString text = args.first();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.isEmpty() || text.size() > 8)
        throw UsageError(
            QStringLiteral("a card id has 1 to 8 hexadecimal digits, not '%1'").arg(args.first()));
    const quint32 id = quint32(number(text, 0xFFFFFFFFu, QStringLiteral("card id"), 16));
    if (!VR::hasCard(id))
        throw UsageError(QStringLiteral("no card with id %1").arg(cardIdText(id)));
    return id;
}

void noPositionals(const Context& c)
{
    if (!c.parser.positionalArguments().isEmpty())
        throw UsageError(
            QStringLiteral("unexpected argument '%1'").arg(c.parser.positionalArguments().first()));
}

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString modeText(quint8 mode)
{
    return mode == VR::SaleMode ? QStringLiteral("sale")
        : mode == VR::ShareMode ? QStringLiteral("share")
                                : QString::number(mode);
}

QString faultText(const VR::Fault& f)
{
    static const char* const names[]
        = { "no-answer", "bad-checksum", "status", "lost-write", "remove-card", "unplug", "swap-card" };
    QString text = QLatin1String(names[f.kind]);
    if (f.kind == VR::Fault::ForcedStatus)
        text += QStringLiteral(" %1").arg(f.status);
    if (f.command >= 0)
        text += QStringLiteral(" command %1").arg(QString::number(f.command, 16).toUpper());
    if (f.block >= 0)
        text += QStringLiteral(" block %1").arg(f.block);
    text += QStringLiteral(" after %1 frame(s), %2")
                .arg(f.afterFrames)
                .arg(f.times < 0 ? QStringLiteral("until cleared")
                                 : QStringLiteral("%1 time(s)").arg(f.times));
    return text;
}

// What a user sector holds, judged from the raw blocks the way the station
// would see them with this key.
QString userSectorText(quint32 id, int sector, const SectorKey& key)
{
    const QByteArray trailer = VR::block(id, sector * 4 + 3);
    const QByteArray keyBytes(reinterpret_cast<const char*>(key.data()), int(key.size()));
    if (trailer.left(6) != keyBytes && trailer.mid(10, 6) != keyBytes)
        return QStringLiteral("sector %1 does not open with the user key").arg(sector);
    const CardImageCheck check = checkCardImage(VR::block(id, sector * 4 + 2), VR::block(id, sector * 4 + 1),
        id, std::numeric_limits<quint32>::max());
    QString text = QStringLiteral("sector %1: ").arg(sector);
    switch (check.outcome) {
    case CardImageCheck::Invalid:
        return text + QStringLiteral("no valid value image");
    case CardImageCheck::IdMismatch:
        return text
            + QStringLiteral("image of another card (id %1), balance %2")
                  .arg(cardIdText(check.image.id), moneyText(check.image.balance));
    default:
        break;
    }
    text += QStringLiteral("balance %1").arg(moneyText(check.image.balance));
    if (check.source == CardImageCheck::Block1)
        text += QStringLiteral(" (from the backup block)");
    const Binding binding = readBinding(VR::block(id, sector * 4));
    if (binding.bound)
        text += QStringLiteral(", bound to post %1 (%2), port %3")
                    .arg(binding.post)
                    .arg(binding.post16)
                    .arg(binding.port == 0 ? QStringLiteral("all") : QString::number(binding.port));
    else
        text += QStringLiteral(", not bound");
    return text;
}

int show(const Context& c)
{
    noPositionals(c);
    c.out << "state file:       " << VR::stateFile() << "\n";
    c.out << "mode:             " << modeText(VR::mode()) << "\n";
    c.out << "serial:           " << QString::asprintf("%05d", VR::serial()) << "\n";
    c.out << "check code:       " << QString::fromLatin1(VR::checkCode().toHex().toUpper()) << "\n";
    c.out << "balance:          " << moneyText(VR::balance()) << " (" << VR::balance() << " fen)\n";
    c.out << "firmware version: " << VR::firmwareVersion() << "\n";
    c.out << "card parameter:   " << hexBytes(VR::cardParam()) << "\n";
    QStringList versions;
    for (quint16 v : VR::usedChargeVersions())
        versions << QString::number(v);
    c.out << "charge versions:  "
          << (versions.isEmpty() ? QStringLiteral("none") : versions.join(QLatin1Char(' '))) << "\n";
    c.out << "device:           " << (VR::isUnplugged() ? "unplugged" : "plugged in");
    if (const int refused = VR::refusedOpensLeft())
        c.out << ", refusing the next " << refused << " open(s)";
    if (VR::upgradeActive())
        c.out << ", upgrading (" << VR::announcedPackets() << " packets announced)";
    c.out << "\n";
    const std::optional<quint32> onReader = VR::cardOnReader();
    c.out << "card on reader:   " << (onReader ? cardIdText(*onReader) : QStringLiteral("none")) << "\n";
    c.out << "cards:            " << VR::cards().size() << "\n";
    const VR::Delays d = VR::delays();
    c.out << "delays:           look-up " << d.lookupMs << " ms, report " << d.reportMs << " ms, no answer "
          << d.noAnswerMs << " ms\n";
    const QList<VR::Fault> faults = VR::armedFaults();
    c.out << "faults:           " << (faults.isEmpty() ? QStringLiteral("none") : QString()) << "\n";
    for (const VR::Fault& fault : faults)
        c.out << "  " << faultText(fault) << "\n";
    const VR::Counters n = VR::counters();
    c.out << "counters:         " << n.reportsWritten << " written, " << n.reportsRead << " read, "
          << n.lookups << " look-ups, " << n.opens << " opens, " << n.failedOpens << " failed opens\n";
    return ReaderTool::Done;
}

int newCard(const Context& c)
{
    noPositionals(c);
    quint32 id;
    if (c.parser.isSet(QStringLiteral("id"))) {
        const QString text = c.parser.value(QStringLiteral("id"));
        if (text.size() != 8)
            throw UsageError(QStringLiteral("--id takes 8 hexadecimal digits, not '%1'").arg(text));
        id = VR::addBlankCard(quint32(number(text, 0xFFFFFFFFu, QStringLiteral("--id"), 16)));
    } else {
        id = VR::addBlankCard();
    }
    if (c.parser.isSet(QStringLiteral("place")))
        VR::placeCard(id);
    c.out << cardIdText(id) << "\n";
    return ReaderTool::Done;
}

int list(const Context& c)
{
    noPositionals(c);
    SectorKey key = BuiltinKeys::DefaultUser;
    if (c.parser.isSet(QStringLiteral("user-key"))) {
        const QString text = c.parser.value(QStringLiteral("user-key"));
        if (!isValidKeyText(text) || !keyFromHex(text, key))
            throw UsageError(QStringLiteral("--user-key takes 12 hexadecimal digits, not '%1'").arg(text));
    }
    const int sector = int(number(
        c.parser.value(QStringLiteral("user-sector")), SectorCount - 1, QStringLiteral("--user-sector")));
    const std::optional<quint32> onReader = VR::cardOnReader();
    const QList<quint32> ids = VR::cards();
    if (ids.isEmpty())
        c.out << "no cards\n";
    for (quint32 id : ids) {
        c.out << "card " << cardIdText(id) << "  uid " << hexBytes(VR::uidBytes(id)) << "  number "
              << cardNumber(id) << (onReader == id ? "  (on the reader)" : "") << "\n";
        const quint8 type = SimCardInfo::specialType(id);
        const QString special = SimCardInfo::specialTypeName(type);
        if (!special.isEmpty())
            c.out << "  type 0x" << QString::number(type, 16).toUpper() << ": " << special << "\n";
        c.out << "  " << userSectorText(id, sector, key) << "\n";
        QStringList transport;
        for (int s = 0; s < SectorCount; ++s) {
            const QByteArray trailer = VR::block(id, s * 4 + 3);
            const QByteArray blank(reinterpret_cast<const char*>(BuiltinKeys::Transport.data()), 6);
            if (trailer.left(6) == blank)
                transport << QString::number(s);
        }
        c.out << "  sectors with the transport key: "
              << (transport.isEmpty() ? QStringLiteral("none") : transport.join(QLatin1Char(' '))) << "\n";
    }
    return ReaderTool::Done;
}

int dump(const Context& c)
{
    const quint32 id = cardArgument(c);
    for (int b = 0; b < VR::BlockCount; ++b)
        c.out << QStringLiteral("%1/%2  ").arg(b / 4, 2).arg(b % 4) << hexBytes(VR::block(id, b)) << "\n";
    return ReaderTool::Done;
}

int set(const Context& c)
{
    noPositionals(c);
    const QCommandLineParser& p = c.parser;
    bool any = false;
    if (p.isSet(QStringLiteral("mode"))) {
        const QString mode = p.value(QStringLiteral("mode"));
        if (mode != QLatin1String("sale") && mode != QLatin1String("share"))
            throw UsageError(QStringLiteral("--mode is 'sale' or 'share', not '%1'").arg(mode));
        VR::setMode(mode == QLatin1String("sale") ? VR::SaleMode : VR::ShareMode);
        any = true;
    }
    if (p.isSet(QStringLiteral("serial"))) {
        VR::setSerial(quint16(number(p.value(QStringLiteral("serial")), 0xFFFF, QStringLiteral("--serial"))));
        any = true;
    }
    if (p.isSet(QStringLiteral("balance"))) {
        VR::setBalance(
            quint32(number(p.value(QStringLiteral("balance")), 0xFFFFFFFFu, QStringLiteral("--balance"))));
        any = true;
    }
    if (p.isSet(QStringLiteral("firmware-version"))) {
        VR::setFirmwareVersion(quint16(number(
            p.value(QStringLiteral("firmware-version")), 0xFFFF, QStringLiteral("--firmware-version"))));
        any = true;
    }
    if (p.isSet(QStringLiteral("check-code"))) {
        const QString text = p.value(QStringLiteral("check-code"));
        SectorKey code;
        if (!isValidKeyText(text) || !keyFromHex(text, code))
            throw UsageError(QStringLiteral("--check-code takes 12 hexadecimal digits, not '%1'").arg(text));
        VR::setCheckCode(QByteArray(reinterpret_cast<const char*>(code.data()), int(code.size())));
        any = true;
    }
    if (!any)
        throw UsageError(QStringLiteral("nothing to set"));
    return ReaderTool::Done;
}

int delays(const Context& c)
{
    noPositionals(c);
    VR::Delays d = VR::delays();
    const auto take = [&](const QString& name, int& field) {
        if (c.parser.isSet(name))
            field = int(number(c.parser.value(name), 60000, QStringLiteral("--") + name));
    };
    take(QStringLiteral("lookup"), d.lookupMs);
    take(QStringLiteral("report"), d.reportMs);
    take(QStringLiteral("no-answer"), d.noAnswerMs);
    VR::setDelays(d);
    return ReaderTool::Done;
}

int chargeFile(const Context& c)
{
    noPositionals(c);
    const QCommandLineParser& p = c.parser;
    for (const char* required : { "amount", "version", "out" }) {
        if (!p.isSet(QLatin1String(required)))
            throw UsageError(QStringLiteral("--%1 is required").arg(QLatin1String(required)));
    }
    const quint32 amount
        = quint32(number(p.value(QStringLiteral("amount")), 0xFFFFFFFFu, QStringLiteral("--amount")));
    const quint16 version
        = quint16(number(p.value(QStringLiteral("version")), 0xFFFF, QStringLiteral("--version")));
    const quint16 serial = p.isSet(QStringLiteral("serial"))
        ? quint16(number(p.value(QStringLiteral("serial")), 0xFFFF, QStringLiteral("--serial")))
        : VR::serial();
    QFile file(p.value(QStringLiteral("out")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(VR::makeChargeFile(amount, serial, version)) != 32) {
        c.err << "veloka-reader: cannot write " << file.fileName() << ": " << file.errorString() << "\n";
        return ReaderTool::Failed;
    }
    c.out << "charge file " << file.fileName() << ": " << moneyText(amount) << " for reader "
          << QString::asprintf("%05d", serial) << ", version " << version << "\n";
    return ReaderTool::Done;
}

int fault(const Context& c)
{
    const QCommandLineParser& p = c.parser;
    const QStringList args = p.positionalArguments();
    if (args.size() != 1)
        throw UsageError(QStringLiteral("expected one fault kind"));
    const QString kind = args.first();
    if (kind == QLatin1String("clear")) {
        VR::clearFaults();
        return ReaderTool::Done;
    }
    static const std::map<QString, VR::Fault::Kind> kinds = {
        { QStringLiteral("no-answer"), VR::Fault::NoAnswer },
        { QStringLiteral("bad-checksum"), VR::Fault::CorruptChecksum },
        { QStringLiteral("status"), VR::Fault::ForcedStatus },
        { QStringLiteral("lost-write"), VR::Fault::LostWrite },
        { QStringLiteral("remove-card"), VR::Fault::RemoveCard },
        { QStringLiteral("unplug"), VR::Fault::Unplug },
    };
    const auto found = kinds.find(kind);
    if (found == kinds.end())
        throw UsageError(QStringLiteral("unknown fault '%1'").arg(kind));
    VR::Fault f;
    f.kind = found->second;
    f.afterFrames = int(number(p.value(QStringLiteral("after")), 1000000, QStringLiteral("--after")));
    if (p.isSet(QStringLiteral("times"))) {
        const QString times = p.value(QStringLiteral("times"));
        f.times
            = times == QLatin1String("always") ? -1 : int(number(times, 1000000, QStringLiteral("--times")));
    } else if (f.kind == VR::Fault::LostWrite) {
        f.times = -1;
    }
    if (p.isSet(QStringLiteral("command"))) {
        QString text = p.value(QStringLiteral("command"));
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            text = text.mid(2);
        f.command = int(number(text, 0xFFFF, QStringLiteral("--command"), 16));
    }
    if (p.isSet(QStringLiteral("block")))
        f.block = int(number(p.value(QStringLiteral("block")), 255, QStringLiteral("--block")));
    if (f.kind == VR::Fault::ForcedStatus) {
        if (!p.isSet(QStringLiteral("status")))
            throw UsageError(QStringLiteral("the status fault needs --status"));
        f.status = quint8(number(p.value(QStringLiteral("status")), 255, QStringLiteral("--status")));
    }
    VR::armFault(f);
    c.out << "armed: " << faultText(f) << "\n";
    return ReaderTool::Done;
}

int firmware(const Context& c)
{
    noPositionals(c);
    const QByteArray image = VR::receivedFirmware();
    c.out << "received " << image.size() << " bytes, " << (VR::firmwareComplete() ? "complete" : "incomplete")
          << ", firmware version " << VR::firmwareVersion() << "\n";
    if (c.parser.isSet(QStringLiteral("out"))) {
        QFile file(c.parser.value(QStringLiteral("out")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(image) != image.size()) {
            c.err << "veloka-reader: cannot write " << file.fileName() << "\n";
            return ReaderTool::Failed;
        }
    }
    return ReaderTool::Done;
}

// The parser names the program by the path it was started with; the usage
// line reads better with the plain name and the command.
QString withToolName(QString help, const QString& command)
{
    const QString started = QCoreApplication::instance() ? QCoreApplication::arguments().value(0) : QString();
    const QString name
        = command.isEmpty() ? QStringLiteral("veloka-reader") : QStringLiteral("veloka-reader ") + command;
    if (!started.isEmpty())
        help.replace(help.indexOf(started), started.size(), name);
    return help;
}

using Handler = std::function<int(const Context&)>;

// Declares the command's options and arguments; returns its handler.
Handler prepare(const QString& name, QCommandLineParser& p)
{
    const auto option = [&](const char* option, const char* help, const char* value = nullptr) {
        if (value)
            p.addOption(QCommandLineOption(QLatin1String(option), QLatin1String(help), QLatin1String(value)));
        else
            p.addOption(QCommandLineOption(QLatin1String(option), QLatin1String(help)));
    };
    const auto plain = [](std::function<void()> action) {
        return [action](const Context& c) {
            noPositionals(c);
            action();
            return ReaderTool::Done;
        };
    };
    if (name == QLatin1String("show"))
        return show;
    if (name == QLatin1String("reset"))
        return plain([] { VR::reset(); });
    if (name == QLatin1String("new-card")) {
        option("id", "The card's id value (8 hexadecimal digits) instead of a random UID.", "hex");
        option("place", "Lay the new card on the reader.");
        return newCard;
    }
    if (name == QLatin1String("place")) {
        p.addPositionalArgument(
            QStringLiteral("card"), QStringLiteral("The card's id value in hexadecimal."));
        return [](const Context& c) {
            VR::placeCard(cardArgument(c));
            return ReaderTool::Done;
        };
    }
    if (name == QLatin1String("take"))
        return plain([] { VR::removeCard(); });
    if (name == QLatin1String("delete")) {
        p.addPositionalArgument(
            QStringLiteral("card"), QStringLiteral("The card's id value in hexadecimal."));
        return [](const Context& c) {
            VR::deleteCard(cardArgument(c));
            return ReaderTool::Done;
        };
    }
    if (name == QLatin1String("list")) {
        option("user-key", "Key of the user sector, 12 hexadecimal digits (default: the built-in user key).",
            "hex");
        p.addOption(QCommandLineOption(QStringLiteral("user-sector"),
            QStringLiteral("The user sector (default 0)."), QStringLiteral("n"), QStringLiteral("0")));
        return list;
    }
    if (name == QLatin1String("dump")) {
        p.addPositionalArgument(
            QStringLiteral("card"), QStringLiteral("The card's id value in hexadecimal."));
        return dump;
    }
    if (name == QLatin1String("set")) {
        option("mode", "Reader mode: sale or share.", "mode");
        option("serial", "Reader serial number (0 to 65535).", "n");
        option("balance", "Reader balance in fen.", "fen");
        option("check-code", "Check code, 12 hexadecimal digits.", "hex");
        option("firmware-version", "Firmware version number.", "n");
        return set;
    }
    if (name == QLatin1String("unplug"))
        return plain([] { VR::setUnplugged(true); });
    if (name == QLatin1String("replug"))
        return plain([] { VR::setUnplugged(false); });
    if (name == QLatin1String("refuse-opens")) {
        p.addPositionalArgument(QStringLiteral("n"), QStringLiteral("How many opens fail."));
        return [](const Context& c) {
            const QStringList args = c.parser.positionalArguments();
            if (args.size() != 1)
                throw UsageError(QStringLiteral("expected the number of opens to refuse"));
            VR::refuseOpens(int(number(args.first(), 1000000, QStringLiteral("n"))));
            return ReaderTool::Done;
        };
    }
    if (name == QLatin1String("delays")) {
        option("lookup", "Cost of a device look-up (enumerate, open by vendor and product).", "ms");
        option("report", "Cost of each report written or read.", "ms");
        option("no-answer", "How long a read with no answer waits (capped by its time-out).", "ms");
        return delays;
    }
    if (name == QLatin1String("charge-file")) {
        option("amount", "Amount in fen.", "fen");
        option("version", "Top-up version number (each loads once).", "n");
        option("serial", "Serial of the reader it is for (default: this reader's).", "n");
        option("out", "File to write (32 bytes, usually *.chfile).", "file");
        return chargeFile;
    }
    if (name == QLatin1String("fault")) {
        p.addPositionalArgument(QStringLiteral("kind"),
            QStringLiteral("no-answer, bad-checksum, status, lost-write, remove-card, unplug, or clear."));
        p.addOption(QCommandLineOption(QStringLiteral("after"),
            QStringLiteral("Request frames to let pass first."), QStringLiteral("n"), QStringLiteral("0")));
        option("times", "Frames the fault hits, or 'always' (default 1; lost-write: always).", "n");
        option("command", "Only frames with this command code (hexadecimal).", "hex");
        option("block", "lost-write: only writes to this block.", "n");
        option("status", "status: the status byte to answer with.", "n");
        return fault;
    }
    if (name == QLatin1String("firmware")) {
        option("out", "Save the received image to this file.", "file");
        return firmware;
    }
    return nullptr;
}

} // namespace

ReaderTool::ReaderTool(QTextStream& out, QTextStream& err)
    : m_out(out)
    , m_err(err)
{
}

int ReaderTool::run(const QStringList& arguments)
{
    QCommandLineParser global;
    global.setApplicationDescription(
        QStringLiteral("Controls the virtual card reader shared through its state file."));
    const QCommandLineOption stateOption(QStringLiteral("state"),
        QStringLiteral("State file (default: $VELOKA_SIM_STATE, else "
                       "./virtual-reader.json)."),
        QStringLiteral("file"));
    global.addOption(stateOption);
    const QCommandLineOption helpOption = global.addHelpOption();
    global.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do (see below)."),
        QStringLiteral("<command> [options]"));
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    const auto usageError = [&](const QString& message, const QString& command) {
        m_err << "veloka-reader: " << message << "\n";
        m_err << "Try 'veloka-reader " << (command.isEmpty() ? QString() : command + QLatin1Char(' '))
              << "--help'.\n";
        return Usage;
    };

    QStringList args = arguments;
    if (!args.isEmpty())
        args[0] = QStringLiteral("veloka-reader"); // usage lines show the name, not the build path
    if (!global.parse(args))
        return usageError(global.errorText(), QString());
    const QStringList rest = global.positionalArguments();
    if (global.isSet(helpOption) || rest.isEmpty()) {
        const QString help = withToolName(global.helpText(), QString());
        (rest.isEmpty() && !global.isSet(helpOption) ? m_err : m_out) << help << "\n" << commandList();
        return global.isSet(helpOption) ? Done : Usage;
    }

    if (global.isSet(stateOption))
        VR::useStateFile(global.value(stateOption));
    else if (qEnvironmentVariableIsEmpty("VELOKA_SIM_STATE"))
        VR::useStateFile(QStringLiteral("./virtual-reader.json"));

    const QString name = rest.first();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("veloka-reader %1: ").arg(name) + [&] {
        for (const Command& command : Commands) {
            if (name == QLatin1String(command.name))
                return QLatin1String(command.summary);
        }
        return QLatin1String("");
    }());
    const QCommandLineOption commandHelp = parser.addHelpOption();
    const Handler handler = prepare(name, parser);
    if (!handler)
        return usageError(QStringLiteral("unknown command '%1'").arg(name), QString());
    QStringList commandArgs = rest;
    commandArgs[0] = QStringLiteral("veloka-reader ") + name;
    if (!parser.parse(commandArgs))
        return usageError(parser.errorText(), name);
    if (parser.isSet(commandHelp)) {
        m_out << withToolName(parser.helpText(), name);
        return Done;
    }
    try {
        return handler(Context { parser, m_out, m_err });
    } catch (const UsageError& error) {
        return usageError(error.text, name);
    }
}
