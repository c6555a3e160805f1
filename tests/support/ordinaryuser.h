// Running a step of a test as an ordinary user, for the checks that root would pass
// whatever the code does: root may list every folder and write every file.

#pragma once

#include <sys/wait.h>
#include <unistd.h>

// The user and group "nobody".
inline constexpr uid_t OrdinaryUserId = 65534;
inline constexpr gid_t OrdinaryGroupId = 65534;

// Runs body in a child process, as "nobody" when the tests run as root and as the
// tests' own user otherwise, and answers the exit code body returns. A child that
// cannot give up root answers 125; one that does not exit normally, -1.
template<typename Body>
int exitCodeAsOrdinaryUser(Body &&body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(OrdinaryGroupId) != 0 || ::setuid(OrdinaryUserId) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
