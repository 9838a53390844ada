// Identity generation from the system's random source (QRandomGenerator::system). Any thread.
#include "InstanceIdentity.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

namespace corvane::demo {

std::string newInstanceIdentity()
{
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), static_cast<qsizetype>(words.size()));
    return QByteArray(reinterpret_cast<const char*>(words.data()), sizeof words).toHex().toStdString();
}

} // namespace corvane::demo
