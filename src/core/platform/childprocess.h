#pragma once

class QProcess;

// Readies process so that the program it starts gets the open-file limit this program started with: some programs
// close or poll every descriptor up to the limit, which RaiseOpenFileLimit may have made very large.
void GiveChildTheStartLimits(QProcess& process);

// The same, and the program process starts is ended when this program ends, even when this one crashes. Replaces
// what GiveChildTheStartLimits set.
void EndChildWithThisProgram(QProcess& process);
