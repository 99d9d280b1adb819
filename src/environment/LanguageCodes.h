#pragma once

#include <QString>

class QLocale;

// The languages the program knows by LCID and by three-letter code, and their display names.
// These read and change no state.
namespace LanguageCodes {

// The code of the code table, 1033 for a code not in it (compared with regard to case).
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
