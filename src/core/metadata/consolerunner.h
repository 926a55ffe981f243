#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <stop_token>

class QProcess;

// What a console run left behind.
struct ConsoleResult
{
    bool started = false;  // the child process was started
    bool finished = false; // it ended by itself (false when it was killed at the time limit or on a stop request)
    QString output;        // standard output and standard error as they were written, UTF-8, NUL characters dropped
};

// Runs program with the arguments (no shell ever sees them) in workingFolder, with standard output and standard
// error merged, and returns when the child has ended. A child still running after timeLimit, or when stop is
// requested, is killed and the run returns with finished false. Blocks the calling thread: call it from a worker.
ConsoleResult RunConsoleCommand(const QString& program, const QStringList& arguments, const QString& workingFolder,
                                std::chrono::milliseconds timeLimit = std::chrono::seconds(60),
                                std::stop_token stop = {});

// Readies a process before it starts a program for this one: Perl (ExifTool's language) is told not to warn about a
// locale that is set but not installed, since its warnings would come before every output and hide what ExifTool
// says; and the child gets the open-file limit this program started with. A caller that sets its own child process
// modifier afterwards calls RestoreOpenFileLimit in it.
void PrepareChildProcess(QProcess& process);

// path itself when nothing of that name exists, otherwise the first free "name (k).ext" for k = 2, 3, ...
// in the same folder. A folder or a dangling link of that name counts as taken too, since no file can be written there.
QString UniqueFileName(const QString& path);
