#pragma once

#include <QString>

// What a path names on the disk, a link taken for what it points to, as QFileInfo would tell it; but for a path held
// as DecodeFileName makes it, whose bytes QFileInfo cannot reach.
struct PathStatus
{
    bool exists = false;
    bool isFile = false; // a regular file
    bool isFolder = false;
    qint64 size = -1; // of a file; -1 when there is none
};

PathStatus StatusOfPath(const QString& path);
