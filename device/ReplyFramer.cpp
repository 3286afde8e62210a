#include "device/ReplyFramer.h"

#include "device/ByteOrder.h"

#include <algorithm>

namespace {

std::uint16_t codeAt(const QByteArray& bytes) {
    return GetLE16(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
}

} // namespace

qsizetype ReplyFramer::layoutLength(std::uint16_t code) {
    switch (code) {
    case 0:
        return 44;
    case 1:
        return 22;
    case 2:
    case 4:
        return 14;
    case 100:
        return 98;
    case 106:
        return 6;
    case 107:
    case 108:
        return 2;
    case 200:
        return 45;
    default:
        return 0;
    }
}

void ReplyFramer::reset() {
    m_buffer.clear();
    m_skip = 0;
    m_undecidedPadding = 0;
    m_size = ReplySize::Unknown;
}

std::vector<QByteArray> ReplyFramer::feed(const QByteArray& bytes) {
    std::vector<QByteArray> replies;
    m_buffer.append(bytes);
    for (;;) {
        if (m_skip > 0) {
            const qsizetype n = std::min(m_skip, m_buffer.size());
            m_buffer.remove(0, n);
            m_skip -= n;
            if (m_skip > 0)
                break;
            continue;
        }
        if (m_buffer.size() < 2)
            break;
        const std::uint16_t code = codeAt(m_buffer);
        if (m_undecidedPadding > 0) {
            if (code != 0 && layoutLength(code) > 0) {
                m_size = ReplySize::Layout;
            } else {
                m_size = ReplySize::Full;
                m_skip = m_undecidedPadding;
            }
            m_undecidedPadding = 0;
            continue;
        }
        const qsizetype layout = layoutLength(code);
        if (layout == 0) {
            if (m_size == ReplySize::Full) {
                const qsizetype n = std::min(m_buffer.size(), FullReplySize);
                replies.push_back(m_buffer.left(n));
                m_buffer.remove(0, n);
                m_skip = FullReplySize - n;
            } else {
                replies.push_back(m_buffer);
                m_buffer.clear();
            }
            continue;
        }
        if (m_buffer.size() < layout)
            break;
        replies.push_back(m_buffer.left(layout));
        m_buffer.remove(0, layout);
        if (m_size == ReplySize::Full)
            m_skip = FullReplySize - layout;
        else if (m_size == ReplySize::Unknown)
            m_undecidedPadding = FullReplySize - layout;
    }
    return replies;
}
