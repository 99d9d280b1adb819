#include "environment/LanguageLibraries.h"

#include "environment/LanguageCodes.h"
#include "runtime/ErrorHandling.h"
#include "system/SharedFileSystem.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QWidget>

namespace {

const QString kLibraryPrefix = QStringLiteral("BrandingRes_");

// The face a language's text needs; the empty text for languages any face can show.
QString faceForLanguage(qint32 lcid)
{
    switch (lcid) {
    case 1028: // Chinese, Taiwan
        return QStringLiteral(u"\u65B0\u7D30\u660E\u9AD4");
    case 1041: // Japanese
        return QStringLiteral(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
    case 1042: // Korean
        return QStringLiteral(u"\uAD74\uB9BC");
    case 2052: // Chinese, PRC
        return QStringLiteral(u"\u5B8B\u4F53");
    default:
        return QString();
    }
}

void applyToControls(QWidget* parent, const LanguageLibraries& languages)
{
    for (QObject* child : parent->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control->isWindow())
            continue;
        QFont font = control->font();
        languages.SetFontForLanguage(font);
        control->setFont(font);
        applyToControls(control, languages);
    }
}

} // namespace

LanguageLibraries::LanguageLibraries(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, UserPrompts& prompts,
                                     std::function<qint32()> userDefaultLanguage)
    : m_programFolder(programFolder),
      m_fileSystem(fileSystem),
      m_prompts(prompts),
      m_userDefaultLanguage(std::move(userDefaultLanguage))
{
}

LanguageLibraries::~LanguageLibraries() = default;

void LanguageLibraries::InitalizeLanguages()
{
    const StepErrors errors(QStringLiteral("Error in InitalizeLanguages: "));
    runStep(m_prompts, errors, [&] {
        if (m_currentLanguageLCID == 0)
            m_currentLanguageLCID = static_cast<qint16>(m_userDefaultLanguage());
    });
    // Let go of the previous library before anything can fail, so it is never let go of twice.
    m_languageLibrary.reset();

    QList<FolderFile> files;
    bool listed = runStep(m_prompts, errors, [&] { files = m_fileSystem.folderFiles(m_programFolder.path()); });

    runStep(m_prompts, errors, [&] {
        const QString name = QStringLiteral("brandingres_%1.dll").arg(LanguageCodes::GetLanguageCode(m_currentLanguageLCID));
        // The listing finds libraries whatever the case of their names, so the one to hold is
        // found the same way.
        QString path = m_programFolder.file(name);
        for (const FolderFile& file : files)
            if (file.name().compare(name, Qt::CaseInsensitive) == 0) {
                path = file.path();
                break;
            }
        auto library = std::make_unique<QFile>(path);
        if (library->open(QIODevice::ReadOnly))
            m_languageLibrary = std::move(library);
    });

    m_availableLanguageCodes.clear();
    if (listed)
        for (const FolderFile& file : files)
            if (file.name().left(kLibraryPrefix.size()).compare(kLibraryPrefix, Qt::CaseInsensitive) == 0)
                m_availableLanguageCodes << file.name().mid(kLibraryPrefix.size(), 3);
    if (m_availableLanguageCodes.isEmpty())
        m_availableLanguageCodes << QString();
}

QString LanguageLibraries::loadedLibrary() const
{
    return m_languageLibrary ? m_languageLibrary->fileName() : QString();
}

void LanguageLibraries::SetFontForLanguage(QFont& font) const
{
    const QString face = faceForLanguage(m_currentLanguageLCID);
    // Languages without a face of their own go back to the program's default face, so that a
    // choice of English after Japanese undoes the Japanese face.
    font.setFamily(face.isEmpty() ? QApplication::font().family() : face);
}

void LanguageLibraries::ApplyLanguageFonts(QWidget* window) const
{
    if (window)
        applyToControls(window, *this);
}
