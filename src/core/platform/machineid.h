#pragma once

#include <QByteArray>
#include <QString>

// This program's key for deriving its machine identifier: 16 bytes, as 32 hexadecimal digits.
inline constexpr char kMachineIdAppKey[] = "6c2e1f0a9b4d4e7c8a53d1f2b7e90c46";

// The machine identifier this program reports: derived from the machine id (32 hexadecimal digits, as in
// /etc/machine-id) by HMAC-SHA256 keyed with it over appKey, as systemd's sd_id128_get_machine_app_specific does,
// so the raw machine id never leaves the machine and other programs cannot link the value to theirs. Written as a
// 36-character GUID text in lower case. Empty when machineId is not 32 hexadecimal digits.
QString AppSpecificMachineGuid(const QByteArray& machineId, const QByteArray& appKey = kMachineIdAppKey);

// AppSpecificMachineGuid of this machine's id (the D-Bus machine id); empty when the machine has none.
QString MachineGuid();
