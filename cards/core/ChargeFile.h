#pragma once

#include <QByteArray>
#include <QtGlobal>

// A reader charge file: 32 bytes issued for one reader. The station reads
// only the first block (AES-128 with the charge-file key); the whole file goes
// to the reader untouched, which validates it.
namespace ChargeFile {

inline constexpr int Size = 32;

struct Contents
{
    quint32 amount = 0; // fen
    quint16 serial = 0; // reader the file was issued for
    quint16 version = 0; // top-up version number
};

// False unless the file is exactly 32 bytes.
bool parse(const QByteArray& file, Contents& contents);

} // namespace ChargeFile
