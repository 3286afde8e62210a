#include "net/FtpReplyParser.h"

#include <algorithm>

int FtpReplyParser::replyCode(const QByteArray& line) {
    if (line.size() < 3 ||
        !std::all_of(line.begin(), line.begin() + 3, [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    if (line.size() > 3 && line.at(3) != ' ' && line.at(3) != '-')
        return 0;
    return line.left(3).toInt();
}

void FtpReplyParser::reset() {
    m_lineBuffer.clear();
    m_multiLineCode = 0;
    m_skipLineStart = false;
}

void FtpReplyParser::skipLineBegun() {
    if (!m_lineBuffer.isEmpty()) {
        m_lineBuffer.clear();
        m_skipLineStart = true;
    }
}

bool FtpReplyParser::feed(const QByteArray& read, const ReplyHandler& onReply) {
    QByteArray bytes = read;
    if (m_skipLineStart) {
        const qsizetype end = bytes.indexOf('\n');
        bytes.remove(0, end < 0 ? bytes.size() : end + 1);
        m_skipLineStart = end < 0;
    }
    m_lineBuffer += bytes;
    qsizetype start = 0;
    for (;;) {
        // A bare line feed ends a line as well as CR LF does.
        const qsizetype end = m_lineBuffer.indexOf('\n', start);
        if (end < 0)
            break;
        QByteArray line = m_lineBuffer.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        parseLine(line, onReply);
        start = end + 1;
    }
    m_lineBuffer.remove(0, start);
    if (m_lineBuffer.size() > kMaxLine) {
        m_lineBuffer.clear();
        return false;
    }
    return true;
}

void FtpReplyParser::parseLine(const QByteArray& line, const ReplyHandler& onReply) {
    const int code = replyCode(line);
    if (m_multiLineCode != 0) {
        // Inside "123-" everything up to a line beginning "123 " belongs to the reply.
        if (code == m_multiLineCode && (line.size() == 3 || line.at(3) == ' ')) {
            m_multiLineCode = 0;
            onReply(code, line);
        }
        return;
    }
    if (code < 100)
        return; // text that is no reply: ignored rather than taken for one
    if (line.size() > 3 && line.at(3) == '-') {
        m_multiLineCode = code;
        return;
    }
    onReply(code, line);
}
