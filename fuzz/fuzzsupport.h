#pragma once

// What the fuzz targets share: the entry point libFuzzer calls, a check that stops the run on a broken property, and
// the input as Qt types.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

[[noreturn]] inline void FuzzCheckFailed(const char* file, int line, const char* condition)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    // libFuzzer treats the abort as a crash and writes the input out.
    std::abort();
}

// A property of the parser's result that must hold for every input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzCheckFailed(__FILE__, __LINE__, #condition);                                                           \
    } while (false)

// The input's bytes, not copied: a read past its end is one past the buffer libFuzzer allocated, which AddressSanitizer
// reports. The array is not NUL-terminated.
inline QByteArray FuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A new private folder (mode 0700) for the files of this run, removed with everything in it when the run ends. It is
// made in memory (/dev/shm) where the system has that, so that the many files written cost no disk writes.
QString FuzzPrivateFolder();
