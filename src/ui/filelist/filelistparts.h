#pragma once

class FileListModel;
class FileListSelection;
class FileRecords;
class QTableView;

// The file list as the commands of every subsystem reach it: the records, their model, the view and its selection.
struct FileListParts
{
    FileRecords& records;
    FileListModel& model;
    QTableView& view;
    FileListSelection& selection;
};
