#pragma once

// The reply side of an FTP control connection: the bytes of each read in, complete replies out. A line
// ends at a line feed (CR LF or a bare LF); a reply is a line beginning with three digits and a space (or
// nothing more); "123-" opens a multi-line reply that ends at the line beginning "123 " and is handed out
// as that last line. Text outside a reply is ignored rather than taken for one.

#include <QByteArray>

#include <functional>

class FtpReplyParser {
public:
    // A line longer than this is not an FTP reply: the connection is given up rather than buffered forever.
    static constexpr qsizetype kMaxLine = 8192;

    using ReplyHandler = std::function<void(int code, const QByteArray& line)>;

    // Takes the bytes of one read and hands every reply they complete to onReply, in order. False when the
    // line that has begun grows beyond kMaxLine; what it held is dropped.
    bool feed(const QByteArray& bytes, const ReplyHandler& onReply);

    // Drops the line that has begun, up to its end in the reads to come: it began before the command now
    // sent and answers nothing (an open multi-line reply stays open). Nothing happens between lines.
    void skipLineBegun();

    // Forgets the line that has begun and an open multi-line reply (a new connection).
    void reset();

    // The code of a reply line: three digits followed by nothing, a space or '-'; 0 for any other text.
    static int replyCode(const QByteArray& line);

    // Bytes of the line that has begun.
    qsizetype pending() const { return m_lineBuffer.size(); }

private:
    void parseLine(const QByteArray& line, const ReplyHandler& onReply);

    QByteArray m_lineBuffer;
    int m_multiLineCode = 0;      // code of an unfinished "123-" reply
    bool m_skipLineStart = false; // the reads to come begin with the rest of a dropped line
};
