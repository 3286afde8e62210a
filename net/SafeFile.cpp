#include "net/SafeFile.h"

namespace net {

SafeFile::SafeFile(const QString& target) : m_file(target) {}

SafeFile::~SafeFile() {
    cancel();
}

bool SafeFile::open() {
    m_failed = !m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return !m_failed;
}

bool SafeFile::write(const QByteArray& bytes) {
    if (m_failed || !m_file.isOpen())
        return false;
    if (m_file.write(bytes) != bytes.size())
        m_failed = true;
    return !m_failed;
}

bool SafeFile::commit() {
    if (m_failed || !m_file.isOpen()) {
        cancel();
        return false;
    }
    // Nothing may stay in a buffer that the rename would not wait for.
    if (!m_file.flush()) {
        cancel();
        return false;
    }
    return m_file.commit();
}

void SafeFile::cancel() {
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // with writing cancelled: removes the temporary file, the target stays
    }
}

QString SafeFile::errorString() const {
    return m_file.errorString();
}

bool WriteFileSafely(const QString& target, const QByteArray& bytes) {
    SafeFile file(target);
    return file.open() && file.write(bytes) && file.commit();
}

} // namespace net
