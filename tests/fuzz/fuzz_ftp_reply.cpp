// The FTP client's reply parser (FtpReplyParser, as TFtpClient's control connection uses it), fed the
// input as reads of any size. Oracles:
//  - the replies do not depend on how the stream was split into reads: fed in reads, fed at once and
//    read by a reference (the stream cut into lines first, then the multi-line rule of RFC 959), the
//    same codes and lines come out;
//  - a read is refused exactly when the line that has begun after it is longer than the limit, and then
//    nothing of it stays buffered; the buffer never holds more than the limit;
//  - every reply is a line of the stream, in order: never more bytes come out than arrived.
// A command sent in between drops the line that has begun (it answers nothing); a reset (a new
// connection) starts a new stream.

#include "FuzzSupport.h"

#include "net/FtpReplyParser.h"

#include <QList>

#include <cctype>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Replies = std::vector<std::pair<int, QByteArray>>;

Replies reference(const QByteArray& stream) {
    Replies out;
    QList<QByteArray> lines = stream.split('\n');
    lines.removeLast(); // not ended yet
    int open = 0;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const bool digits = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                            std::isdigit(static_cast<unsigned char>(line[1])) &&
                            std::isdigit(static_cast<unsigned char>(line[2]));
        const char separator = line.size() > 3 ? line[3] : '\0';
        const int code = digits ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
        if (open != 0) {
            if (digits && code == open && (line.size() == 3 || separator == ' ')) {
                out.emplace_back(code, line);
                open = 0;
            }
            continue;
        }
        if (!digits || code < 100 || (line.size() > 3 && separator != ' ' && separator != '-'))
            continue;
        if (separator == '-')
            open = code;
        else
            out.emplace_back(code, line);
    }
    return out;
}

// Reads, and the points at which the client sent a command (an empty entry): a line that has begun
// then is dropped up to its end.
struct Stream {
    std::vector<std::optional<QByteArray>> events;
};

// The bytes after the last line feed.
qsizetype begunLength(const QByteArray& bytes) {
    return bytes.size() - (bytes.lastIndexOf('\n') + 1);
}

// inReads is the parser of the previous stream, reset: it must behave like a new one.
void check(const Stream& stream, FtpReplyParser& inReads) {
    Replies got;
    const auto collect = [&](int code, const QByteArray& line) {
        fuzz::check(code == FtpReplyParser::replyCode(line) && code >= 100, "the reply's code is its line's");
        got.emplace_back(code, line);
    };
    // What the parser has taken in: the reads without the dropped lines.
    QByteArray effective;
    bool skipping = false;
    bool refused = false;
    for (const std::optional<QByteArray>& event : stream.events) {
        if (!event) {
            inReads.skipLineBegun();
            const qsizetype begun = begunLength(effective);
            if (!refused && begun > 0) {
                effective.chop(begun);
                skipping = true;
            }
            fuzz::check(refused || inReads.pending() == 0, "nothing of a dropped line stays");
            continue;
        }
        QByteArray bytes = *event;
        const bool fits = inReads.feed(bytes, collect);
        if (skipping) {
            const qsizetype end = bytes.indexOf('\n');
            bytes.remove(0, end < 0 ? bytes.size() : end + 1);
            skipping = end < 0;
        }
        effective += bytes;
        const qsizetype begun = begunLength(effective);
        if (!refused) {
            fuzz::check(fits == (begun <= FtpReplyParser::kMaxLine), "refused exactly for an overlong line");
            if (fits)
                fuzz::check(inReads.pending() == begun, "the line that has begun is buffered");
        }
        fuzz::check(inReads.pending() <= FtpReplyParser::kMaxLine, "bounded buffer");
        if (!fits) {
            fuzz::check(inReads.pending() == 0, "an overlong line is dropped");
            refused = true;
        }
    }

    qsizetype from = 0;
    for (const auto& [code, line] : got) {
        const qsizetype at = effective.indexOf(line, from);
        fuzz::check(at >= 0, "every reply is a line of the stream, in order");
        from = at + line.size();
    }
    if (refused)
        return; // the client gives the connection up; what followed answers nothing

    FtpReplyParser atOnce;
    Replies whole;
    atOnce.feed(effective, [&](int code, const QByteArray& line) { whole.emplace_back(code, line); });
    fuzz::check(got == whole, "the same replies whatever the reads");
    fuzz::check(got == reference(effective), "the reference's replies");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Stream stream;
    FtpReplyParser parser;
    while (in.remaining() > 0) {
        const std::uint8_t head = in.byte();
        if (head == 0xFD) {
            stream.events.emplace_back(); // a command goes out
        } else if (head == 0xFF) {
            check(stream, parser); // a reset: a new connection, a new stream
            parser.reset();
            stream = Stream();
        } else if (head == 0xFE) {
            // A long run of one byte, to reach the line limit with small inputs.
            const int count = in.le16() % 10000;
            stream.events.emplace_back(QByteArray(count, static_cast<char>(in.byte())));
        } else {
            std::size_t n = 0;
            const std::uint8_t* p = in.take(head, &n);
            stream.events.emplace_back(
                QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n)));
        }
    }
    check(stream, parser);
    return 0;
}
