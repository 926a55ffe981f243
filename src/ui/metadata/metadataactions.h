#pragma once

class QAction;

// The items of the metadata commands: saving the report, the copy without metadata, and the pane's context menu.
struct MetadataActions
{
    QAction* SaveMetadataasTXT1; // File menu
    QAction* SaveMetadataasCSV1;
    QAction* SaveAs1; // the list's context menu
    // The pane's context menu.
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* Delete1;
    QAction* SelectAll3;
};
