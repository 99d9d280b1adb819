#include "pane/DirectoryHandlerPage.h"

#include "pane/PaneForms.h"

DirectoryHandlerPage::DirectoryHandlerPage(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("tabDirectoryHandlerInfo"));
    addTab(new QWidget, QStringLiteral("Profile"));
    addTab(new QWidget, QStringLiteral("Search Options"));
    addTab(new QWidget, QStringLiteral("Caller Input"));

    // Last on the profile, under every other row.
    lblSADirectoryHandlerJump =
        addLinkRow(formOn(widget(0)), QStringLiteral("Open SA web page for this directory handler"), "lblSADirectoryHandlerJump");
}
