#pragma once

#include "FirmwareUploader.h"

#include <QThread>

class CardReader;

// The firmware transfer's worker: reads the file and streams it to the reader
// over the handle the window opened. Progress reaches the window only through
// the queued signals.
class UpdThread : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY(UpdThread)

public:
    // expectedSize is the size announced to the reader; a file that no longer
    // has it is not sent.
    UpdThread(CardReader* reader, const QString& path, qint64 expectedSize, QObject* parent = nullptr);
    ~UpdThread() override;

    void setOptions(const FirmwareUploader::Options& options) { m_options = options; }

signals:
    // Bytes acknowledged so far, or -1 once the whole file is sent.
    void sendProg(int value);
    // The transfer ended early (FirmwareUploader::Outcome) at the 0-based packet.
    void sendFailed(int outcome, int packet, int code);

protected:
    void run() override;

private:
    CardReader* m_reader;
    QString m_path;
    qint64 m_expectedSize;
    FirmwareUploader::Options m_options;
};
