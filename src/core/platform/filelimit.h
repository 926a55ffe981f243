#pragma once

// Raises this process's limit of open files to the most the system allows it. The folder walk keeps one folder open
// per level of the current path, and a desktop's usual limit of 1024 would end a deep tree early.
void RaiseOpenFileLimit();
