#pragma once

#include <functional>

#include <sys/types.h>

// Root ignores file permissions, so a test of a permission case runs its check in a child process
// that has become "nobody" when the tests run as root, and in place otherwise.
namespace Unprivileged {

// The exit code a check returns when its case cannot be set up here.
constexpr int skipNeeded = 77;

// The user a permission case runs as: "nobody" under root, the current user otherwise.
uid_t user();

// Runs check as that user and returns its result; -1 when the child did not end normally.
int run(const std::function<int()> &check);

} // namespace Unprivileged
