#include "FirmwarePackets.h"

#include <utility>

FirmwarePackets::FirmwarePackets(QByteArray image)
    : m_image(std::move(image))
{
}
