#pragma once

#include <QString>

#include <functional>

// The name the metadata save dialogs propose for the report of file: the file's full name with the report's
// extension added ("holiday.jpg.txt"), so that accepting the proposal can never name the file itself. When that name
// is one the report must not be written onto (isProtected: the file, a listed file, a copy just saved), the first of
// "holiday.jpg (2).txt", "holiday.jpg (3).txt", ... that is not.
QString ProposedReportName(const QString& file, const QString& extension,
                           const std::function<bool(const QString&)>& isProtected);
