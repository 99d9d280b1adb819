#pragma once

#include <QString>

class QWidget;

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

    // The Help menu: the help window and the About box, modal over the owner until closed (the
    // About box keeps its version and language menu for the next opening), and the update check,
    // which tells its result in its own messages.
    virtual void showHelpWindow(QWidget* owner) = 0;
    virtual void showAboutBox(QWidget* owner) = 0;
    virtual void CheckForUpdatedVersion() = 0;
};
