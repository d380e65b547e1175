#include "ui/app/SingleInstance.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// A real folder (not a link to one) of this user that nobody else may enter:
// nobody else can have put anything in it, nor take it away.
bool IsPrivateFolder(const QString& folder)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Where the token lies: the user's runtime folder, which Qt hands out only
// when it is the user's alone (owned by the user, mode 0700). Without one, a folder of the user's own in the
// temporary folder: never a fixed name in the shared temporary folder itself,
// which another local user could make first and so keep the program from
// starting or hear its requests. When that folder exists but is not private,
// nothing: the program runs without the token.
QString PrivateFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/vornalix-") + QString::number(::geteuid());
    if (::mkdir(QFile::encodeName(own).constData(), S_IRWXU) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(own) ? own : QString();
}

} // namespace

SingleInstance::SingleInstance(const QString& name)
{
    const QString folder = PrivateFolder();
    if (!folder.isEmpty())
        m_path = folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance()
{
    Release();
}

SingleInstance::Result SingleInstance::TryAcquire()
{
    if (m_path.isEmpty())
        return Result::Unavailable;
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
