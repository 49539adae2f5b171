#pragma once
// The outcome of a link procedure, a transfer or a unit command: success, or a
// failure with the text the user is shown and a detail that says what failed,
// where and why ("time-out after 1000 ms reading 0406.00"). The message boxes show
// the text and offer the detail; hvcctl prints the detail on a second line; the
// log keeps both.

#include <QString>

namespace hvc {

inline constexpr const char* kFailed = "FAILED!";

class [[nodiscard]] Status {
public:
    // Success.
    Status() = default;
    static Status failure(QString text, QString detail = {}) {
        Status s;
        s.m_failed = true;
        s.m_text = std::move(text);
        s.m_detail = std::move(detail);
        return s;
    }
    // The link's usual failure: "FAILED!" with the reason as detail.
    static Status linkFailure(QString detail) {
        return failure(QString::fromLatin1(kFailed), std::move(detail));
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& text() const { return m_text; }
    const QString& detail() const { return m_detail; }
    // The detail with `context` in front ("writing HVC_I0_MAX: time-out ...").
    Status prefixed(const QString& context) const {
        if (ok())
            return *this;
        return failure(m_text,
                       m_detail.isEmpty() ? context : context + QStringLiteral(": ") + m_detail);
    }

private:
    bool m_failed = false;
    QString m_text;
    QString m_detail;
};

} // namespace hvc
