#include "core/online/updatecheck.h"

#include "core/base/errors.h"
#include "core/online/checkreply.h"
#include "core/online/postform.h"
#include "core/app/serviceaddress.h"

#include <QCryptographicHash>
#include <QSettings>
#include <QSysInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRequestsPerDay = 5;
constexpr int kNoticesPerDay = 3;

// The check's failure record: each message appended, two CRs between them; a blank message is not recorded.
class FailureRecord
{
public:
    void add(const QString& message)
    {
        if (message.trimmed().isEmpty())
            return;
        if (!m_text.isEmpty())
            m_text += u"\r\r"_s;
        m_text += message;
        m_failed = true;
    }
    void clear()
    {
        m_text.clear();
        m_failed = false;
    }
    bool failed() const { return m_failed; }
    const QString& text() const { return m_text; }

private:
    QString m_text;
    bool m_failed = false;
};

// Integers are kept as decimal text; a missing value or one that is not a number reads as the default.
int readInteger(const QSettings& store, QAnyStringView name, int defaultValue)
{
    bool ok = false;
    const int value = store.value(name).toString().toInt(&ok);
    return ok ? value : defaultValue;
}

QString errorMessage(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const TagscopeError*>(&error))
        return own->message();
    return QString::fromLocal8Bit(error.what());
}

// Asks the service, https first and plain http as fallback. A reply over http clears every failure recorded
// before it, as if nothing had gone wrong.
QString askService(const CheckEnvironment& environment, const QStringList& fields, FailureRecord& failures)
{
    const auto post = environment.post ? environment.post
                                       : [&environment](const QString& address, const QStringList& lines, int timeout) {
                                             return PostForm(address, lines, timeout, environment.cancel);
                                         };
    const QString path = u"/php/check2.php"_s;
    try {
        return post(ServiceAddress(true, environment.serviceHost, path), fields, environment.timeoutSeconds);
    } catch (const std::exception& error) {
        failures.add(u"HTTPS Response:\r"_s + errorMessage(error));
    }
    try {
        const QString reply = post(ServiceAddress(false, environment.serviceHost, path), fields, environment.timeoutSeconds);
        failures.clear();
        return reply;
    } catch (const std::exception& error) {
        failures.add(u"HTTP Response:\r"_s + errorMessage(error));
    }
    return {};
}

} // namespace

QString ApplicationNameDigest(const QString& applicationName)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(applicationName.toLatin1(), QCryptographicHash::Md5).toHex().toUpper());
}

QString UpdateStorePath(const QString& configHome, const QString& companyName, const QString& applicationName)
{
    const QString digest = ApplicationNameDigest(applicationName);
#ifdef Q_OS_WIN
    Q_UNUSED(configHome);
    return u"HKEY_CURRENT_USER\\Software\\"_s + companyName + u'\\' + digest + u"\\Settings"_s;
#else
    return configHome + u'/' + companyName + u'/' + digest + u"/Settings.conf"_s;
#endif
}

QString OperatingSystemText()
{
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel.at(0).toUpper();
    return QSysInfo::prettyProductName() + u"; "_s + kernel + u' ' + QSysInfo::kernelVersion() + u"; "_s +
           QSysInfo::currentCpuArchitecture();
}

QString LocaleNameOf(const QString& localeName)
{
    if (localeName.isEmpty() || localeName == u"C"_s)
        return u"xx"_s;
    QString name = localeName;
    name.replace(u'_', u'-');
    return name;
}

QStringList CheckRequestFields(const CheckEnvironment& environment, int howMany)
{
    return {
        u"cmd=check"_s,
        u"appname="_s + environment.applicationName,
        u"version="_s + environment.versionText,
        u"os="_s + environment.osText,
        u"local="_s + environment.localeName,
        u"guid="_s + environment.machineGuid,
        u"howmany="_s + QString::number(howMany),
    };
}

bool CheckNow(const CheckEnvironment& environment, CheckResult& result)
{
    using namespace UpdateStore;
    result = CheckResult();
    FailureRecord failures;

    QSettings store(environment.storePath, QSettings::NativeFormat);
    if (environment.serviceHost.isEmpty()) {
        // A program built without a service: it only shows the stored setting in its menu and records nothing.
        result.notificationsSetting = readInteger(store, ShowUpdate, 1);
        return true;
    }
    if (!store.isWritable())
        failures.add(u"Error: Registry open problem!"_s);

    const QString lastCheck = store.value(LastUpdateCheck).toString();
    int count = readInteger(store, LastUpdateCheckCount, 0);

    int howMany = std::max(0, readInteger(store, HowMany, 0));
    if (store.value(InstalledVersion).toString() != environment.versionText)
        howMany = 0;
    ++howMany;
    store.setValue(HowMany, QString::number(howMany));
    store.setValue(InstalledVersion, environment.versionText);
    store.sync();
    if (store.status() != QSettings::NoError)
        return false;

    const int setting = readInteger(store, ShowUpdate, 1);
    result.notificationsSetting = setting;
    if (setting == 0)
        return true;

    const QString& today = environment.today;
    if (lastCheck == today && count >= kRequestsPerDay)
        return true;
    count = lastCheck == today ? count + 1 : 1;
    store.setValue(LastUpdateCheck, today);
    store.setValue(LastUpdateCheckCount, QString::number(count));
    store.sync();

    try {
        const QString reply = askService(environment, CheckRequestFields(environment, howMany), failures);
        if (reply.startsWith(u"ERROR"_s))
            failures.add(u"INVALIDSERVERRESPONSE"_s);
        CheckReply parsed;
        if (!failures.failed()) {
            parsed = ReadCheckReply(reply);
            if (!parsed.valid)
                failures.add(u"INVALIDSERVERRESPONSE"_s);
        }
        if (!failures.failed()) {
            result.offeredVersion = parsed.version;
            store.setValue(CurrentVersion, parsed.version);
            store.sync();
            result.downloadAddress = parsed.url;
            result.noticeWanted = parsed.version != environment.versionText && IsNumericVersion(parsed.version) &&
                                  setting == 1 && (lastCheck != today || count <= kNoticesPerDay);
        }
    } catch (const std::exception& error) {
        failures.add(u"Exception Error:\r"_s + errorMessage(error));
    }
    result.failed = failures.failed();
    result.failureText = failures.text();
    return true;
}

bool WriteShowUpdate(const QString& storePath, int value)
{
    QSettings store(storePath, QSettings::NativeFormat);
    store.setValue(UpdateStore::ShowUpdate, QString::number(value));
    store.sync();
    return store.status() == QSettings::NoError;
}
