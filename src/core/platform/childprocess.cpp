#include "core/platform/childprocess.h"

#include "core/platform/filelimit.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

void GiveChildTheStartLimits(QProcess& process)
{
    process.setChildProcessModifier(RestoreOpenFileLimit);
}

void EndChildWithThisProgram(QProcess& process)
{
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        RestoreOpenFileLimit();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // This program ended between the fork and the request above: nobody would end the child.
        if (::getppid() != parent)
            ::_exit(1);
    });
}
