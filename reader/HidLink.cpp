#include "HidLink.h"

#include "ReaderRecords.h"

#include <algorithm>
#include <cstring>
#include <hidapi.h>

HidLink::~HidLink()
{
    close();
}

bool HidLink::open(quint16 vendorId, quint16 productId)
{
    close();
    if (!m_path.isEmpty())
        m_handle = hid_open_path(m_path.constData());
    if (!m_handle) {
        // The kept path is stale or was never found: look the reader up again.
        m_path = findPath(vendorId, productId);
        if (!m_path.isEmpty())
            m_handle = hid_open_path(m_path.constData());
    }
    return m_handle != nullptr;
}

QByteArray HidLink::findPath(quint16 vendorId, quint16 productId)
{
    QByteArray path;
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    if (devices && devices->path)
        path = QByteArray(devices->path);
    hid_free_enumeration(devices);
    return path;
}

void HidLink::close()
{
    if (m_handle) {
        hid_close(m_handle);
        m_handle = nullptr;
    }
}

int HidLink::writeReport(const quint8* bytes, int n)
{
    if (!m_handle)
        return ReaderResult::NotOpened;
    quint8 report[OutputReportSize] = {};
    const int count = std::clamp(n, 0, OutputReportSize - 1);
    if (count > 0)
        std::memcpy(report + 1, bytes, size_t(count));
    return hid_write(m_handle, report, OutputReportSize) == OutputReportSize ? ReaderResult::Ok
                                                                             : ReaderResult::Transfer;
}

int HidLink::readReport(quint8* destination, int n)
{
    if (!m_handle)
        return ReaderResult::NotOpened;
    quint8 report[OutputReportSize] = {};
    const int got = hid_read_timeout(m_handle, report, OutputReportSize, ReadTimeoutMs);
    const int count = std::clamp(n, 0, OutputReportSize);
    if (count > 0)
        std::memcpy(destination, report, size_t(count));
    return got == InputReportSize ? ReaderResult::Ok : ReaderResult::Transfer;
}
