#pragma once

// Cuts the byte stream of a command connection into replies.
//
// Controllers differ in how long their replies are: the device sends 1024 bytes (the reply's layout, that
// is the command code and the fields the tool reads, then padding), other firmware and the simulator send
// only the layout or some length in between (64 bytes have been seen), and the length may change after
// the login reply. TCP may split a reply anywhere and may hand over several replies in one read. Nothing
// is learnt from one reply for the next; every reply is framed by itself:
//
// - A reply starts with its 16-bit code. Its layout length follows from the code (44 login, 22 device
//   info, 14 name and file access, 98 module status, 6 log info, 2 for 107 and 108, 45 code read). The
//   reply is handed out as soon as its layout is complete, cut to the layout, so no flag waits for padding.
// - Fewer bytes than the layout stay buffered until the rest arrives. If nothing more comes (the caller
//   calls flush() after a quiet spell), or the next read begins with a known code other than 0, the
//   reply is handed out as it arrived: a reply shorter than its layout. Its missing fields are not there;
//   the reader takes them as zero.
// - After the layout come the reply's remaining bytes (padding, or fields the tool does not read). The
//   next reply begins
//     1. 1024 bytes after the start of this one, unless zeros go on in the same read: a reply longer
//        than 1024 bytes, whose padding runs up to the first non-zero byte or the end of the read, or
//     2. where a known code other than 0 begins (the login reply only ever answers the first request,
//        so two zero bytes are padding), or
//     3. at the start of a read when everything after the layout so far was zero and the read begins
//        with a non-zero byte: a reply with an unknown code after a layout-sized reply. (A read that
//        begins with a zero byte begins in the padding, maybe on its last byte before the next reply.)
// - A reply with a code the tool does not know is handed out as its two code bytes (it fails the command
//   that waits); the bytes after it are skipped by the same rules.
//
// Framed wrongly are: padding that happens to hold a known code; a reply split inside its layout whose
// rest arrives after the quiet spell or begins like a known code; a reply shorter than its layout that
// arrives in one read with the next; a reply longer than 1024 bytes that TCP splits after its 1024th byte
// inside the padding (the read after it begins like a login reply). The controllers pad with zeros and send
// each reply in one piece.

#include <QByteArray>

#include <cstdint>
#include <vector>

class ReplyFramer {
public:
    static constexpr qsizetype FullReplySize = 1024;

    // Bytes of a reply's layout; 0 for codes the tool does not know.
    static qsizetype layoutLength(std::uint16_t code);

    // Takes the bytes of one read; returns the replies they complete, in order, each cut to its layout
    // (a reply with an unknown code as its two code bytes).
    std::vector<QByteArray> feed(const QByteArray& bytes);

    // True while a reply whose layout is not complete waits for the rest: the caller calls flush() when
    // nothing more has come for a while.
    bool waitingForRest() const;
    // Hands out the incomplete reply as it arrived (at most one); drops a lone byte that begins no reply.
    std::vector<QByteArray> flush();

    // Forgets everything (a new connection).
    void reset();

    // Bytes buffered and not yet handed out or skipped.
    qsizetype pending() const { return m_buffer.size() - m_pos; }

private:
    enum class State { ReplyStart, Rest };

    std::uint16_t codeAt(qsizetype pos) const;
    void startRest(qsizetype consumed);
    void take(qsizetype n);

    QByteArray m_buffer;
    qsizetype m_pos = 0; // first byte not yet consumed
    State m_state = State::ReplyStart;
    qsizetype m_offset = 0; // position of m_buffer[m_pos] within the current reply
    bool m_restZero = true; // every byte after the current reply's layout so far was zero
};
