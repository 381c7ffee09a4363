#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A file system of a few pages of its own (tmpfs), to make a disk full or read-only for
// real. Needs the right to mount; tests skip where it is missing.
class TinyDisk {
public:
    TinyDisk() {
        m_mounted =
            m_dir.isValid() && QProcess::execute(QStringLiteral("mount"),
                                                 {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                  QStringLiteral("-o"), QStringLiteral("size=64k"),
                                                  QStringLiteral("tmpfs"), m_dir.path()}) == 0;
    }
    ~TinyDisk() {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Takes every free byte, so that the next write of even one byte fails.
    bool fill() {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray chunk(1024, 'f');
        while (filler.write(chunk) > 0) {
        }
        const QByteArray byte(1, 'f');
        while (filler.write(byte) > 0) {
        }
        return true;
    }
    bool makeReadOnly() {
        return QProcess::execute(
                   QStringLiteral("mount"),
                   {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()}) == 0;
    }
    // Every entry but the filler: what a failed write may have left behind.
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
