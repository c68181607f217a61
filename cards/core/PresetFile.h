#pragma once

#include <QByteArray>
#include <QString>

// The last card images written, kept in the working directory and offered
// again next time. No header and no checksum: the files are the images.
namespace PresetFile {
inline const QString BikeSetting = QStringLiteral("./set.bin"); // 96 bytes
inline const QString BikeParam = QStringLiteral("./par.bin"); // 32 bytes
inline const QString CarSetting = QStringLiteral("./cartc.bin"); // 32 bytes
inline const QString CarTariff = QStringLiteral("./carrate.bin"); // 48 bytes
inline const QString CarParam = QStringLiteral("./carpar.bin"); // 16 bytes

// The first size bytes of the file; false when it cannot be opened or is
// shorter, which counts as no preset.
bool read(const QString& path, int size, QByteArray& bytes);
// Replaces the file whole, so a failed write keeps the previous preset.
bool write(const QString& path, const QByteArray& bytes);
} // namespace PresetFile
