#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// The pattern an e-mail address must match, as a whole and case-sensitively.
inline constexpr char16_t kEmailPattern[] = u"^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";

// Whether an address (already trimmed) matches kEmailPattern.
bool IsValidEmailAddress(const QString& address);

// The text of the "feedback=" field: the line "I like it!" when liked, the line "I dislike it!" when disliked, then
// the comment trimmed of blanks and control characters; every line ends with CR LF but the comment's last, whether
// the comment's lines ended with CR, LF or CR LF.
QString FeedbackText(bool like, bool dislike, const QString& comment);

// The posted fields, in order; "email=" only when the address is not empty.
QStringList FeedbackFields(const QString& applicationName, const QString& versionText, const QString& feedback,
                           const QString& email);

// Whether a reply says the feedback arrived: its lines joined again and trimmed read "OK" exactly.
bool IsFeedbackDelivered(const QString& reply);

// Posts the fields to the service (https, then http, timeoutSeconds each) and tells whether the feedback arrived.
// Never throws; a build without a service host delivers nothing and contacts no one.
bool SendFeedback(const QString& serviceHost, const QStringList& fields, int timeoutSeconds = 3,
                  const std::atomic<bool>* cancel = nullptr);
