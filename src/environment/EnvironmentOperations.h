#pragma once

#include <QString>

// What the languages, update check, About and help subsystem offers the others.
class EnvironmentOperations {
public:
    virtual ~EnvironmentOperations() = default;
    // The start-up hook; it reports nothing and never fails the start-up.
    virtual void RunTestBatch() = 0;

    // The language tables: an LCID's three-letter code ("ERR" when none is known), and the
    // display name of a code's language (a code not in the table names LCID 1033's language).
    virtual QString GetLanguageCode(qint32 lcid) const = 0;
    virtual QString GetLanguageNameFromCode(const QString& code) const = 0;
};
