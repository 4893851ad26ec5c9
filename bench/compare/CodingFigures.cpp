// Figures of the data file's decoding that any version of the coding since
// the store merged another program's writes can give, so that versions are
// compared on the same files in one run (compare-coding.sh builds this against
// each version's sorvel_core). It uses only what every such version offers:
// RecordCoding::decodeLibrary and LibraryMerge::merge.
//
//   coding-figures time FILE     decode beside a QJsonDocument parse, processor ms
//   coding-figures memory FILE   resident MiB and the heap the libraries hold
//                                (held_MiB) once read, then after three writes
//                                by another program merged in

#include "bench/OutsideWrites.h"
#include "bench/PaddedContents.h"
#include "tests/support/HeapBytes.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

using namespace sorvel;

namespace {

const QDateTime undatedAs = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The thread's processor time: on a machine shared with builds, wall time
// measures the others' work as much as this one's.
double processorMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// As the store's worker decodes: its parser's buffers kept from an earlier read.
int timeDecoding(const QByteArray& bytes) {
    const RecordCoding::KeptParser parser;
    if (!RecordCoding::decodeLibrary(bytes, undatedAs))
        return 2;
    std::vector<double> ours;
    std::vector<double> qt;
    for (int round = 0; round < 7; ++round) {
        double start = processorMs();
        const std::optional<Library> library = RecordCoding::decodeLibrary(bytes, undatedAs);
        ours.push_back(processorMs() - start);
        start = processorMs();
        const QJsonDocument document = QJsonDocument::fromJson(bytes);
        qt.push_back(processorMs() - start);
        if (!library || document.isNull())
            return 2;
    }
    std::printf("decode_cpu_ms %.1f qt_cpu_ms %.1f vs_qt %.2f\n", median(ours), median(qt), median(ours) / median(qt));
    return 0;
}

// The heap in use before the file was read: what the libraries hold is the
// difference once the file's bytes are gone.
size_t heldAtStart = 0;

double heldMiB() {
    return (double(test::heapBytesInUse()) - double(heldAtStart)) / (1 << 20);
}

int measureMemory(QByteArray bytes) {
    {
        const std::optional<Library> read = RecordCoding::decodeLibrary(bytes, undatedAs);
        if (!read)
            return 2;
        // Less the file's bytes, still held here.
        std::printf("read: resident_MiB %.1f held_MiB %.1f\n", residentMiB(),
                    heldMiB() - double(bytes.capacity()) / (1 << 20));
    }
    const std::optional<bench::HeldAfterWrites> held = bench::afterOutsideWrites(bytes, 3, undatedAs);
    if (!held)
        return 2;
    bytes = QByteArray();
    std::printf("after_3_writes: resident_MiB %.1f held_MiB %.1f\n", residentMiB(), heldMiB());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: coding-figures time|memory FILE\n");
        return 1;
    }
    heldAtStart = test::heapBytesInUse();
    QByteArray bytes = bench::paddedContents(QString::fromLocal8Bit(argv[2]));
    if (bytes.isEmpty())
        return 1;
    if (std::strcmp(argv[1], "time") == 0)
        return timeDecoding(bytes);
    return measureMemory(std::move(bytes));
}
