#include "pane/DirectoryHandlerSection.h"

#include "data/SharedState.h"
#include "pane/DirectoryHandlerPage.h"
#include "pane/LoadSteps.h"
#include "pane/PropertyPane.h"

#include <QLineEdit>

namespace {

const QString kNameLookupHandlerObjectID = QStringLiteral("NameLookupHandlerObjectID");

} // namespace

DirectoryHandlerSection::DirectoryHandlerSection(SharedState& state, PropertyPane& pane)
    : m_state(state),
      m_pane(pane),
      m_page(pane.directoryHandlerPage()),
      m_attachment(pane, PropertyPane::DirectoryHandlerTab, *this)
{
}

void DirectoryHandlerSection::clear()
{
    m_shown.clear();
    m_pane.setCurrentObjectName(QString());
    m_page.clear();
}

void DirectoryHandlerSection::load(const QString& strObjectID)
{
    Recordset& dh = m_state.cache.rsNameLookupHandler;
    if (!findFromFirst(dh, kNameLookupHandlerObjectID, strObjectID)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo. could not find directory handler object id:") + strObjectID);
        return;
    }
    // Only a handler that is found silences the media controls.
    m_pane.stopMediaControls();
    step([&] { m_shown = dh.field(kNameLookupHandlerObjectID).toText(); });
    step([&] { m_pane.setCurrentObjectName(dh.field(QStringLiteral("TextName")).toText()); });
    step([&] { m_page.txtDirectoryHandlerAlias->setText(dh.field(QStringLiteral("Alias")).toText()); });
    step([&] { m_page.txtDirectoryHandlerDisplayName->setText(dh.field(QStringLiteral("TextName")).toText()); });
    step([&] { m_page.txtDirectoryHandlerExtension->setText(dh.field(QStringLiteral("DTMFAccessID")).textOrEmpty()); });
    const auto boxes = m_page.exitBoxes();
    for (int i = 0; i < DirectoryHandlerPage::ExitCount; ++i)
        step([&] {
            boxes[size_t(i)]->setText(linkText(m_state, dh, QString::fromLatin1(DirectoryHandlerPage::ExitPrefix[size_t(i)])));
        });
}
