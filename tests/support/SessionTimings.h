#pragma once

#include "device/CommandSocket.h"

// The waits of every command session a test makes (poll cycle, keep-alive interval, how long the rest of
// a short reply is waited for), shortened for as long as the guard lives and put back as they were when
// it goes, also when a test fails half-way.
class SessionTimings {
public:
    SessionTimings()
        : m_cycleMs(TKLVSocket::DefaultCycleMs), m_keepAliveMs(TKLVSocket::DefaultKeepAliveIntervalMs),
          m_partialReplyMs(TKLVSocket::DefaultPartialReplyWaitMs) {}
    explicit SessionTimings(int cycleMs) : SessionTimings() { setCycleMs(cycleMs); }
    ~SessionTimings() {
        TKLVSocket::DefaultCycleMs = m_cycleMs;
        TKLVSocket::DefaultKeepAliveIntervalMs = m_keepAliveMs;
        TKLVSocket::DefaultPartialReplyWaitMs = m_partialReplyMs;
    }
    SessionTimings(const SessionTimings&) = delete;
    SessionTimings& operator=(const SessionTimings&) = delete;

    void setCycleMs(int ms) { TKLVSocket::DefaultCycleMs = ms; }
    void setKeepAliveIntervalMs(int ms) { TKLVSocket::DefaultKeepAliveIntervalMs = ms; }

private:
    int m_cycleMs;
    int m_keepAliveMs;
    int m_partialReplyMs;
};
