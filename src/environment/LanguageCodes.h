#pragma once

#include <QString>
#include <optional>

class QLocale;

// The languages the program knows by LCID and by three-letter code, and their display names, as
// the language table the program ships with lists them. These read and change no state.
namespace LanguageCodes {

// The LCID of a code of the code table (compared with regard to case); none for a code the
// table does not list.
std::optional<qint32> findLCIDOfCode(const QString& code);
// The same, with 1033 standing for a code not in the table.
qint32 GetLCIDFromCode(const QString& code);
// The platform's three-letter abbreviation of an LCID ("ENU"), "ERR" for an LCID it does not know.
QString GetLanguageCode(qint32 lcid);
// The language's display name ("English (United States)"), "(error)" for an LCID unknown.
QString GetLanguageName(qint32 lcid);
QString GetLanguageNameFromCode(const QString& code);
// The LCID of a locale, as the user's default language: the language in its territory, else the
// language's first LCID, else 1033.
qint32 lcidOfLocale(const QLocale& locale);

} // namespace LanguageCodes
