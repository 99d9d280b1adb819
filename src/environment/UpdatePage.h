#pragma once

#include <QString>

// The maker's update page: fetched by the update check, opened in the browser, handed to the
// start-up hook.
inline const QString kUpdatePageAddress = QStringLiteral("https://updates.treewright.invalid/treewright/version.html");

// The variable that names another address for the page (a site that mirrors it, a test server).
inline constexpr char kUpdatePageVariable[] = "TREEWRIGHT_UPDATE_URL";

// The address the variable names when it is set and not empty, else the maker's.
QString updatePageAddressFromEnvironment();
