#pragma once

#include <exception>
#include <functional>

class Dialogs;

// The general error report: an error that escaped a command is shown in a box captioned with the application title
// (its innermost message, with a final "."), and the program goes on. A silent abort shows nothing.
void ShowErrorReport(Dialogs& dialogs, const std::exception_ptr& error);

// Runs a command; an error that escapes it goes to the general error report. Every handler of a window runs through
// this, since Qt's widget code is not made to unwind exceptions.
void RunCommand(Dialogs& dialogs, const std::function<void()>& command);
