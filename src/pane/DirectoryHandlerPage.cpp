#include "pane/DirectoryHandlerPage.h"

#include "pane/PaneForms.h"

DirectoryHandlerPage::DirectoryHandlerPage(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("tabDirectoryHandlerInfo"));
    addTab(new QWidget, QStringLiteral("Profile"));
    addTab(new QWidget, QStringLiteral("Search Options"));
    addTab(new QWidget, QStringLiteral("Caller Input"));

    QFormLayout* profile = formOn(widget(0));
    txtDirectoryHandlerDisplayName =
        addRow(profile, QStringLiteral("Display Name"), new QLineEdit, "txtDirectoryHandlerDisplayName");
    txtDirectoryHandlerDisplayName->setMaxLength(40);
    txtDirectoryHandlerAlias = addReadOnly(profile, QStringLiteral("Alias"), "txtDirectoryHandlerAlias");
    txtDirectoryHandlerExtension = addRow(profile, QStringLiteral("Extension"), new QLineEdit, "txtDirectoryHandlerExtension");
    txtDirectoryHandlerExtension->setMaxLength(30);
    lblSADirectoryHandlerJump =
        addLinkRow(profile, QStringLiteral("Open SA web page for this directory handler"), "lblSADirectoryHandlerJump");

    QFormLayout* input = formOn(widget(2));
    // The captions are long: each stands above its exit.
    input->setRowWrapPolicy(QFormLayout::WrapAllRows);
    txtDirectoryHandlerExitAction =
        addBoxWithButton(input, QStringLiteral("User exit action (user hits * or #)"), "txtDirectoryHandlerExitAction",
                         cmdDirectoryHandlerSetExit, "cmdDirectoryHandlerSetExit");
    txtDirectoryHandlerZeroExitAction =
        addBoxWithButton(input, QStringLiteral("Zero exit action"), "txtDirectoryHandlerZeroExitAction",
                         cmdDirectoryHandlerSetZeroExit, "cmdDirectoryHandlerSetZeroExit");
    txtDirectoryHandlerNoSelectionExitAction = addBoxWithButton(
        input, QStringLiteral("No selection action (user fails to pick a name from the list)"),
        "txtDirectoryHandlerNoSelectionExitAction", cmdDirectoryHandlerSetNoSelectionExit, "cmdDirectoryHandlerSetNoSelectionExit");
    txtDirectoryHandlerNoInputExitAction = addBoxWithButton(input, QStringLiteral("No input action (user does not enter name)"),
                                                            "txtDirectoryHandlerNoInputExitAction",
                                                            cmdDirectoryHandlerSetNoInputExit, "cmdDirectoryHandlerSetNoInputExit");
}

void DirectoryHandlerPage::clear()
{
    for (QLineEdit* box : {txtDirectoryHandlerDisplayName, txtDirectoryHandlerAlias, txtDirectoryHandlerExtension})
        box->clear();
    for (QLineEdit* box : exitBoxes())
        box->clear();
}

std::array<QLineEdit*, DirectoryHandlerPage::ExitCount> DirectoryHandlerPage::exitBoxes() const
{
    return {txtDirectoryHandlerExitAction, txtDirectoryHandlerZeroExitAction, txtDirectoryHandlerNoSelectionExitAction,
            txtDirectoryHandlerNoInputExitAction};
}
