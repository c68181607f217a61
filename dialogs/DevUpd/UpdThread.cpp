#include "UpdThread.h"

#include "CardReader.h"

#include <QDebug>
#include <QFile>

UpdThread::UpdThread(CardReader* reader, const QString& path, qint64 expectedSize, QObject* parent)
    : QThread(parent)
    , m_reader(reader)
    , m_path(path)
    , m_expectedSize(expectedSize)
{
}

UpdThread::~UpdThread()
{
    requestInterruption();
    wait();
    qDebug() << "~UpdThread";
}

void UpdThread::run()
{
    QByteArray image;
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly))
        image = file.read(m_expectedSize + 1);
    file.close();

    FirmwareUploader::Result result;
    if (image.size() != m_expectedSize) {
        result.outcome = FirmwareUploader::Outcome::BadImage;
    } else {
        FirmwareUploader uploader(m_reader, FirmwarePackets(image), m_options);
        result = uploader.run([this](qint64 bytes) { emit sendProg(int(bytes)); },
            [this] { return isInterruptionRequested(); });
    }
    m_reader->closeDevice();

    if (result.outcome == FirmwareUploader::Outcome::Done)
        emit sendProg(-1);
    else if (result.outcome != FirmwareUploader::Outcome::Cancelled)
        emit sendFailed(int(result.outcome), result.packet, result.lastCode);
}
