#pragma once
// Work a test has this program do in a child process (one to be killed, for
// example). A role is registered by name instead of being a test of its own,
// so that it is never listed or run as a test: the test program runs the
// role named by its argument "--child-role=NAME" and nothing else.

#include <cstdint>
#include <vector>

#include <QProcessEnvironment>
#include <QString>

// Registers a role while the program starts; the result initialises a static.
bool RegisterChildRole(const char* pszName, int (*pBody)());
// The argument that makes a run of the test program play the role.
QString ChildRoleArgument(const char* pszName);

// Runs this program in the role, offscreen, with the variables of `extra` on
// top of the test's environment; waits until the child prints "ready", then
// kills it with SIGKILL, as a person's program dies. False, with a test
// failure that says why, when the child never got ready or did not die.
bool RunChildRoleUntilReadyThenKill(const char* pszName, const QProcessEnvironment& extra);

// The child's side: once the one channel-table recovery copy holds `image`,
// prints "ready" and waits to be killed. EXIT_FAILURE when the copy never came.
int ReadyOnceTheRecoveryCopyHolds(const std::vector<std::uint8_t>& image);
