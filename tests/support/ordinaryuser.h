// Running a step of a test as another user: as an ordinary user, for the checks that
// root would pass whatever the code does (root may list every folder and write every
// file), or as one of the clerks that a test of shared folders makes.

#pragma once

#include <chrono>
#include <thread>
#include <utility>

#include <csignal>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// The user and group "nobody".
inline constexpr uid_t OrdinaryUserId = 65534;
inline constexpr gid_t OrdinaryGroupId = 65534;

// Starts body in a child process as the user, with the group as its only group when the
// tests run as root; the child exits with what body answers, or 125 where it cannot
// give up root.
template<typename Body>
pid_t startAsUser(uid_t user, gid_t group, Body &&body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0
            && (::setgroups(1, &group) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    return child;
}

// The exit code of the child, waited for at most the given seconds (or without end for
// a negative number), after which the child is killed; -1 where it did not exit
// normally in that time.
inline int exitCodeOf(pid_t child, int seconds = -1)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t waited = ::waitpid(child, &status, seconds < 0 ? 0 : WNOHANG);
        if (waited == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (waited < 0 || child < 0)
            return -1;
        if (steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
}

// Runs body in a child process, as "nobody" when the tests run as root and as the
// tests' own user otherwise, and answers the exit code body returns. A child that
// cannot give up root answers 125; one that does not exit normally, -1.
template<typename Body>
int exitCodeAsOrdinaryUser(Body &&body)
{
    return exitCodeOf(startAsUser(OrdinaryUserId, OrdinaryGroupId, std::forward<Body>(body)));
}
