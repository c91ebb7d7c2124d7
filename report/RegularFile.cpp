#include "report/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

bool RegularFile::read(const QString& path, qint64 limit, QByteArray& bytes, QString& error) {
    const QByteArray name = path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit) {
        ::close(fd);
        error = QStringLiteral("cannot read %1: not a regular file of at most %2 bytes").arg(path).arg(limit);
        return false;
    }
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    ::close(fd);
    bytes.resize(done);
    return true;
}

bool RegularFile::writeNew(const QString& path, const QByteArray& bytes, QString& error) {
    const QByteArray name = path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QStringLiteral("cannot make %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    if (::close(fd) != 0 || done != bytes.size()) {
        ::unlink(name.constData());
        error = QStringLiteral("cannot write %1 (is the disk full?)").arg(path);
        return false;
    }
    return true;
}
