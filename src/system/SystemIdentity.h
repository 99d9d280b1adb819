#pragma once

#include <QString>

// Who runs the program on which machine, as the operating system tells it. Each text is empty when
// the system gives none.
class SystemIdentity {
public:
    virtual ~SystemIdentity() = default;
    virtual QString computerName() const = 0;
    // The machine's DNS domain, else its NIS domain.
    virtual QString domain() const = 0;
    virtual QString userName() const = 0;
};

// Reads the Linux system afresh on every call.
class LinuxSystemIdentity : public SystemIdentity {
public:
    QString computerName() const override;
    QString domain() const override;
    QString userName() const override;
};

// Fixed answers, for tests and for runs that must not depend on the machine.
class FixedSystemIdentity : public SystemIdentity {
public:
    FixedSystemIdentity(const QString& computer, const QString& domain, const QString& user)
        : m_computer(computer),
          m_domain(domain),
          m_user(user)
    {
    }
    QString computerName() const override { return m_computer; }
    QString domain() const override { return m_domain; }
    QString userName() const override { return m_user; }
    void set(const QString& computer, const QString& domain, const QString& user)
    {
        m_computer = computer;
        m_domain = domain;
        m_user = user;
    }

private:
    QString m_computer;
    QString m_domain;
    QString m_user;
};

namespace SystemNames {
// The host name without its domain part; empty for the kernel's "(none)".
QString computerFromHostName(const QString& hostName);
// The domain from what the system offers, first found wins: the host name's own domain part, the
// canonical (fully qualified) name's domain part, the NIS domain ("(none)" counts as none).
QString domainFrom(const QString& hostName, const QString& canonicalName, const QString& nisDomain);
} // namespace SystemNames
