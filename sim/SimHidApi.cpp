// The hidapi functions the station calls, answered by the virtual reader.
// Every call takes the state file's lock, so the station, the control tool and
// tests in other processes see one device.

#include "SimDevice.h"
#include "SimState.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <hidapi.h>
#include <thread>

struct hid_device_
{
    quint32 generation = 0; // the device's bus generation when it was opened
};

namespace {

thread_local const wchar_t* lastError = nullptr;

const wchar_t* const Manufacturer = L"Veloka";
const wchar_t* const Product = L"Virtual card reader";
const wchar_t* const SerialNumber = L"SIM0001";

void pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool matchesIds(unsigned short vendor, unsigned short product)
{
    return (vendor == 0 || vendor == VirtualReader::VendorId)
        && (product == 0 || product == VirtualReader::ProductId);
}

hid_device* openDevice(bool lookup)
{
    int delay = 0;
    hid_device* device = SimStore::modify([&](SimState& s) -> hid_device* {
        if (lookup) {
            ++s.counters.lookups;
            delay = s.delays.lookupMs;
        }
        if (s.unplugged) {
            ++s.counters.failedOpens;
            return nullptr;
        }
        if (s.refuseOpens > 0) {
            --s.refuseOpens;
            ++s.counters.failedOpens;
            return nullptr;
        }
        ++s.counters.opens;
        auto* handle = new hid_device_;
        handle->generation = s.generation;
        return handle;
    });
    pause(delay);
    lastError = device ? nullptr : L"virtual reader: device not present";
    return device;
}

bool usable(const SimState& s, const hid_device* device)
{
    return !s.unplugged && device->generation == s.generation;
}

int copyString(const wchar_t* text, wchar_t* out, size_t maxlen)
{
    if (!out || maxlen == 0)
        return -1;
    wcsncpy(out, text, maxlen);
    out[maxlen - 1] = L'\0';
    return 0;
}

} // namespace

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    return 0;
}

struct hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    int delay = 0;
    const bool present = SimStore::modify([&](SimState& s) {
        ++s.counters.lookups;
        delay = s.delays.lookupMs;
        if (s.unplugged)
            return false;
        // A device that is re-enumerating is missing from the bus; each look-up
        // uses up one of its refusals, so a station that only looks it up
        // again (having lost its path) still sees it come back.
        if (s.refuseOpens > 0) {
            --s.refuseOpens;
            return false;
        }
        return true;
    });
    pause(delay);
    if (!present || !matchesIds(vendor_id, product_id))
        return nullptr;
    auto* info = static_cast<hid_device_info*>(calloc(1, sizeof(hid_device_info)));
    info->path = strdup(VirtualReader::DevicePath);
    info->vendor_id = VirtualReader::VendorId;
    info->product_id = VirtualReader::ProductId;
    info->serial_number = wcsdup(SerialNumber);
    info->release_number = 0x0100;
    info->manufacturer_string = wcsdup(Manufacturer);
    info->product_string = wcsdup(Product);
    info->usage_page = 0xFF00;
    info->usage = 0x0001;
    info->interface_number = 0;
    info->next = nullptr;
    return info;
}

void hid_free_enumeration(struct hid_device_info* devs)
{
    while (devs) {
        hid_device_info* next = devs->next;
        free(devs->path);
        free(devs->serial_number);
        free(devs->manufacturer_string);
        free(devs->product_string);
        free(devs);
        devs = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number)
{
    if (!matchesIds(vendor_id, product_id) || (serial_number && wcscmp(serial_number, SerialNumber) != 0)) {
        SimStore::modify([](SimState& s) { ++s.counters.lookups; });
        lastError = L"virtual reader: no such device";
        return nullptr;
    }
    return openDevice(true);
}

hid_device* hid_open_path(const char* path)
{
    if (!path || strcmp(path, VirtualReader::DevicePath) != 0) {
        lastError = L"virtual reader: no such path";
        return nullptr;
    }
    return openDevice(false);
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    if (!dev || !data || length == 0 || length > size_t(SimDevice::FrameSize + 1)) {
        lastError = L"virtual reader: bad output report";
        return -1;
    }
    int delay = 0;
    // Byte 0 is the report id; the frame follows, zero-padded to 64 bytes.
    QByteArray frame(reinterpret_cast<const char*>(data) + 1, int(length) - 1);
    frame.append(QByteArray(SimDevice::FrameSize - frame.size(), '\0'));
    const bool written = SimStore::modify([&](SimState& s) {
        delay = s.delays.reportMs;
        if (!usable(s, dev))
            return false;
        ++s.counters.reportsWritten;
        return SimDevice::receiveFrame(s, frame) == SimDevice::WriteOutcome::Accepted;
    });
    pause(delay);
    lastError = written ? nullptr : L"virtual reader: device gone";
    return written ? int(length) : -1;
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds)
{
    if (!dev || !data) {
        lastError = L"virtual reader: bad input buffer";
        return -1;
    }
    int delay = 0;
    int waited = 0;
    const int result = SimStore::modify([&](SimState& s) {
        delay = s.delays.reportMs;
        if (!usable(s, dev))
            return -1;
        if (s.pendingResponse.isEmpty()) {
            waited = milliseconds < 0 ? s.delays.noAnswerMs : qMin(milliseconds, s.delays.noAnswerMs);
            return 0;
        }
        const int n = int(qMin(length, size_t(s.pendingResponse.size())));
        memcpy(data, s.pendingResponse.constData(), size_t(n));
        s.pendingResponse.clear();
        ++s.counters.reportsRead;
        if (s.reenumerateAfterRead)
            SimDevice::reenumerate(s);
        return n;
    });
    pause(delay + waited);
    lastError = result < 0 ? L"virtual reader: device gone" : nullptr;
    return result;
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    return hid_read_timeout(dev, data, length, -1);
}

int hid_set_nonblocking(hid_device* dev, int nonblock)
{
    Q_UNUSED(nonblock)
    return dev ? 0 : -1;
}

void hid_close(hid_device* dev)
{
    delete dev;
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(Manufacturer, string, maxlen) : -1;
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(Product, string, maxlen) : -1;
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(SerialNumber, string, maxlen) : -1;
}

const wchar_t* hid_error(hid_device* dev)
{
    Q_UNUSED(dev)
    return lastError;
}

} // extern "C"
