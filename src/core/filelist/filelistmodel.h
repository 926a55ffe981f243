#pragma once

#include "core/filelist/fileicons.h"
#include "core/filelist/filetexts.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <atomic>
#include <vector>

class FileRecords;

// The list view's model: row i shows record i of the file list; it keeps nothing of its own but the row count it
// has announced. Rows appended by the scan thread are announced on this model's thread in batches: the first append
// after an announcement queues one call, and that call announces every record complete at that moment. The rows
// shown never outnumber the complete records.
class FileListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListModel)

public:
    FileListModel(FileRecords& records, const QLocale& locale, QObject* parent = nullptr);
    ~FileListModel() override;

    // Column captions, widths in pixels and alignments.
    static QString columnCaption(int column);
    static int columnWidth(int column);
    static Qt::Alignment columnAlignment(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Sorts the file list by a column (see SortRecordArray). The selection keeps its row positions: the persistent
    // indexes are not moved, so the selected rows show whatever records the sort put there.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // "Show Icons": rows drawn while it is off show the blank document; while on, each file's type picture, looked
    // up when the row is first drawn. Switching does not redraw by itself.
    void setShowIcons(bool show) { m_showIcons = show; }
    // Where the rows' pictures come from (none: null icons); it must outlive the model.
    void setPictureProvider(const FilePictureProvider* provider) { m_icons.setProvider(provider); }
    bool showIcons() const { return m_showIcons; }

    // A scan starts: the file list, the rows and the pictures are cleared.
    void clear();
    // Resets the picture cache ("reset the image list") to its two fixed pictures.
    void ImageListSifirla();

    // Announces the records appended since the last announcement.
    void syncRowCount();

    // The item count of the status bar, counting every complete record ("KacItemVarGuncelle" writes it).
    QString KacItemVarGuncelle();

    // Removal and rename of announced rows, each under the list's lock with the matching row signals.
    void RemoveRecordAt(int row);
    void removeRecords(const std::vector<int>& rows);
    void RemoveRecordsWithPath(const QString& path);
    // Removes every record whose full name is one of paths (exact, case-sensitive), in one pass over the list.
    void RemoveRecordsWithPaths(const QStringList& paths);
    bool renameRecord(int row, const QString& newFullName);

    FileRecords& records() const { return m_records; }
    const FileIcons& icons() const { return m_icons; }

private:
    // Beyond this many runs of adjacent rows a removal resets the model instead of announcing each run.
    static constexpr std::size_t kMaxRemovalRuns = 32;

    void onRecordsAppended();
    void removeAnnounced(std::vector<std::size_t> rows);

    FileRecords& m_records;
    QLocale m_locale;
    mutable FileDateTexts m_dates; // the texts of the dates of the rows drawn
    mutable FileIcons m_icons;
    bool m_showIcons = false;
    int m_rowCount = 0;
    std::atomic<bool> m_announcementQueued{false};
};
