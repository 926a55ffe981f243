#include "core/platform/machineid.h"

#include <QMessageAuthenticationCode>
#include <QSysInfo>

#include <cctype>

namespace {

QByteArray idBytes(const QByteArray& hex)
{
    const QByteArray text = hex.trimmed();
    if (text.size() != 32)
        return {};
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    }
    return QByteArray::fromHex(text);
}

} // namespace

QString AppSpecificMachineGuid(const QByteArray& machineId, const QByteArray& appKey)
{
    const QByteArray key = idBytes(machineId);
    const QByteArray message = idBytes(appKey);
    if (key.isEmpty() || message.isEmpty())
        return {};
    QByteArray id = QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256).left(16);
    // Marked as a random (version 4) UUID, as systemd does, so it reads as a well-formed GUID.
    id[6] = char((id[6] & 0x0F) | 0x40);
    id[8] = char((id[8] & 0x3F) | 0x80);
    const QByteArray hex = id.toHex();
    return QString::fromLatin1(hex.left(8) + '-' + hex.mid(8, 4) + '-' + hex.mid(12, 4) + '-' + hex.mid(16, 4) + '-' +
                               hex.mid(20));
}

QString MachineGuid()
{
    return AppSpecificMachineGuid(QSysInfo::machineUniqueId());
}
