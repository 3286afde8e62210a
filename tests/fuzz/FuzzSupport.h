#pragma once

// What the fuzz targets share: reading typed values off the input, and the oracle check that stops the
// run with a message (libFuzzer keeps the input that broke it as a crash artifact).

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "oracle broken: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char* what, const QString& detail = QString()) {
    if (!holds)
        fail(what, detail);
}

// Consumes the input from the front; reading past its end yields zeros and empty ranges.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t remaining() const { return m_size - m_pos; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint16_t le16() {
        const std::uint16_t lo = byte();
        return static_cast<std::uint16_t>(lo | (byte() << 8));
    }
    // Up to n bytes (fewer at the end of the input).
    const std::uint8_t* take(std::size_t n, std::size_t* got) {
        const std::size_t k = n < remaining() ? n : remaining();
        const std::uint8_t* p = m_data + m_pos;
        m_pos += k;
        *got = k;
        return p;
    }
    const std::uint8_t* rest(std::size_t* got) { return take(remaining(), got); }
    // The rest as UTF-16 code units, two bytes each (lone surrogates included).
    QString utf16Rest() {
        std::size_t n = 0;
        const std::uint8_t* p = rest(&n);
        QString text;
        for (std::size_t i = 0; i + 1 < n; i += 2)
            text += QChar(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
        return text;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace fuzz
