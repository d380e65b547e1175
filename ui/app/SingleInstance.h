#pragma once
// The single-instance token: a lock file in the user's runtime folder, taken
// atomically. A lock whose holder has died is stale and is taken over, so a
// crashed instance never blocks the next start. The token only ever lies in a
// folder that is the user's alone; without one there is no token.

#include <memory>

#include <QString>

class QLockFile;

class SingleInstance
{
public:
    explicit SingleInstance(const QString& name);
    ~SingleInstance();

    enum class Result
    {
        Acquired,      // this process holds the token
        HeldElsewhere, // another running instance holds it
        Unavailable,   // the token could not be made; run unguarded
    };
    Result TryAcquire();
    void Release();
    // Empty when there is no private folder for the token.
    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_pLock;
};
