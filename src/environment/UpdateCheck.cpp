#include "environment/UpdateCheck.h"

#include "runtime/ErrorHandling.h"
#include "runtime/UserPrompts.h"
#include "system/PageFetcher.h"
#include "system/UrlOpener.h"

#include <QUrl>

namespace {

constexpr int kInvalidProcedureCall = 5;

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
    if (own < published) {
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
    if (version.size() < 4)
        return QString();
    QString result;
    runStep(m_prompts,
            StepErrors::shownAs(
                inProcedure(QStringLiteral("PadVersionString"), QStringLiteral("Module"), QStringLiteral("modUpdateCheck"))),
            [&] {
                if (!version.contains(QLatin1Char('.')))
                    throw RuntimeError(kInvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
                QStringList parts;
                for (const QString& part : version.split(QLatin1Char('.')))
                    parts << padPart(part);
                result = parts.join(QLatin1Char('.'));
            });
    return result;
}
