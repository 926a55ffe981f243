#pragma once

// Raises this process's limit of open files to the most the system allows it. The folder walk keeps one folder open
// per level of the current path, and a desktop's usual limit of 1024 would end a deep tree early. Call it once, before
// any other thread starts.
void RaiseOpenFileLimit();

// Puts the limit that RaiseOpenFileLimit found back. Meant for a child process between fork and exec (it only makes
// one system call): the programs this one starts get the limit they would have had, since some of them close or
// poll every descriptor up to it.
void RestoreOpenFileLimit() noexcept;
