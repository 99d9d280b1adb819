#include "environment/UpdateCheck.h"

#include "runtime/UserPrompts.h"
#include "system/PageFetcher.h"
#include "system/UrlOpener.h"

#include <QUrl>

namespace {

// A part read as a whole number, with at least four digits; a part that is no number stays as
// it is.
QString padPart(const QString& part)
{
    for (const QChar c : part)
        if (!c.isDigit() || c.unicode() > '9')
            return part;
    qsizetype firstSignificant = 0;
    while (firstSignificant < part.size() - 1 && part[firstSignificant] == QLatin1Char('0'))
        ++firstSignificant;
    return part.mid(firstSignificant).rightJustified(4, QLatin1Char('0'));
}

// Two parts as whole numbers of any length: more significant digits make the larger number.
int comparePart(QStringView a, QStringView b)
{
    const auto significant = [](QStringView part) {
        while (part.size() > 1 && part.front() == QLatin1Char('0'))
            part = part.mid(1);
        return part;
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Padded versions part by part; when one runs out first, it is the smaller, as its shorter text
// compares. Parts of up to four digits give what comparing the texts gives.
int compareVersions(const QString& a, const QString& b)
{
    const QList<QStringView> left = QStringView(a).split(QLatin1Char('.'));
    const QList<QStringView> right = QStringView(b).split(QLatin1Char('.'));
    for (qsizetype i = 0; i < left.size() && i < right.size(); ++i)
        if (const int order = comparePart(left[i], right[i]); order != 0)
            return order;
    return left.size() == right.size() ? 0 : left.size() < right.size() ? -1 : 1;
}

} // namespace

UpdateCheck::UpdateCheck(UserPrompts& prompts, PageFetcher& fetcher, UrlOpener& opener, const QString& updatePageAddress,
                         const QString& programVersion)
    : m_prompts(prompts),
      m_fetcher(fetcher),
      m_opener(opener),
      m_updatePageAddress(updatePageAddress),
      m_programVersion(programVersion)
{
}

void UpdateCheck::CheckForUpdatedVersion()
{
    const QString published = GetWebVersion(m_updatePageAddress);
    const QString own = PadVersionString(m_programVersion);
    // The messages name the site the page lies on, a mirror's when the address was changed.
    const QString site = QUrl(m_updatePageAddress).host();
    if (published.isEmpty()) {
        m_prompts.msgBox(QStringLiteral("Unable to contact application home page to check for version.  You can access the home "
                                        "page and check for updated versions of all Brenmoor Talvo tools by going to ")
                             + site,
                         Buttons::OKOnly);
        return;
    }
    if (compareVersions(own, published) < 0) {
        const int answer = m_prompts.msgBox(QStringLiteral("An updated version of this tool is available on ") + site
                                                + QStringLiteral(".  Click OK to open the application home page now"),
                                            Buttons::OKCancel, QStringLiteral("Updated version is available"));
        if (answer == Answer::OK)
            m_opener.openUrl(m_updatePageAddress);
        return;
    }
    m_prompts.msgBox(QStringLiteral("You have the most up to date version of this tool installed"), Buttons::OKOnly);
}

QString UpdateCheck::GetWebVersion(const QString& address)
{
    const QString page = GetUrlSource(address);
    if (page.size() < 10)
        return QString();
    const qsizetype versionMarker = page.indexOf(QLatin1String(">version<"), 0, Qt::CaseInsensitive);
    if (versionMarker < 0)
        return QString();
    const qsizetype faceMarker = page.indexOf(QLatin1String("Helvetica"), versionMarker, Qt::CaseInsensitive);
    if (faceMarker < 0)
        return QString();
    // The version follows the face's name and the two characters that close its tag.
    qsizetype end = faceMarker + 11;
    const qsizetype start = end;
    while (end < page.size() && ((page[end] >= QLatin1Char('0') && page[end] <= QLatin1Char('9')) || page[end] == QLatin1Char('.')))
        ++end;
    return PadVersionString(page.mid(start, end - start));
}

QString UpdateCheck::GetUrlSource(const QString& address)
{
    // One character per byte, as the page has always been read; the markers and the version
    // are plain ASCII in any encoding the page may use.
    return QString::fromLatin1(m_fetcher.fetch(address));
}

QString UpdateCheck::PadVersionString(const QString& version)
{
    // Without a dot there is no version to read, however many digits: the page counts as
    // unreadable.
    if (version.size() < 4 || !version.contains(QLatin1Char('.')))
        return QString();
    QStringList parts;
    for (const QString& part : version.split(QLatin1Char('.')))
        parts << padPart(part);
    return parts.join(QLatin1Char('.'));
}
