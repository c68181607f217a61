#include "AuditTrail.h"
#include "CardReader.h"
#include "Database.h"
#include "DevUpd.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "VirtualReader.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
const QString kReplugTip = QStringLiteral("请拔出USB线，再重新插入");
}

class TestDevUpd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void choosing_a_file_enables_start();
    void empty_or_oversized_file_is_refused_before_the_reader_data();
    void empty_or_oversized_file_is_refused_before_the_reader();
    void reader_answer_to_start_decides_the_wait_data();
    void reader_answer_to_start_decides_the_wait();
    void tip_from_fifth_failed_open_while_timer_keeps_trying();
    void restart_request_during_transfer_still_completes();
    void silent_reader_ends_transfer_with_a_message();
    void file_changed_after_the_start_is_not_sent();
    void close_during_transfer_stops_the_worker();
    void close_emits_w_close_false_and_deletes_the_window();

private:
    DevUpd* makeDialog();
    QString writeFirmware(int size);
    void chooseAndStart(DevUpd* dialog, const QString& path);
    QPushButton* button(DevUpd* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }
    QLabel* tips(DevUpd* dialog) { return dialog->findChild<QLabel*>("label_tips"); }
    QTimer* timer(DevUpd* dialog) { return dialog->findChild<QTimer*>(); }

    QTemporaryDir m_dir;
    CardReader m_reader;
    FirmwareUploader::Options m_options;
};

void TestDevUpd::initTestCase()
{
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    m_options.startDelayMs = 0;
    m_options.maxFailedStatusReads = 3;
    // The upgrade's end goes into the audit trail.
    QVERIFY(openDatabase(QStringLiteral(":memory:")));
    createTables();
}

void TestDevUpd::init()
{
    MessageBox::clear();
    FileDialog::clear();
    VirtualReader::reset();
    VirtualReader::setUpgradeOpenRefusals(0);
}

DevUpd* TestDevUpd::makeDialog()
{
    auto* dialog = new DevUpd;
    dialog->setConfig(StationConfig(), &m_reader);
    dialog->setSession(LoginSession());
    dialog->setUploadOptions(m_options);
    return dialog;
}

QString TestDevUpd::writeFirmware(int size)
{
    const QString path = m_dir.filePath(QString("fw%1.bin").arg(size));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 13 + 5);
    file.write(bytes);
    return path;
}

void TestDevUpd::chooseAndStart(DevUpd* dialog, const QString& path)
{
    FileDialog::setNextFileName(path);
    QTest::mouseClick(button(dialog, "btn_selFw"), Qt::LeftButton);
    QTest::mouseClick(button(dialog, "btn_startDevUpd"), Qt::LeftButton);
    // Ticks are driven by hand from here on.
    if (timer(dialog)->isActive())
        timer(dialog)->setInterval(3600 * 1000);
}

void TestDevUpd::choosing_a_file_enables_start()
{
    QScopedPointer<DevUpd> dialog(makeDialog());
    QVERIFY(!button(dialog.data(), "btn_startDevUpd")->isEnabled());
    QVERIFY(tips(dialog.data())->isHidden());
    QCOMPARE(dialog->findChild<QProgressBar*>("prog_devUpd")->value(), 0);

    FileDialog::setNextFileName(QString());
    QTest::mouseClick(button(dialog.data(), "btn_selFw"), Qt::LeftButton);
    QVERIFY(!button(dialog.data(), "btn_startDevUpd")->isEnabled());

    const QString path = writeFirmware(10);
    FileDialog::setNextFileName(path);
    QTest::mouseClick(button(dialog.data(), "btn_selFw"), Qt::LeftButton);
    QVERIFY(button(dialog.data(), "btn_startDevUpd")->isEnabled());
    QCOMPARE(dialog->findChild<QLineEdit*>("edit_updFw")->text(), path);
    const FileDialog::Request request = FileDialog::requests().last();
    QCOMPARE(request.caption, QString("选择设备固件"));
    QCOMPARE(request.directory, QString("./"));
    QCOMPARE(request.filter, QString("*.bin 固件文件"));
}

void TestDevUpd::empty_or_oversized_file_is_refused_before_the_reader_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("more than 65535 packets") << 52 * 65535 + 1;
}

void TestDevUpd::empty_or_oversized_file_is_refused_before_the_reader()
{
    QFETCH(int, size);
    QScopedPointer<DevUpd> dialog(makeDialog());
    const QString path = writeFirmware(size);
    VirtualReader::resetCounters();
    chooseAndStart(dialog.data(), path);
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QVERIFY(!VirtualReader::upgradeActive());
    QVERIFY(!timer(dialog.data())->isActive());
    QVERIFY(!tips(dialog.data())->isHidden());
    QCOMPARE(tips(dialog.data())->text(), QString("固件文件为空或过大，无法升级"));
}

void TestDevUpd::reader_answer_to_start_decides_the_wait_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("waits");
    QTest::addColumn<int>("status");
    QTest::newRow("0 accepted") << -1 << true << 0;
    QTest::newRow("3 accepted like 0") << int(VirtualReader::Fault::ForcedStatus) << true << 3;
    QTest::newRow("refused") << int(VirtualReader::Fault::ForcedStatus) << false
                             << int(SimStatus::BadCommand);
    QTest::newRow("no answer") << int(VirtualReader::Fault::NoAnswer) << false << 0;
    QTest::newRow("garbled answer") << int(VirtualReader::Fault::CorruptChecksum) << false << 0;
    QTest::newRow("unplugged") << int(VirtualReader::Fault::Unplug) << false << 0;
}

void TestDevUpd::reader_answer_to_start_decides_the_wait()
{
    QFETCH(int, fault);
    QFETCH(bool, waits);
    QFETCH(int, status);
    if (fault >= 0) {
        VirtualReader::Fault armed;
        armed.kind = VirtualReader::Fault::Kind(fault);
        armed.status = quint8(status);
        armed.command = SimCommand::StartUpgrade;
        VirtualReader::armFault(armed);
    }
    const qint64 auditBefore = AuditTrail::page(AuditFilter(), 0, 1).value(0).id;
    QScopedPointer<DevUpd> dialog(makeDialog());
    const QString path = writeFirmware(104);
    chooseAndStart(dialog.data(), path);
    QCOMPARE(timer(dialog.data())->isActive(), waits);
    QCOMPARE(button(dialog.data(), "btn_startDevUpd")->isEnabled(), !waits);
    QVERIFY(MessageBox::shown().isEmpty());
    const AuditRow audit = AuditTrail::page(AuditFilter(), 0, 1).value(0);
    if (waits) {
        QVERIFY(tips(dialog.data())->isHidden());
        QCOMPARE(audit.id, auditBefore);
        return;
    }
    QVERIFY(!tips(dialog.data())->isHidden());
    QCOMPARE(tips(dialog.data())->text(),
        QString("升级未能开始，读卡器没有接受升级命令，请拔出USB线，再重新插入后重试"));
    QVERIFY(audit.id > auditBefore);
    QCOMPARE(
        audit.action + ' ' + audit.subject, AuditAction::FirmwareUpgrade + ' ' + QFileInfo(path).fileName());
    QVERIFY2(audit.outcome.startsWith("failed start code "), qPrintable(audit.outcome));
}

void TestDevUpd::tip_from_fifth_failed_open_while_timer_keeps_trying()
{
    VirtualReader::setUpgradeOpenRefusals(1000);
    QPointer<DevUpd> dialog(makeDialog());
    const QString path = writeFirmware(1000);
    chooseAndStart(dialog.data(), path);
    QCOMPARE(int(VirtualReader::announcedPackets()), 20);
    QSignalSpy closed(dialog.data(), &DevUpd::w_close);

    for (int tick = 1; tick <= 7; ++tick) {
        QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
        QCOMPARE(tips(dialog.data())->isHidden(), tick < 5);
        QVERIFY(timer(dialog.data())->isActive());
    }
    QCOMPARE(tips(dialog.data())->text(), kReplugTip);

    VirtualReader::refuseOpens(0); // the operator replugged the reader
    QTest::ignoreMessage(QtDebugMsg, "~UpdThread");
    QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
    QVERIFY(!timer(dialog.data())->isActive());
    QCOMPARE(dialog->findChild<QProgressBar*>("prog_devUpd")->maximum(), 1000);

    QVERIFY(closed.wait(10000));
    QCOMPARE(closed.first().first().toBool(), true);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(VirtualReader::receivedFirmware(), file.readAll());
    QVERIFY(VirtualReader::firmwareComplete());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestDevUpd::restart_request_during_transfer_still_completes()
{
    QPointer<DevUpd> dialog(makeDialog());
    const QString path = writeFirmware(2000);
    chooseAndStart(dialog.data(), path);
    VirtualReader::armUpgradeRestart(7);
    QSignalSpy closed(dialog.data(), &DevUpd::w_close);
    QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
    QVERIFY(closed.wait(10000));
    QCOMPARE(closed.first().first().toBool(), true);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(VirtualReader::receivedFirmware(), file.readAll());
    const AuditRow audit = AuditTrail::page(AuditFilter(), 0, 1).value(0);
    QCOMPARE(audit.action + ' ' + audit.subject + ' ' + audit.outcome,
        AuditAction::FirmwareUpgrade + ' ' + QFileInfo(path).fileName() + " ok");
}

void TestDevUpd::silent_reader_ends_transfer_with_a_message()
{
    QScopedPointer<DevUpd> dialog(makeDialog());
    chooseAndStart(dialog.data(), writeFirmware(2000));
    VirtualReader::Fault fault;
    fault.kind = VirtualReader::Fault::NoAnswer;
    fault.afterFrames = 4;
    fault.times = -1;
    fault.command = SimCommand::UpgradePacket;
    VirtualReader::armFault(fault);
    QSignalSpy closed(dialog.data(), &DevUpd::w_close);

    QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
    QTRY_COMPARE_WITH_TIMEOUT(button(dialog.data(), "btn_startDevUpd")->isEnabled(), true, 10000);
    QVERIFY(!tips(dialog.data())->isHidden());
    QCOMPARE(
        tips(dialog.data())->text(), QString("升级失败，读卡器没有应答，请拔出USB线，再重新插入后重新升级"));
    QCOMPARE(dialog->findChild<QProgressBar*>("prog_devUpd")->value(), 4 * 52);
    QVERIFY(closed.isEmpty());
    QVERIFY(!VirtualReader::firmwareComplete());
    QVERIFY(AuditTrail::page(AuditFilter(), 0, 1).value(0).outcome.startsWith("failed 1 packet 4"));
}

void TestDevUpd::file_changed_after_the_start_is_not_sent()
{
    QScopedPointer<DevUpd> dialog(makeDialog());
    const QString path = writeFirmware(3000);
    chooseAndStart(dialog.data(), path);
    QVERIFY(QFile::resize(path, 1000));

    QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
    QTRY_COMPARE_WITH_TIMEOUT(button(dialog.data(), "btn_startDevUpd")->isEnabled(), true, 10000);
    QCOMPARE(tips(dialog.data())->text(),
        QString("升级失败，固件文件在升级时被改变或无法读取，请拔出USB线，再重新插入后重新升级"));
    QVERIFY(!VirtualReader::firmwareComplete());
}

void TestDevUpd::close_during_transfer_stops_the_worker()
{
    VirtualReader::setDelays({ 0, 2, 0 });
    QPointer<DevUpd> dialog(makeDialog());
    chooseAndStart(dialog.data(), writeFirmware(52 * 400));
    QSignalSpy closed(dialog.data(), &DevUpd::w_close);
    QVERIFY(QMetaObject::invokeMethod(dialog.data(), "timer_exec"));
    QTRY_VERIFY(dialog->findChild<QProgressBar*>("prog_devUpd")->value() > 0);

    QTest::mouseClick(button(dialog.data(), "btnMenu_Close"), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first().first().toBool(), false);
    const qint64 written = VirtualReader::counters().reportsWritten;
    QTest::qWait(50);
    QCOMPARE(VirtualReader::counters().reportsWritten, written);
    QVERIFY(!VirtualReader::firmwareComplete());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestDevUpd::close_emits_w_close_false_and_deletes_the_window()
{
    QPointer<DevUpd> dialog(makeDialog());
    dialog->show();
    QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog->windowTitle(), QString("设备升级"));
    QSignalSpy closed(dialog.data(), &DevUpd::w_close);
    QTest::mouseClick(button(dialog.data(), "btnMenu_Close"), Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first().first().toBool(), false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestDevUpd)
#include "test_devupd.moc"
