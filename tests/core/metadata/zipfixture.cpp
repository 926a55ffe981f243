#include "zipfixture.h"

#include <QFile>
#include <QTest>

#include <zip.h>

#include <sys/stat.h>

bool WriteZipFixture(const QString& path, const QList<ZipFixtureMember>& members)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        qWarning("zip_open failed: %d", error);
        return false;
    }
    // libzip reads the buffers at zip_close, so they must live until then.
    for (const ZipFixtureMember& member : members) {
        zip_int64_t index = -1;
        if (member.kind == ZipFixtureMember::Folder) {
            index = zip_dir_add(archive, member.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* source =
                zip_source_buffer(archive, member.data.constData(), zip_uint64_t(member.data.size()), 0);
            if (source) {
                index = zip_file_add(archive, member.name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
                if (index < 0)
                    zip_source_free(source);
            }
        }
        if (index < 0) {
            qWarning("adding %s failed: %s", member.name.constData(), zip_strerror(archive));
            zip_discard(archive);
            return false;
        }
        const auto at = zip_uint64_t(index);
        zip_uint32_t attributes = 0;
        switch (member.kind) {
        case ZipFixtureMember::File:
            attributes = zip_uint32_t(S_IFREG | member.mode) << 16;
            zip_set_file_compression(archive, at, member.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
            break;
        case ZipFixtureMember::Folder:
            attributes = zip_uint32_t(S_IFDIR | 0755) << 16;
            break;
        case ZipFixtureMember::Symlink:
            attributes = zip_uint32_t(S_IFLNK | 0777) << 16;
            zip_set_file_compression(archive, at, ZIP_CM_STORE, 0);
            break;
        }
        zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, attributes);
    }
    if (zip_close(archive) != 0) {
        qWarning("zip_close failed: %s", zip_strerror(archive));
        zip_discard(archive);
        return false;
    }
    return true;
}
