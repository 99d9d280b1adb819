#include "environment/frmAbout.h"

#include "environment/LanguageCodes.h"
#include "environment/LanguageLibraries.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "widgets/Named.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The windows a language choice reaches: every window of the program, shown or not, but not the
// popups and tips that come and go with the mouse.
bool isProgramWindow(const QWidget* widget)
{
    switch (widget->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::Desktop:
        return false;
    default:
        return true;
    }
}

} // namespace

frmAbout::frmAbout(LanguageLibraries& languages, const QString& programVersion, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_languages(languages),
      m_programVersion(programVersion),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Treewright"));
    setModal(true);

    // The logo lives in this library; a static library's resources register only when asked.
    Q_INIT_RESOURCE(about);
    auto* logo = named(new QLabel(this), "imgLogo");
    logo->setPixmap(QIcon(QStringLiteral(":/environment/treewright.svg")).pixmap(64, 64));
    auto* name = named(new QLabel(QStringLiteral("Treewright"), this), "lblProductName");
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* purpose =
        named(new QLabel(QStringLiteral("Call-flow administration for Talvo voice-messaging servers"), this), "lblDescription");

    lblVersionTitle = named(new QLabel(QStringLiteral("Version:"), this), "lblVersionTitle");
    lblVersion = named(new QLabel(this), "lblVersion");
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // A link, so that the keyboard reaches it as well as the mouse.
    lblChangeLanguage = named(new QLabel(QStringLiteral("<a href=\"#language\">Change Language</a>"), this), "lblChangeLanguage");
    lblChangeLanguage->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblChangeLanguage->setAccessibleName(QStringLiteral("Change Language"));
    connectGuarded(m_prompts, lblChangeLanguage, &QLabel::linkActivated, this, [this] { lblChangeLanguage_Click(); });

    mnuSelectLanguage = named(new QMenu(QStringLiteral("Select Language"), this), "mnuSelectLanguage");
    addLanguageItem(0);

    auto* notice = named(new QLabel(QStringLiteral("This tool is provided as is, without warranty of any kind.\n"
                                                   "Every change it makes is written to the server at once; keep the "
                                                   "change log of each run."),
                                    this),
                         "lblDisclaimer");
    notice->setWordWrap(true);
    auto* maker = named(new QLabel(QStringLiteral("Brenmoor"), this), "lblCompany");
    auto* makerLine = named(new QLabel(QStringLiteral("Tools for Talvo servers"), this), "lblCompanyTools");

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    connectGuarded(m_prompts, cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    auto* heading = new QVBoxLayout;
    heading->addWidget(name);
    heading->addWidget(purpose);
    auto* version = new QHBoxLayout;
    version->addWidget(lblVersionTitle);
    version->addWidget(lblVersion);
    version->addStretch();
    heading->addLayout(version);
    heading->addWidget(lblChangeLanguage);

    auto* top = new QHBoxLayout;
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addLayout(heading, 1);

    auto* buttons = new QHBoxLayout;
    auto* makerLines = new QVBoxLayout;
    makerLines->addWidget(maker);
    makerLines->addWidget(makerLine);
    buttons->addLayout(makerLines, 1);
    buttons->addWidget(cmdOK, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(notice);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QAction* frmAbout::addLanguageItem(int index)
{
    QAction* item = mnuSelectLanguage->addAction(QString());
    item->setObjectName(QStringLiteral("mnuLanguageList_%1").arg(index));
    connectGuarded(m_prompts, item, &QAction::triggered, this, [this, index] { mnuLanguageList_Click(index); });
    mnuLanguageList.push_back(item);
    return item;
}

void frmAbout::Form_Load()
{
    const StepErrors errors(QStringLiteral("Error in FormLoad routine:"));
    runStep(m_prompts, errors, [&] {
        const auto part = [this](int i) { return QString::number(m_programVersion.section(QLatin1Char('.'), i, i).toUShort()); };
        lblVersion->setText(QStringLiteral(" %1.%2 Build %3").arg(part(0), part(1), part(2)));
    });
    runStep(m_prompts, errors, [&] { m_languages.InitalizeLanguages(); });
    runStep(m_prompts, errors, [&] {
        const QStringList& codes = m_languages.AvailableLanguageCodes();
        if (codes.size() <= 1 && codes.value(0).isEmpty()) {
            mnuLanguageList[0]->setText(QStringLiteral("No languages loaded"));
            mnuLanguageList[0]->setData(QStringLiteral("1033"));
            return;
        }
        for (int i = 0; i < codes.size(); ++i) {
            QAction* item = i < static_cast<int>(mnuLanguageList.size()) ? mnuLanguageList[i] : addLanguageItem(i);
            item->setText(LanguageCodes::GetLanguageNameFromCode(codes[i]));
            item->setData(QString::number(LanguageCodes::GetLCIDFromCode(codes[i])));
        }
    });
}

void frmAbout::cmdOK_Click()
{
    hide();
}

void frmAbout::lblChangeLanguage_Click()
{
    // At the mouse when it was clicked; under the label when the keyboard chose it.
    const QPoint at =
        lblChangeLanguage->underMouse() ? QCursor::pos() : lblChangeLanguage->mapToGlobal(lblChangeLanguage->rect().bottomLeft());
    mnuSelectLanguage->popup(at);
}

void frmAbout::mnuLanguageList_Click(int Index)
{
    setCursor(Qt::WaitCursor);
    runStepSilently([&] {
        bool isNumber = false;
        const qint32 lcid = mnuLanguageList.at(Index)->data().toString().toInt(&isNumber);
        m_languages.setCurrentLanguageLCID(isNumber ? lcid : 0);
    });
    runStepSilently([&] { m_languages.InitalizeLanguages(); });
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!isProgramWindow(window))
            continue;
        runStepSilently([&] {
            m_languages.ApplyLanguageFonts(window);
            window->update();
            for (QWidget* control : window->findChildren<QWidget*>())
                control->update();
        });
    }
    unsetCursor();
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    m_closedByFrame = true;
    QDialog::closeEvent(event);
}
