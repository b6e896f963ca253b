#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// The system's 8-bit code page of the machines the devices were made for (Windows-1252):
// each byte becomes one character.
QString decodeEightBit(QByteArrayView bytes);
QChar eightBitChar(quint8 byte);

} // namespace platform
