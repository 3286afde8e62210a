// The command session's reply path: bytes as reads of the connection, cut into replies by ReplyFramer
// and dispatched by TKLVSocket (through its test seam, without a connection). The first byte picks
// the kind of stream:
//  - device-like: replies with known codes, each its layout padded with zeros to any length up to 1024
//    bytes or beyond, split into reads anywhere. Oracle: exactly the layouts come out, in order, and nothing
//    is left buffered — except where a read boundary falls inside a layout right before two bytes that look
//    like a known code, or in a long reply's padding after its 1024th byte (cases the framing documents it
//    cannot tell apart); there only the invariants below hold.
//  - hostile: any bytes in reads of any size, with quiet spells (flush) between them. Oracles: every reply
//    is a piece of the stream, in order and without overlap, so never more bytes come out than arrived;
//    a reply is its two code bytes for an unknown code and never longer than its layout for a known one;
//    at most one reply's worth stays buffered.
// For both, the session's state after every read matches a reference reading of the replies: the error
// and login flags, the log figures, the module status, the code-read events; no reply completes a command
// when none waits. A code-read handler may free the session, as the window's does; nothing of it is
// touched afterwards.

#include "FuzzSupport.h"

#include "device/CommandSocket.h"
#include "device/Conversions.h"
#include "device/ReplyFramer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

#include <vector>

namespace {

constexpr std::uint16_t kKnownCodes[] = {1, 2, 4, 100, 106, 107, 108, 200};

struct CodeRead {
    QString reader;
    quint16 address = 0;
    QString code;
    bool operator==(const CodeRead& o) const {
        return reader == o.reader && address == o.address && code == o.code;
    }
};

// What the session must show after the replies so far.
struct Expected {
    bool error = false;
    bool loggedIn = false;
    std::int32_t logCount = 0;
    std::int32_t logPosition = 0;
    TModuleStatusBlock status{};
    std::vector<CodeRead> codeReads;

    void take(const QByteArray& reply) {
        // Fields that did not arrive read as zero.
        std::vector<std::uint8_t> d(TKLVSocket::PacketSize, 0);
        std::memcpy(d.data(), reply.constData(), std::min<std::size_t>(reply.size(), d.size()));
        const auto le16 = [&](int at) { return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8)); };
        switch (le16(0)) {
        case 0:
            (le16(42) == 1 ? loggedIn : error) = true;
            break;
        case 2:
            error = error || le16(12) != 1;
            break;
        case 4:
            error = error || le16(12) == 0xFFFF;
            break;
        case 100:
            std::memcpy(status.data(), d.data() + 2, sizeof status);
            break;
        case 106:
            logPosition = le16(2);
            logCount = le16(4);
            break;
        case 1:
        case 107:
        case 108:
            break;
        case 200:
            if (d[2] == 1 && d[3] == 0)
                codeReads.push_back({CharsToStr(d.data() + 14, 19), le16(12), CodeToStr(d.data() + 34, 10)});
            break;
        default:
            error = true;
            break;
        }
    }
};

struct Session {
    QPointer<TKLVSocket> socket;
    std::vector<CodeRead> codeReads;
    int freeAtCodeRead = -1; // the handler frees the session at this event (0-based); -1 never
};

void compareSession(const Session& s, const Expected& e) {
    const TKLVSocket& k = *s.socket;
    fuzz::check(k.ErrorFlag == e.error, "error flag");
    fuzz::check(k.LoggedInFlag == e.loggedIn, "login flag");
    fuzz::check(!k.DoneFlag, "a stray reply completed a command although none waits");
    fuzz::check(k.LogCount == e.logCount && k.LogPosition == e.logPosition, "log figures");
    fuzz::check(std::memcmp(k.ModuleStatus.data(), e.status.data(), sizeof e.status) == 0, "module status");
    fuzz::check(s.codeReads == e.codeReads, "code-read events");
}

class Run {
public:
    explicit Run(int freeAt) {
        m_session.freeAtCodeRead = freeAt;
        m_session.socket = new TKLVSocket;
        Session* session = &m_session;
        m_session.socket->OnCodeRead = [session](TKLVSocket* sender, const QString& reader, quint16 address,
                                                 const QString& code) {
            session->codeReads.push_back({reader, address, code});
            if (static_cast<int>(session->codeReads.size()) - 1 == session->freeAtCodeRead)
                delete sender;
        };
    }
    ~Run() {
        delete m_session.socket.data();
        // What the session's objects posted goes now, or the queue grows from input to input (and every
        // later delivery walks all of it); the socket underneath a session freed in its handler goes by
        // deleteLater, which only an explicit call delivers outside an event loop.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // One read; the replies it completes go to the reference as well.
    void read(const QByteArray& bytes) {
        step(m_framer.feed(bytes), [&] { return m_session.socket->ReceiveForTest(bytes); });
    }
    void quietSpell() {
        step(m_framer.flush(), [&] { return m_session.socket->FlushPartialReplyForTest(); });
    }

    const std::vector<QByteArray>& replies() const { return m_replies; }
    ReplyFramer& framer() { return m_framer; }

private:
    template <typename Deliver> void step(const std::vector<QByteArray>& replies, Deliver deliver) {
        for (const QByteArray& r : replies) {
            m_replies.push_back(r);
            m_expected.take(r);
        }
        if (!m_session.socket)
            return;
        const bool alive = deliver();
        fuzz::check(alive == !m_session.socket.isNull(), "the seam says whether the session lives");
        if (!alive) {
            // Freed at its chosen event: the events up to it were delivered, none after it.
            fuzz::check(static_cast<int>(m_session.codeReads.size()) == m_session.freeAtCodeRead + 1,
                        "freed at its event");
            return;
        }
        compareSession(m_session, m_expected);
    }

    ReplyFramer m_framer; // a twin of the session's own: the same bytes give the same replies
    Session m_session;
    Expected m_expected;
    std::vector<QByteArray> m_replies;
};

void deviceLike(fuzz::Input& in, int freeAt) {
    QByteArray stream;
    std::vector<QByteArray> layouts;
    std::vector<qsizetype> starts;
    std::vector<qsizetype> lengths;
    const int count = 1 + in.byte() % 6;
    for (int i = 0; i < count; ++i) {
        // The login reply only ever answers the first request.
        const std::uint16_t code =
            i == 0 && (in.byte() & 1) ? 0 : kKnownCodes[in.byte() % std::size(kKnownCodes)];
        const qsizetype layout = ReplyFramer::layoutLength(code);
        QByteArray reply(layout, '\0');
        reply[0] = static_cast<char>(code & 0xFF);
        reply[1] = static_cast<char>(code >> 8);
        for (qsizetype k = 2; k < layout; ++k)
            reply[k] = static_cast<char>(in.byte());
        const int lengthChoice = in.byte();
        const qsizetype length = lengthChoice < 128   ? ReplyFramer::FullReplySize
                                 : lengthChoice < 192 ? layout
                                 : lengthChoice < 240
                                     ? layout + (in.le16() % (ReplyFramer::FullReplySize - layout + 1))
                                     : ReplyFramer::FullReplySize + 1 + in.le16() % 2048;
        starts.push_back(stream.size());
        lengths.push_back(length);
        layouts.push_back(reply);
        stream += reply;
        stream += QByteArray(length - layout, '\0');
    }

    Run run(freeAt);
    bool ambiguous = false;
    qsizetype at = 0;
    while (at < stream.size()) {
        // Read sizes from the input while it lasts, then the rest in one read.
        const qsizetype wanted = in.remaining() >= 2 ? 1 + in.le16() % 1500 : stream.size();
        const qsizetype size = std::min<qsizetype>(wanted, stream.size() - at);
        const qsizetype next = at + size;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const qsizetype s = starts[i];
            if (next < stream.size() - 1) {
                const std::uint16_t code = static_cast<std::uint8_t>(stream[next]) |
                                           (static_cast<std::uint8_t>(stream[next + 1]) << 8);
                if (next >= s + 2 && next < s + layouts[i].size() && code != 0 &&
                    ReplyFramer::layoutLength(code) > 0)
                    ambiguous = true;
            }
            // A read that begins in the padding beyond a long reply's 1024th byte looks like a login reply.
            if (next >= s + ReplyFramer::FullReplySize && next < s + lengths[i])
                ambiguous = true;
        }
        run.read(stream.mid(at, size));
        at = next;
    }
    if (ambiguous)
        return;
    const auto describe = [](const std::vector<QByteArray>& list) {
        QStringList parts;
        for (const QByteArray& r : list)
            parts << QStringLiteral("%1:%2").arg(QString::fromLatin1(r.left(2).toHex())).arg(r.size());
        return parts.join(QLatin1Char(' '));
    };
    fuzz::check(run.replies() == layouts, "device-like stream: exactly the layouts",
                describe(run.replies()) + QStringLiteral(" / ") + describe(layouts));
    fuzz::check(run.framer().pending() == 0 && !run.framer().waitingForRest(), "nothing left buffered");
}

void hostile(fuzz::Input& in, int freeAt) {
    Run run(freeAt);
    QByteArray stream;
    while (in.remaining() > 0) {
        const std::uint8_t head = in.byte();
        if (head == 0xFF) {
            run.quietSpell();
        } else {
            std::size_t n = 0;
            const std::uint8_t* p = in.take(head, &n);
            const QByteArray bytes(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n));
            stream += bytes;
            run.read(bytes);
        }
        fuzz::check(run.framer().pending() <= ReplyFramer::FullReplySize, "bounded buffer");
    }
    qsizetype from = 0;
    for (const QByteArray& reply : run.replies()) {
        fuzz::check(reply.size() >= 2, "a reply has its code");
        const std::uint16_t code =
            static_cast<std::uint8_t>(reply[0]) | (static_cast<std::uint8_t>(reply[1]) << 8);
        const qsizetype layout = ReplyFramer::layoutLength(code);
        fuzz::check(layout == 0 ? reply.size() == 2 : reply.size() <= layout, "reply length");
        const qsizetype found = stream.indexOf(reply, from);
        fuzz::check(found >= 0, "every reply is a piece of the stream, in order");
        from = found + reply.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t mode = in.byte();
    const int freeAt = (mode & 0x70) == 0x70 ? (mode >> 1) % 3 : -1;
    if (mode & 1)
        hostile(in, freeAt);
    else
        deviceLike(in, freeAt);
    return 0;
}
