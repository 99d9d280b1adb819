#include "pane/DirectoryHandlerPage.h"

DirectoryHandlerPage::DirectoryHandlerPage(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("tabDirectoryHandlerInfo"));
    addTab(new QWidget, QStringLiteral("Profile"));
    addTab(new QWidget, QStringLiteral("Search Options"));
    addTab(new QWidget, QStringLiteral("Caller Input"));
}
