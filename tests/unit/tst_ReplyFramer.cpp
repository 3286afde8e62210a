#include "device/ReplyFramer.h"
#include "support/TestSupport.h"

#include <QtTest>

namespace {

// A reply layout with its code and recognisable field bytes.
QByteArray layout(quint16 code) {
    const qsizetype length = ReplyFramer::layoutLength(code);
    QByteArray bytes(length, '\0');
    bytes[0] = static_cast<char>(code & 0xFF);
    bytes[1] = static_cast<char>(code >> 8);
    for (qsizetype i = 2; i < length; ++i)
        bytes[i] = static_cast<char>(0x30 + (i + code) % 64);
    return bytes;
}

// The same reply as the controller sends it: 1024 bytes, zero padding.
QByteArray full(quint16 code, char padding = '\0') {
    QByteArray bytes = layout(code);
    bytes.append(QByteArray(1024 - bytes.size(), padding));
    return bytes;
}

QByteArray codeOnly(quint16 code, qsizetype length) {
    QByteArray bytes(length, '\x55');
    bytes[0] = static_cast<char>(code & 0xFF);
    bytes[1] = static_cast<char>(code >> 8);
    return bytes;
}

// Any length from the layout up to 1024, padded with zeros.
QByteArray sized(quint16 code, qsizetype length) {
    QByteArray bytes = layout(code).left(length);
    bytes.append(QByteArray(length - bytes.size(), '\0'));
    return bytes;
}

using Chunks = QList<QByteArray>;

// Stands for a quiet spell between reads: the session flushes the framer.
const QByteArray kQuiet = QByteArrayLiteral("<quiet>");

} // namespace

class tst_ReplyFramer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framing_data();
    void framing();
};

void tst_ReplyFramer::framing_data() {
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Chunks>("expected");
    QTest::addColumn<int>("pending");
    QTest::addColumn<bool>("waiting"); // for the rest of a reply whose layout is incomplete

    const QByteArray info = full(1);
    const QByteArray status = full(100);

    QTest::newRow("1024 reply whole") << Chunks{info} << Chunks{layout(1)} << 0 << false;
    QTest::newRow("1024 reply, then the next: padding skipped")
        << Chunks{info, full(106)} << Chunks{layout(1), layout(106)} << 0 << false;
    QTest::newRow("1024 split inside the layout")
        << Chunks{status.left(10), status.mid(10)} << Chunks{layout(100)} << 0 << false;
    QTest::newRow("1024 split after the layout")
        << Chunks{status.left(500), status.mid(500), full(4)} << Chunks{layout(100), layout(4)} << 0 << false;
    QTest::newRow("1024 split after one code byte")
        << Chunks{info.left(1), info.mid(1, 600), info.mid(601)} << Chunks{layout(1)} << 0 << false;
    QTest::newRow("1024 split exactly at the layout end")
        << Chunks{full(0).left(44), full(0).mid(44), full(1)} << Chunks{layout(0), layout(1)} << 0 << false;
    QTest::newRow("1024 split before its last byte, the next reply with it")
        << Chunks{full(107, '\x7F').left(1023), full(107, '\x7F').right(1) + full(108)}
        << Chunks{layout(107), layout(108)} << 0 << false;
    QTest::newRow("two 1024 replies in one read")
        << Chunks{status + full(4)} << Chunks{layout(100), layout(4)} << 0 << false;
    QTest::newRow("1024 reply and part of the next")
        << Chunks{full(106) + info.left(5), info.mid(5)} << Chunks{layout(106), layout(1)} << 0 << false;
    QTest::newRow("1024 replies with non-zero padding")
        << Chunks{full(107, '\x7F') + full(108, '\x7F')} << Chunks{layout(107), layout(108)} << 0 << false;
    QTest::newRow("1024 reply with unread fields beyond its layout")
        << Chunks{layout(1) + QByteArray(100, '\x77') + QByteArray(902, '\0'), full(106)}
        << Chunks{layout(1), layout(106)} << 0 << false;
    QTest::newRow("code read notifications of 1024")
        << Chunks{full(200), full(200).left(30), full(200).mid(30)} << Chunks{layout(200), layout(200)} << 0
        << false;

    QTest::newRow("1023 bytes, the next reply in the same read")
        << Chunks{sized(0, 1023) + full(4) + sized(106, 1023), full(200)}
        << Chunks{layout(0), layout(4), layout(106), layout(200)} << 0 << false;
    QTest::newRow("1023 bytes, the next reply's first byte alone in the read")
        << Chunks{sized(1, 1023) + full(4).left(1), full(4).mid(1)} << Chunks{layout(1), layout(4)} << 0
        << false;
    QTest::newRow("longer than 1024: zeros in the same read are its padding")
        << Chunks{info + QByteArray(476, '\0'), full(106)} << Chunks{layout(1), layout(106)} << 0 << false;
    QTest::newRow("longer than 1024 and the next reply in one read")
        << Chunks{status + QByteArray(1500, '\0') + full(4)} << Chunks{layout(100), layout(4)} << 0 << false;
    QTest::newRow("longer than 1024, split inside its first 1024")
        << Chunks{info.left(500), info.mid(500) + QByteArray(300, '\0'), full(107)}
        << Chunks{layout(1), layout(107)} << 0 << false;
    QTest::newRow("longer than 1024, an unknown code after its zeros")
        << Chunks{info + QByteArray(10, '\0') + codeOnly(3, 2)} << Chunks{layout(1), codeOnly(3, 2)} << 0
        << false;
    QTest::newRow("after 1024 bytes a read beginning with zeros is a login reply")
        << Chunks{info, full(0)} << Chunks{layout(1), layout(0)} << 0 << false;

    QTest::newRow("layout-sized reply whole") << Chunks{layout(0)} << Chunks{layout(0)} << 0 << false;
    QTest::newRow("layout-sized replies one by one")
        << Chunks{layout(0), layout(1), layout(2), layout(4), layout(106), layout(107), layout(108)}
        << Chunks{layout(0), layout(1), layout(2), layout(4), layout(106), layout(107), layout(108)} << 0
        << false;
    QTest::newRow("layout-sized replies in one read")
        << Chunks{layout(100) + layout(4) + layout(200) + layout(107)}
        << Chunks{layout(100), layout(4), layout(200), layout(107)} << 0 << false;
    QTest::newRow("layout-sized reply split")
        << Chunks{layout(1).left(5), layout(1).mid(5)} << Chunks{layout(1)} << 0 << false;
    QTest::newRow("layout-sized replies split across reads")
        << Chunks{layout(0) + layout(106).left(3), layout(106).mid(3) + layout(108)}
        << Chunks{layout(0), layout(106), layout(108)} << 0 << false;
    QTest::newRow("layout incomplete waits for the rest")
        << Chunks{layout(0).left(43)} << Chunks{} << 43 << true;

    QTest::newRow("1024-byte login, then layout-sized replies")
        << Chunks{full(0), layout(1), layout(4) + layout(100), layout(106)}
        << Chunks{layout(0), layout(1), layout(4), layout(100), layout(106)} << 0 << false;
    QTest::newRow("44-byte login, then 1024-byte replies")
        << Chunks{layout(0), full(1), full(100) + full(107)}
        << Chunks{layout(0), layout(1), layout(100), layout(107)} << 0 << false;
    QTest::newRow("64-byte replies, one by one")
        << Chunks{sized(0, 64), sized(1, 64), sized(4, 64), sized(106, 64), sized(200, 64)}
        << Chunks{layout(0), layout(1), layout(4), layout(106), layout(200)} << 0 << false;
    QTest::newRow("64-byte replies in one read")
        << Chunks{sized(0, 64) + sized(2, 64) + sized(108, 64) + sized(200, 64)}
        << Chunks{layout(0), layout(2), layout(108), layout(200)} << 0 << false;
    QTest::newRow("lengths change from reply to reply")
        << Chunks{sized(0, 300) + sized(1, 22) + sized(4, 1024) + sized(106, 64), sized(107, 2)}
        << Chunks{layout(0), layout(1), layout(4), layout(106), layout(107)} << 0 << false;

    QTest::newRow("shorter than its layout: handed out as it came after a quiet spell")
        << Chunks{sized(1, 64), sized(100, 64), kQuiet, sized(106, 64)}
        << Chunks{layout(1), layout(100).left(64), layout(106)} << 0 << false;
    QTest::newRow("shorter than its layout, ended by the next read beginning like a reply")
        << Chunks{sized(100, 64), sized(1, 64)} << Chunks{layout(100).left(64), layout(1)} << 0 << false;
    QTest::newRow("shorter than its layout, the rest before the quiet spell")
        << Chunks{status.left(60), status.mid(60, 100), kQuiet} << Chunks{layout(100)} << 0 << false;
    QTest::newRow("one byte alone is dropped after a quiet spell")
        << Chunks{QByteArray("\x07", 1), kQuiet, layout(108)} << Chunks{layout(108)} << 0 << false;

    QTest::newRow("unknown code alone") << Chunks{codeOnly(3, 20)} << Chunks{codeOnly(3, 2)} << 0 << false;
    QTest::newRow("unknown code, its bytes skipped up to the next known code")
        << Chunks{codeOnly(150, 30) + layout(1)} << Chunks{codeOnly(150, 2), layout(1)} << 0 << false;
    QTest::newRow("unknown code on a 1024 connection takes its 1024")
        << Chunks{info + codeOnly(150, 1024) + full(107)} << Chunks{layout(1), codeOnly(150, 2), layout(107)}
        << 0 << false;
    QTest::newRow("unknown code in the read after a layout-sized reply")
        << Chunks{layout(0) + layout(1), codeOnly(3, 2), layout(107)}
        << Chunks{layout(0), layout(1), codeOnly(3, 2), layout(107)} << 0 << false;
    QTest::newRow("unknown code in the read after a 1024 reply's padding began")
        << Chunks{info.left(100), codeOnly(3, 2)} << Chunks{layout(1), codeOnly(3, 2)} << 0 << false;
    QTest::newRow("a read that begins on the last padding byte before the next reply")
        << Chunks{sized(200, 63), QByteArray(1, '\0') + layout(200)} << Chunks{layout(200), layout(200)} << 0
        << false;
    QTest::newRow("zeros after the layout in the next read are padding")
        << Chunks{layout(1), QByteArray(40, '\0'), layout(107)} << Chunks{layout(1), layout(107)} << 0
        << false;
    QTest::newRow("a last byte that may begin a known code waits for the next")
        << Chunks{codeOnly(3, 19) + QByteArray("\x64", 1)} << Chunks{codeOnly(3, 2)} << 1 << false;
    QTest::newRow("garbage: one byte") << Chunks{QByteArray("\x07", 1)} << Chunks{} << 1 << true;
    QTest::newRow("garbage: text") << Chunks{QByteArray("hello")} << Chunks{QByteArray("he")} << 0 << false;
    QTest::newRow("nothing") << Chunks{QByteArray()} << Chunks{} << 0 << false;
}

void tst_ReplyFramer::framing() {
    QFETCH(Chunks, chunks);
    QFETCH(Chunks, expected);
    QFETCH(int, pending);
    QFETCH(bool, waiting);

    ReplyFramer framer;
    Chunks replies;
    for (const QByteArray& chunk : chunks) {
        for (const QByteArray& reply : chunk == kQuiet ? framer.flush() : framer.feed(chunk))
            replies.append(reply);
    }
    QCOMPARE(replies.size(), expected.size());
    for (qsizetype i = 0; i < replies.size(); ++i)
        QCOMPARE(testsupport::hexDump(replies.at(i)), testsupport::hexDump(expected.at(i)));
    QCOMPARE(framer.pending(), pending);
    QCOMPARE(framer.waitingForRest(), waiting);

    framer.reset();
    QCOMPARE(framer.pending(), 0);
    QVERIFY(framer.flush().empty());
}

QTEST_GUILESS_MAIN(tst_ReplyFramer)
#include "tst_ReplyFramer.moc"
