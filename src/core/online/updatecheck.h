#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Everything the update check needs from outside, gathered on the user-interface thread before it starts.
struct CheckEnvironment
{
    QString serviceHost;     // host (and port) of the maker's web service; empty: never contact any host
    QString applicationName; // "company - product"
    QString versionText;     // "%d.%d" of the running program
    QString storePath;       // the per-user store (UpdateStorePath)
    QString today;           // today's date in the user's short date format
    QString osText;          // OperatingSystemText()
    QString localeName;      // LocaleNameOf(), "en-US"
    QString machineGuid;     // MachineGuid(); may be empty
    int timeoutSeconds = 10; // of each attempt; tests shorten it
    const std::atomic<bool>* cancel = nullptr; // ends a running request when it becomes true
    // The form post; PostForm unless a test replaces it.
    std::function<QString(const QString& address, const QStringList& fields, int timeoutSeconds)> post;
};

// What the check leaves for the user-interface thread.
struct CheckResult
{
    int notificationsSetting = 1; // "ShowUpdate" as the check read it
    bool noticeWanted = false;    // the reply named another version and the day's limits allow a notice
    QString offeredVersion;
    QString downloadAddress;
    bool failed = false;          // the failure record: never shown, it only keeps the reply from being used
    QString failureText;
};

// The update check's state shared by the worker and the user-interface thread. The worker writes result and then
// sets done with release ordering; the user-interface thread reads result only after it has seen done (acquire).
struct CheckState
{
    CheckResult result;
    std::atomic<bool> done{false};
};

// The store's value names.
namespace UpdateStore {
inline constexpr char16_t ShowUpdate[] = u"ShowUpdate";
inline constexpr char16_t LastUpdateCheck[] = u"LastUpdateCheck";
inline constexpr char16_t LastUpdateCheckCount[] = u"LastUpdateCheckCount";
inline constexpr char16_t InstalledVersion[] = u"InstalledVersion";
inline constexpr char16_t HowMany[] = u"HowMany";
inline constexpr char16_t CurrentVersion[] = u"CurrentVersion";
} // namespace UpdateStore

// The MD5 digest of the application name as 32 upper-case hexadecimal digits.
QString ApplicationNameDigest(const QString& applicationName);

// The per-user store of the update check, separate from settings.ini: on Linux the file
// "<configHome>/<company>/<digest>/Settings.conf"; on Windows the registry key
// HKEY_CURRENT_USER\Software\<company>\<digest>\Settings. Opened with QSettings in native format.
QString UpdateStorePath(const QString& configHome, const QString& companyName, const QString& applicationName);

// The operating system as the request reports it: the distribution's name, the kernel and its version, the
// processor architecture, such as "Debian GNU/Linux 12 (bookworm); Linux 6.1.0-18-amd64; x86_64".
QString OperatingSystemText();

// A locale's name in the form "en-US"; "xx" for the C locale or a name that cannot be determined.
QString LocaleNameOf(const QString& localeName);

// The request fields of the check, in order.
QStringList CheckRequestFields(const CheckEnvironment& environment, int howMany);

// Runs the whole check on the calling thread: counts the start, applies the day's limits, asks the service (https,
// then http, 10 seconds each) and decides on the notice. Returns false when the store could not be written, in
// which case the check has no result and done must never be set.
bool CheckNow(const CheckEnvironment& environment, CheckResult& result);

// Writes "ShowUpdate" (1: notices on, 0: off), as "Update Notifications" does; false when the store cannot be written.
bool WriteShowUpdate(const QString& storePath, int value);
