#pragma once
#include <QLocale>

// Sets the default locale for one test and restores the previous one after it.
class LocaleGuard {
public:
    explicit LocaleGuard(QLocale::Language lang, QLocale::Territory territory)
        : m_saved(QLocale()) {
        QLocale::setDefault(QLocale(lang, territory));
    }
    ~LocaleGuard() { QLocale::setDefault(m_saved); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    QLocale m_saved;
};
