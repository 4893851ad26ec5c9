// Prints the sync's table as the map shows it: one markdown line a row, in the order the machine looks them up.
#include "app/store/sync/SyncMachine.h"

#include <cstdio>

int main() {
    const QByteArray text = sorvel::SyncMachine::markdown().toUtf8();
    return std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) ? 0 : 1;
}
