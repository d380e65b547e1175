#include "SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace {

QString RuntimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const QString& name)
    : m_path(RuntimeFolder() + QLatin1Char('/') + name + QStringLiteral(".lock"))
{
}

SingleInstance::~SingleInstance()
{
    Release();
}

SingleInstance::Result SingleInstance::TryAcquire()
{
    m_pLock = std::make_unique<QLockFile>(m_path);
    // Stale means: the process named in the lock no longer runs.
    m_pLock->setStaleLockTime(0);
    if (m_pLock->tryLock(0))
        return Result::Acquired;
    const QLockFile::LockError error = m_pLock->error();
    m_pLock.reset();
    return error == QLockFile::LockFailedError ? Result::HeldElsewhere : Result::Unavailable;
}

void SingleInstance::Release()
{
    if (m_pLock)
        m_pLock->unlock();
    m_pLock.reset();
}
