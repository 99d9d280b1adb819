#include "environment/frmDetails.h"

#include "runtime/SlotGuard.h"
#include "system/SharedFileSystem.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr double kMinimumWidth = 2500;
constexpr double kMinimumHeight = 2400;
// The size it opens with.
constexpr double kOpeningWidth = 9600;
constexpr double kOpeningHeight = 7200;
// Borders and caption that an undecorated window (no window manager, offscreen) is taken to
// have, so that the margins fit as they do on a decorated one.
constexpr double kFrameWidth = 120;
constexpr double kFrameHeight = 400;

// The program's own page is a few kilobytes. Laying a page out takes time that grows faster than
// its size (one long unbroken word, elements nested in elements), so the bound is kept where even
// such a page opens at once.
constexpr qint64 kMaxPageBytes = 32 * 1024;
// A picture's bytes say little of its cost: a few kilobytes may decode to gigabytes. It is
// decoded only when its header gives a size the window draws at once, a screen's worth.
constexpr qint64 kMaxPictureBytes = 4 * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 2048 * 2048;
// A table inside a table is laid out again for each pass over the one around it: the time doubles
// with every level, and a few dozen levels hold the window for minutes.
constexpr int kMaxTableNesting = 4;

QString whyNotRead(const QString& page, int whyNot)
{
    const QLocale english(QLocale::English);
    switch (whyNot) {
    case ENOENT:
        return QStringLiteral("There is no file of that name.");
    case EINVAL:
        return QStringLiteral("That name is not a file.");
    case EFBIG:
        return QStringLiteral("The file holds %1 bytes, more than the %2 a help page may have.")
            .arg(english.toString(QFileInfo(page).size()), english.toString(kMaxPageBytes));
    default:
        return QStringLiteral("The file cannot be read: %1.").arg(qt_error_string(whyNot));
    }
}

QVariant pictureWithinBound(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size(); // from the header, nothing decoded yet
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QVariant();
    const QImage picture = reader.read();
    if (picture.isNull())
        return QVariant();
    // Drawn in the screen's format, converted once here rather than each time the page names it.
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

// The page's document: whatever it names (a picture, a style sheet) is read as the page is, a
// regular file within a bound, so that no name in it can hold the window on a file read whole.
// Each is read once however often the page names it, and the layout asks for it.
class HelpDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        const QUrl url = baseUrl().resolved(name);
        const auto known = m_loaded.constFind(std::make_pair(type, url));
        if (known != m_loaded.constEnd())
            return *known;
        QVariant resource = read(type, url);
        m_loaded.insert(std::make_pair(type, url), resource);
        return resource;
    }

private:
    static QVariant read(int type, const QUrl& url)
    {
        if (!url.isLocalFile())
            return QVariant();
        const bool picture = type == QTextDocument::ImageResource;
        const std::optional<QByteArray> bytes = readRegularFile(url.toLocalFile(), picture ? kMaxPictureBytes : kMaxPageBytes);
        if (!bytes)
            return QVariant();
        return picture ? pictureWithinBound(*bytes) : QVariant(*bytes);
    }

    // What was read, and what was left out (an invalid value).
    QHash<std::pair<int, QUrl>, QVariant> m_loaded;
};

bool framesNestDeeperThan(const QTextFrame* frame, int levels)
{
    const QList<QTextFrame*> children = frame->childFrames();
    return std::any_of(children.begin(), children.end(),
                       [levels](const QTextFrame* child) { return levels == 0 || framesNestDeeperThan(child, levels - 1); });
}

} // namespace

frmDetails::frmDetails(const ProgramFolder& programFolder, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_programFolder(programFolder),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(QStringLiteral("Treewright Help"));
    setModal(true);
    // Closed with the window frame only; a maximise button helps with a long page.
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    browserHelp = named(new QTextBrowser(this), "browserHelp");
    browserHelp->setAccessibleName(QStringLiteral("Help page"));
    // Links inside the page move within it; the page links nowhere else, and the browser would
    // read another file whole.
    browserHelp->setOpenExternalLinks(false);
    browserHelp->setOpenLinks(false);
    connectGuarded(m_prompts, browserHelp, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = m_shownPage.resolved(link);
        if (target.hasFragment() && target.adjusted(QUrl::RemoveFragment) == m_shownPage)
            browserHelp->scrollToAnchor(target.fragment());
    });
    resize(Twips::toPixelsX(kOpeningWidth - kFrameWidth, this), Twips::toPixelsY(kOpeningHeight - kFrameHeight, this));
}

void frmDetails::Form_Load()
{
    const QString page = m_programFolder.file(helpPageName());
    m_shownPage.clear();
    int whyNot = 0;
    // Read here, within the bound, rather than by the browser, which would read any file whole.
    const std::optional<QByteArray> html = readRegularFile(page, kMaxPageBytes, &whyNot);
    if (!html) {
        showMissingPage(page, whyNotRead(page, whyNot));
        return;
    }
    // Parsed apart from the browser, which would lay it out at once were it showing, so that a page
    // it cannot lay out quickly is refused before any of it is laid out.
    auto document = std::make_unique<HelpDocument>(browserHelp);
    document->setDefaultFont(browserHelp->font());
    document->setBaseUrl(QUrl::fromLocalFile(page));
    QStringDecoder decoder = QStringDecoder::decoderForHtml(*html);
    document->setHtml(decoder.isValid() ? QString(decoder(*html)) : QString::fromUtf8(*html));
    if (framesNestDeeperThan(document->rootFrame(), kMaxTableNesting)) {
        showMissingPage(page, QStringLiteral("The page has tables within tables more than %1 deep, which the window cannot "
                                             "lay out quickly.")
                                  .arg(kMaxTableNesting));
        return;
    }
    browserHelp->setDocument(document.release());
    m_shownPage = QUrl::fromLocalFile(page);
}

void frmDetails::showMissingPage(const QString& page, const QString& reason)
{
    browserHelp->setHtml(QStringLiteral("<h2>The help page is missing</h2>"
                                        "<p>Treewright looks for its help page in the file</p><p><code>%1</code></p>"
                                        "<p>%2</p>"
                                        "<p>The file is placed there when the program is built or installed. "
                                        "Build or install the program again to restore it.</p>")
                             .arg(page.toHtmlEscaped(), reason.toHtmlEscaped()));
}

double frmDetails::outerWidthTwips() const
{
    return Twips::outerWidth(this, kFrameWidth);
}

double frmDetails::outerHeightTwips() const
{
    return Twips::outerHeight(this, kFrameHeight);
}

void frmDetails::Form_Resize()
{
    if (isMinimized())
        return;
    const double width = outerWidthTwips();
    const double height = outerHeightTwips();
    if (width < kMinimumWidth || height < kMinimumHeight) {
        const int dw = width < kMinimumWidth ? Twips::toPixelsX(kMinimumWidth - width, this) : 0;
        const int dh = height < kMinimumHeight ? Twips::toPixelsY(kMinimumHeight - height, this) : 0;
        resize(this->width() + dw, this->height() + dh);
    }
    // Measured again: the window has its new size now, shown or not.
    const double placedWidth = std::max(outerWidthTwips(), kMinimumWidth);
    const double placedHeight = std::max(outerHeightTwips(), kMinimumHeight);
    Twips::place(browserHelp, 100, 1, placedWidth - 200, placedHeight - 400);
}

void frmDetails::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    guarded(m_prompts, [this] { Form_Resize(); });
}
