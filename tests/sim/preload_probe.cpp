// Linked against the real hidapi; run with the preload library in
// LD_PRELOAD it must find and talk to the virtual reader instead. Exits 0
// when the reader answers readDevInfo with the serial given as argument.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <hidapi.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int expectedSerial = atoi(argv[1]);
    hid_device_info* devices = hid_enumerate(0x0483, 0x5750);
    if (!devices || strcmp(devices->path, "veloka-sim:0") != 0) {
        fprintf(stderr, "virtual reader not enumerated\n");
        return 1;
    }
    hid_device* dev = hid_open_path(devices->path);
    hid_free_enumeration(devices);
    if (!dev)
        return 1;
    // readDevInfo, no payload: BB AA 08 00 01 58 sum.
    unsigned char report[65] = { 0, 0xBB, 0xAA, 0x08, 0x00, 0x01, 0x58 };
    unsigned sum = 0;
    for (int i = 1; i <= 6; ++i)
        sum += report[i];
    report[7] = static_cast<unsigned char>(sum);
    report[8] = static_cast<unsigned char>(sum >> 8);
    if (hid_write(dev, report, sizeof report) != 65)
        return 1;
    unsigned char response[64] = {};
    const int n = hid_read_timeout(dev, response, sizeof response, 500);
    hid_close(dev);
    const int serial = response[8] | (response[9] << 8);
    if (n != 64 || response[6] != 0 || serial != expectedSerial) {
        fprintf(stderr, "unexpected answer: %d bytes, status %d, serial %d\n", n, response[6], serial);
        return 1;
    }
    printf("virtual reader answered through LD_PRELOAD, serial %d\n", serial);
    return 0;
}
