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

using Chunks = QList<QByteArray>;
using Mode = ReplyFramer::ReplySize;

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
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("pending");

    const QByteArray info = full(1);
    const QByteArray status = full(100);

    QTest::newRow("1024 reply whole") << Chunks{info} << Chunks{layout(1)} << int(Mode::Full) << 0;
    QTest::newRow("1024 reply, then the next: padding skipped")
        << Chunks{info, full(106)} << Chunks{layout(1), layout(106)} << int(Mode::Full) << 0;
    QTest::newRow("1024 split inside the layout")
        << Chunks{status.left(10), status.mid(10)} << Chunks{layout(100)} << int(Mode::Full) << 0;
    QTest::newRow("1024 split after the layout") << Chunks{status.left(500), status.mid(500), full(4)}
                                                 << Chunks{layout(100), layout(4)} << int(Mode::Full) << 0;
    QTest::newRow("1024 split after one code byte")
        << Chunks{info.left(1), info.mid(1, 600), info.mid(601)} << Chunks{layout(1)} << int(Mode::Full) << 0;
    QTest::newRow("1024 split exactly at the layout end")
        << Chunks{full(0).left(44), full(0).mid(44), full(1)} << Chunks{layout(0), layout(1)}
        << int(Mode::Full) << 0;
    QTest::newRow("two 1024 replies in one read")
        << Chunks{status + full(4)} << Chunks{layout(100), layout(4)} << int(Mode::Full) << 0;
    QTest::newRow("1024 reply and part of the next")
        << Chunks{full(106) + info.left(5), info.mid(5)} << Chunks{layout(106), layout(1)} << int(Mode::Full)
        << 0;
    QTest::newRow("1024 replies with non-zero padding")
        << Chunks{full(107, '\x7F') + full(108, '\x7F')} << Chunks{layout(107), layout(108)}
        << int(Mode::Full) << 0;
    QTest::newRow("code read notifications of 1024")
        << Chunks{full(200), full(200).left(30), full(200).mid(30)} << Chunks{layout(200), layout(200)}
        << int(Mode::Full) << 0;

    QTest::newRow("layout-sized reply whole")
        << Chunks{layout(0)} << Chunks{layout(0)} << int(Mode::Unknown) << 0;
    QTest::newRow("layout-sized replies one by one")
        << Chunks{layout(0), layout(1), layout(2), layout(4), layout(106), layout(107), layout(108)}
        << Chunks{layout(0), layout(1), layout(2), layout(4), layout(106), layout(107), layout(108)}
        << int(Mode::Layout) << 0;
    QTest::newRow("layout-sized replies in one read")
        << Chunks{layout(100) + layout(4) + layout(200)} << Chunks{layout(100), layout(4), layout(200)}
        << int(Mode::Layout) << 0;
    QTest::newRow("layout-sized reply split")
        << Chunks{layout(1).left(5), layout(1).mid(5)} << Chunks{layout(1)} << int(Mode::Unknown) << 0;
    QTest::newRow("layout-sized replies split across reads")
        << Chunks{layout(0) + layout(106).left(3), layout(106).mid(3) + layout(108)}
        << Chunks{layout(0), layout(106), layout(108)} << int(Mode::Layout) << 0;
    QTest::newRow("layout incomplete waits for the rest")
        << Chunks{layout(0).left(43)} << Chunks{} << int(Mode::Unknown) << 43;

    QTest::newRow("unknown code alone")
        << Chunks{codeOnly(3, 20)} << Chunks{codeOnly(3, 20)} << int(Mode::Unknown) << 0;
    QTest::newRow("unknown code drops what came with it, next read starts afresh")
        << Chunks{codeOnly(150, 30), layout(1)} << Chunks{codeOnly(150, 30), layout(1)} << int(Mode::Unknown)
        << 0;
    QTest::newRow("unknown code on a 1024 connection takes its 1024")
        << Chunks{info + codeOnly(150, 1024) + full(107)}
        << Chunks{layout(1), codeOnly(150, 1024), layout(107)} << int(Mode::Full) << 0;
    QTest::newRow("unknown code on a layout connection")
        << Chunks{layout(0) + layout(1), codeOnly(3, 2), layout(107)}
        << Chunks{layout(0), layout(1), codeOnly(3, 2), layout(107)} << int(Mode::Layout) << 0;
    QTest::newRow("garbage: one byte")
        << Chunks{QByteArray("\x07", 1)} << Chunks{} << int(Mode::Unknown) << 1;
    QTest::newRow("garbage: text") << Chunks{QByteArray("hello")} << Chunks{QByteArray("hello")}
                                   << int(Mode::Unknown) << 0;
    QTest::newRow("nothing") << Chunks{QByteArray()} << Chunks{} << int(Mode::Unknown) << 0;
}

void tst_ReplyFramer::framing() {
    QFETCH(Chunks, chunks);
    QFETCH(Chunks, expected);
    QFETCH(int, mode);
    QFETCH(int, pending);

    ReplyFramer framer;
    Chunks replies;
    for (const QByteArray& chunk : chunks) {
        for (const QByteArray& reply : framer.feed(chunk))
            replies.append(reply);
    }
    QCOMPARE(replies.size(), expected.size());
    for (qsizetype i = 0; i < replies.size(); ++i)
        QCOMPARE(testsupport::hexDump(replies.at(i)), testsupport::hexDump(expected.at(i)));
    QCOMPARE(int(framer.replySize()), mode);
    QCOMPARE(framer.pending(), pending);

    framer.reset();
    QCOMPARE(int(framer.replySize()), int(Mode::Unknown));
    QCOMPARE(framer.pending(), 0);
}

QTEST_GUILESS_MAIN(tst_ReplyFramer)
#include "tst_ReplyFramer.moc"
