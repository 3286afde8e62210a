#pragma once

// The one way the product writes a complete file: tables, backup pairs, the logbook copy and its export,
// overviews, downloads. The bytes go to a temporary file beside the target, written unbuffered so that a
// full disk fails the very write it happens in (a buffered file that cannot flush its last bytes would
// still be renamed, an empty or cut-off file over a good one), and the temporary file is renamed over the
// target only once every byte is on disk. On any failure the target stays as it was and the temporary
// file goes.

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace net {

class SafeFile {
public:
    explicit SafeFile(const QString& target);
    ~SafeFile(); // without commit(): the target stays as it was
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    // All of bytes, or false (and every later write and the commit fail too).
    bool write(const QByteArray& bytes);
    // Puts the file in the target's place; false when any step failed.
    bool commit();
    // Gives up: the target stays as it was.
    void cancel();
    QString errorString() const;

private:
    QSaveFile m_file;
    bool m_failed = false;
};

// The whole file in one go: open, write, commit.
bool WriteFileSafely(const QString& target, const QByteArray& bytes);

} // namespace net
