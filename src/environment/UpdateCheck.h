#pragma once

#include <QString>

class PageFetcher;
class UrlOpener;
class UserPrompts;

// The Help menu's update check: reads the published version from the update page, compares it
// with the program's own and says which is newer, offering to open the page when it is the
// published one. Keeps nothing between checks.
class UpdateCheck {
public:
    UpdateCheck(UserPrompts& prompts, PageFetcher& fetcher, UrlOpener& opener, const QString& updatePageAddress,
                const QString& programVersion);

    void CheckForUpdatedVersion();

    // The published version, padded; empty when the page cannot be read or holds no version.
    QString GetWebVersion(const QString& address);
    // The page's whole text, one character per byte; empty when it cannot be read.
    QString GetUrlSource(const QString& address);
    // Every part between the dots with at least four digits; empty for a text shorter than 4
    // characters or one without a dot. Padded versions compare part by part as whole numbers.
    QString PadVersionString(const QString& version);

private:
    UserPrompts& m_prompts;
    PageFetcher& m_fetcher;
    UrlOpener& m_opener;
    QString m_updatePageAddress;
    QString m_programVersion;
};
