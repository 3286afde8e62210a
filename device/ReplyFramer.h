#pragma once

// Cuts the byte stream of a command connection into replies.
//
// The controller sends each reply with one send of 1024 bytes: the reply's layout (the command code and
// the fields the tool reads) and padding. Other devices and the simulator's short mode send only the
// layout. TCP may split a reply over several reads and may hand over two replies in one read, so the
// stream is framed here instead of taking one read as one reply.
//
// The rule:
// - A reply's code is its first two bytes. Its layout length follows from the code (44 for login, 22
//   for device info, 14 for name and file access, 98 for module status, 6 for log info, 2 for 107 and
//   108, 45 for a code read). A reply is handed out as soon as its layout is complete, cut to the
//   layout, so no field is ever read beyond what arrived and no flag waits for padding.
// - Whether the connection's replies are 1024 bytes or layout-sized is learnt once, from the bytes
//   that follow the first reply's layout: when they begin another reply with a known non-zero code,
//   replies are layout-sized; anything else (zeros, other bytes) is padding, and every reply of the
//   connection is 1024 bytes long. Two zero bytes never count as a next reply: the login reply (code 0)
//   only ever answers the first request of a connection. Until bytes follow the first layout, nothing
//   is decided and nothing is waited for.
// - A code the tool does not know has no known length. The reply is handed out (it fails the command
//   that waits); on a 1024-byte connection the rest of its 1024 bytes are skipped, otherwise everything
//   buffered with it is dropped so that the next read starts afresh.
// - Fewer bytes than a layout (or than the two code bytes) stay buffered until the rest arrives.
//
// A connection whose padding starts with a known reply code, or that changes its reply size after the
// first reply, is not framed correctly; the controller does neither.

#include <QByteArray>

#include <cstdint>
#include <vector>

class ReplyFramer {
public:
    static constexpr qsizetype FullReplySize = 1024;

    enum class ReplySize { Unknown, Full, Layout };

    // Bytes of a reply's layout; 0 for codes the tool does not know.
    static qsizetype layoutLength(std::uint16_t code);

    // Takes the bytes of one read; returns the replies they complete, in order, each cut to its layout
    // (a reply with an unknown code holds at least its two code bytes).
    std::vector<QByteArray> feed(const QByteArray& bytes);

    // Forgets everything (a new connection).
    void reset();

    ReplySize replySize() const { return m_size; }
    // Bytes of an incomplete reply waiting for the rest.
    qsizetype pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    qsizetype m_skip = 0;             // padding of the last 1024-byte reply still to come
    qsizetype m_undecidedPadding = 0; // after the first layout, while the reply size is not known yet
    ReplySize m_size = ReplySize::Unknown;
};
