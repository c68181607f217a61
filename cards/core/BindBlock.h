#pragma once

#include <QByteArray>
#include <QtGlobal>

// Block 0 of the user sector: the post (and port) the card is bound to,
// plain with a crc. Sixteen zero bytes mean not bound, since the crc of
// twelve zero bytes is not zero.
struct Binding
{
    bool bound = false;
    quint32 post = 0; // shown by car stations
    quint16 post16 = 0; // the low 16 bits, shown by bike stations
    quint8 port = 0; // 0 all ports, 1 to 16 that port only
};

// Post 0 gives sixteen zero bytes (not bound) whatever the port.
QByteArray makeBindBlock(quint32 post, quint8 port);
// Bound only when the block is 16 bytes and its crc matches.
Binding readBinding(const QByteArray& block16);
