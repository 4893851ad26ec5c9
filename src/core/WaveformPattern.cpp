#include "core/WaveformPattern.h"

#include "core/RecordCoding.h"

#include <cmath>

namespace sorvel::WaveformPattern {

quint64 seedHash(const QUuid& seed) {
    // The FNV-1a offset basis without its last decimal digit; every saved pattern depends on it.
    quint64 hash = 1469598103934665603ULL;
    const QByteArray bytes = RecordCoding::idText(seed).toUtf8();
    for (const char byte : bytes) {
        hash ^= quint64(quint8(byte));
        hash *= 1099511628211ULL;
    }
    return hash;
}

QList<double> heights(const QUuid& seed, int count) {
    QList<double> result;
    if (count < 1)
        return result;
    result.reserve(count);
    quint64 state = seedHash(seed);
    for (int i = 0; i < count; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double random = double(state >> 40) * 5.960464477539063e-08;
        const double envelope = std::sin((double(i) / double(count)) * 3.141592653589793) * 0.45 + 0.55;
        result.append(envelope * (random * 0.8) + 0.2);
    }
    return result;
}

} // namespace sorvel::WaveformPattern
