#include "device/ReplyFramer.h"

#include "device/ByteOrder.h"

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
    m_pos = 0;
    m_state = State::ReplyStart;
    m_offset = 0;
    m_restZero = true;
}

std::uint16_t ReplyFramer::codeAt(qsizetype pos) const {
    return GetLE16(reinterpret_cast<const std::uint8_t*>(m_buffer.constData() + pos));
}

void ReplyFramer::take(qsizetype n) {
    m_pos += n;
    m_offset += n;
}

void ReplyFramer::startRest(qsizetype consumed) {
    m_state = State::Rest;
    m_offset = 0;
    take(consumed);
    m_restZero = true;
}

bool ReplyFramer::waitingForRest() const {
    if (m_state != State::ReplyStart || pending() == 0)
        return false;
    if (pending() < 2)
        return true;
    const qsizetype layout = layoutLength(codeAt(m_pos));
    return layout > 0 && pending() < layout;
}

std::vector<QByteArray> ReplyFramer::flush() {
    std::vector<QByteArray> replies;
    if (!waitingForRest())
        return replies;
    if (pending() < 2) {
        m_buffer.clear();
        m_pos = 0;
        return replies;
    }
    replies.push_back(m_buffer.mid(m_pos));
    startRest(pending());
    return replies;
}

std::vector<QByteArray> ReplyFramer::feed(const QByteArray& bytes) {
    std::vector<QByteArray> replies;
    if (m_pos == m_buffer.size()) {
        m_buffer.clear();
        m_pos = 0;
    }
    const qsizetype readStart = m_buffer.size();
    if (bytes.size() >= 2 && pending() >= 2 && waitingForRest()) {
        // The device sends a reply in one piece: a read that begins like a reply ends the one before,
        // which was shorter than its layout.
        const std::uint16_t next = GetLE16(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
        if (next != 0 && layoutLength(next) > 0) {
            replies.push_back(m_buffer.mid(m_pos));
            startRest(pending());
        }
    }
    m_buffer.append(bytes);

    for (;;) {
        const qsizetype available = m_buffer.size() - m_pos;
        if (m_state == State::ReplyStart) {
            if (available < 2)
                break;
            const std::uint16_t code = codeAt(m_pos);
            const qsizetype layout = layoutLength(code);
            if (layout == 0) {
                replies.push_back(m_buffer.mid(m_pos, 2));
                startRest(2);
                continue;
            }
            if (available < layout)
                break;
            replies.push_back(m_buffer.mid(m_pos, layout));
            startRest(layout);
            continue;
        }

        // The rest of a reply, up to the start of the next one.
        if (available == 0)
            break;
        if (m_offset >= FullReplySize) {
            // Zeros that go on in the same read belong to a reply longer than 1024 bytes: the login reply
            // only ever answers the first request, so they begin no reply. Anything else begins the next.
            if (m_pos != readStart && m_buffer.at(m_pos) == '\0') {
                take(1);
                continue;
            }
            m_state = State::ReplyStart;
            continue;
        }
        // A code may begin on the 1024th byte: its second byte, zero for every known code, is the first of
        // the next 1024 (a reply of 1023 bytes and the next one).
        if (available >= 2) {
            const std::uint16_t code = codeAt(m_pos);
            const bool known = code != 0 && layoutLength(code) > 0;
            // A zero first byte is padding still: a read may begin on the last padding byte before the
            // next reply, and that byte with the reply's first one is no code.
            const bool unknownAfterLayout = m_pos == readStart && m_restZero && m_buffer.at(m_pos) != '\0';
            if (known || unknownAfterLayout) {
                m_state = State::ReplyStart;
                continue;
            }
        } else if (const auto first = static_cast<std::uint8_t>(m_buffer.at(m_pos));
                   first != 0 && layoutLength(first) > 0) {
            break; // may begin a known code (all are below 256, none is 0); wait for the next byte
        }
        if (m_buffer.at(m_pos) != '\0')
            m_restZero = false;
        take(1);
    }

    // Keep only what is still to be looked at.
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    return replies;
}
