#pragma once
// The report program's file access: it reads only regular files (never
// through a link, never waiting on a FIFO or a device) and makes its output
// new, whole or not at all.
// Plain functions; any thread.
#include <QByteArray>
#include <QString>

class RegularFile {
public:
    // The whole file, when it is a regular file of at most `limit` bytes.
    static bool read(const QString& path, qint64 limit, QByteArray& bytes, QString& error);
    // A new file (an existing one or a link is never written) holding the
    // bytes; on failure nothing is left.
    static bool writeNew(const QString& path, const QByteArray& bytes, QString& error);
};
