#pragma once

#include "system/ProgramFolder.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QFile;
class QFont;
class QWidget;
class SharedFileSystem;
class UserPrompts;

// The current display language of the run, the language library beside the program that goes with
// it, and the fonts it gives the windows. A language library is "brandingres_" with the
// language's three-letter code and ".dll" in the program folder; it is held open as a plain data
// file while its language is current, and nothing is read from it.
class LanguageLibraries {
public:
    // userDefaultLanguage gives the user's own language as an LCID when none is chosen yet.
    LanguageLibraries(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, UserPrompts& prompts,
                      std::function<qint32()> userDefaultLanguage);
    ~LanguageLibraries();
    LanguageLibraries(const LanguageLibraries&) = delete;
    LanguageLibraries& operator=(const LanguageLibraries&) = delete;

    // Makes sure a language is current, holds its library in place of the previous one and lists
    // the libraries beside the program again. Reports its failures itself and goes on.
    void InitalizeLanguages();

    // 0 until the first InitalizeLanguages, which makes it the user's default language.
    qint32 CurrentLanguageLCID() const { return m_currentLanguageLCID; }
    void setCurrentLanguageLCID(qint32 lcid) { m_currentLanguageLCID = lcid; }
    // The codes of the libraries found, in the listing's order, as their file names write them;
    // one empty element when there is none. Empty before the first InitalizeLanguages.
    const QStringList& AvailableLanguageCodes() const { return m_availableLanguageCodes; }
    // The library held for the current language; empty when none could be opened.
    QString loadedLibrary() const;

    // The current language's face for one control's font. Fonts carry no character set here:
    // text is Unicode and the font layer picks the glyphs for each script itself.
    void SetFontForLanguage(QFont& font) const;
    // Every control of the window gets the current language's face; a window inside it (a dialog
    // owned by it) is left to its own turn.
    void ApplyLanguageFonts(QWidget* window) const;

private:
    ProgramFolder m_programFolder;
    const SharedFileSystem& m_fileSystem;
    UserPrompts& m_prompts;
    std::function<qint32()> m_userDefaultLanguage;

    qint32 m_currentLanguageLCID = 0;
    std::unique_ptr<QFile> m_languageLibrary;
    QStringList m_availableLanguageCodes;
};
