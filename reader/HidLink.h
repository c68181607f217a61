#pragma once

#include <QByteArray>
#include <QtGlobal>

struct hid_device_;

// Owner of one HID device handle. Opening by vendor and product makes hidapi
// enumerate every HID device, which on some machines costs more than the card
// work itself; the path found by the first successful open is kept and later
// opens go straight to it, falling back to a fresh look-up when the path no
// longer opens (the reader was unplugged and came back elsewhere).
class HidLink
{
public:
    static constexpr int OutputReportSize = 65;
    static constexpr int InputReportSize = 64;
    static constexpr int ReadTimeoutMs = 500;

    HidLink() = default;
    ~HidLink();
    Q_DISABLE_COPY(HidLink)

    bool open(quint16 vendorId, quint16 productId);
    bool isOpen() const { return m_handle != nullptr; }
    void close();
    // 255 without a handle; sends report id 0, then n (at most 64) bytes and
    // zeros; 0 when all 65 bytes went out, else -1.
    int writeReport(const quint8* bytes, int n);
    // 255 without a handle; copies n bytes of the zeroed 65-byte buffer to the
    // destination in every case; 0 when exactly 64 bytes arrived, else -1.
    int readReport(quint8* destination, int n);

private:
    // The path of the first matching device, or empty when there is none.
    static QByteArray findPath(quint16 vendorId, quint16 productId);

    hid_device_* m_handle = nullptr;
    QByteArray m_path;
};
