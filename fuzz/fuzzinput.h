#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzzinput {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Text for the functions that take a QString. Files arrive as UTF-8, but the
// editor hands over any UTF-16, lone surrogates included: input that starts
// with FF FE (never valid UTF-8) is read as raw UTF-16 code units instead.
inline QString text(const uint8_t *data, size_t size)
{
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        QString out;
        out.reserve(qsizetype((size - 2) / 2));
        for (size_t i = 2; i + 1 < size; i += 2)
            out.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
        return out;
    }
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace fuzzinput
