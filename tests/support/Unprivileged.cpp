#include "Unprivileged.h"

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Unprivileged {

uid_t user()
{
    if (::geteuid() != 0)
        return ::geteuid();
    const passwd *nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : uid_t(65534);
}

int run(const std::function<int()> &check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t nobody = user();
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(skipNeeded);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace Unprivileged
