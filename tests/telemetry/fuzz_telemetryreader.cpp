// libFuzzer entry point for the telemetry reader. Built only with -DQRD7700_FUZZ=ON and clang:
//   CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQRD7700_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_telemetryreader && build-fuzz/tests/fuzz_telemetryreader
#include "telemetry/telemetryreader.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader takes a path: keep one in-memory file and rewrite it for every input.
    static const int fd = memfd_create("telemetry-input", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    static TelemetryRecords records;
    const int count = readTelemetryFile(path, records);
    if (count < 0 || count > kTelemetryCapacity || count % 10 != 0)
        std::abort();
    return 0;
}
